// Damaged configuration files fed to their readers: every reader must come back (no crash, no
// hang) with a usable result, and the writers must keep what they promise on such files.

#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "i18n/TextLookup.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <random>

#include <unistd.h>

namespace {

const QByteArray kSettingsSeed =
    "[General]\r\nLeft=Work\r\nRight=Stick\r\nSynchMediumLeft=0\r\nSynchMediumRight=1\r\nCheckArchiveAttr=1\r\n"
    "CompareDate=1\r\nTimeLag=00:00:02\r\nCompareSize=1\r\nResetArchiveAttrSource=0\r\nResetArchiveAttrDest=0\r\n"
    "LogToFile=1\r\nDontShowHint=0\r\nButtonBarsWithText=1\r\nLanguage=English\r\nIgnoreLockedFiles =1\r\n"
    "AllowUndo=1\r\nCancelAfterErrorUnattended=0\r\nDontAutoRunAfterError=0\r\nMaxDeletePercent=40\r\nNoStartupInfo=1\r\n"
    "[Include]\r\nSubDirs=1\r\nSysDirs=0\r\nSysFiles=0\r\nHiddenDirs=1\r\nHiddenFiles=0\r\n"
    "[Exclude]\r\nDirs=tmp;cache\r\nFiles=*.bak\r\n[Delete]\r\nFiles=~*\r\n"
    "[Form]\r\nPos=120;240;9600;7200\r\nState=2\r\nZoom=125\r\n[Paths]\r\nProfiles=%AppData%/Tandor/Profiles\r\n"
    "Logfiles=%MyDocuments%/logs\r\n";

const QByteArray kRegistrySeed =
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor]\r\n@=\"\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\Flags]\r\n"
    "\"Runs\"=dword:0000002a\r\n\"LastUpdateCheck\"=\"46000.25\"\r\n\"LastErrorMsg\"=\"disk \\\"full\\\" at C:\\\\x\"\r\n"
    "\"Multi\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00\r\n"
    "\"Expand\"=hex(2):25,00,48,00,4f,00,\\\r\n  4d,00,45,00,25,00,00,00\r\n"
    "\"Binary\"=hex:01,02,03,04,05\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Vellmark\\Tandor\\CurrentVersion]\r\n\"ShortcutFolder\"=\"/home/u/links\"\r\n\r\n";

QByteArray ProfileSeed(const QString& folder) {
    Profile p;
    p.Options.ListName = {"Left side", "Right side"};
    p.Options.TimeLag = 2.0 / 86400;
    p.Options.Username = {"alice", ""};
    p.Options.Password = {"secret", ""};
    for (int i = 0; i < 4; ++i) {
        FolderPair f;
        f.Dir = {QStringLiteral("/data/%1").arg(i), QStringLiteral("//server/share/%1").arg(i)};
        f.Mask = {"", "tmp", "*.txt;*.doc", "*.bak", "~*"};
        f.AutoCreate = {i % 2 == 0, false};
        p.Pairs.append(f);
    }
    const QString path = folder + "/seed.tdp";
    EXPECT_TRUE(WriteProfileFile(path, p));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : rng_(seed) {}

    QByteArray Mutate(QByteArray data) {
        const int steps = Pick(1, 3);
        for (int i = 0; i < steps; ++i) data = Once(data);
        return data;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
    qsizetype Position(const QByteArray& d) { return d.isEmpty() ? 0 : Pick(0, static_cast<int>(d.size())); }

    QList<QByteArray> Lines(const QByteArray& d) { return d.split('\n'); }

    QByteArray Once(QByteArray d) {
        switch (Pick(0, 7)) {
        case 0:  // cut
            return d.left(Position(d));
        case 1: {  // flip bytes
            const int flips = Pick(1, 8);
            for (int i = 0; i < flips && !d.isEmpty(); ++i) d[Position(d) % d.size()] = static_cast<char>(Pick(0, 255));
            return d;
        }
        case 2: {  // double a line
            QList<QByteArray> lines = Lines(d);
            const auto at = Pick(0, static_cast<int>(lines.size()) - 1);
            lines.insert(at, lines[at]);
            return lines.join('\n');
        }
        case 3: {  // a huge value
            QList<QByteArray> lines = Lines(d);
            const auto at = Pick(0, static_cast<int>(lines.size()));
            lines.insert(at, "Huge" + QByteArray::number(Pick(0, 9)) + "=" + QByteArray(Pick(32000, 40000), 'x'));
            return lines.join('\n');
        }
        case 4: {  // binary noise
            QByteArray noise;
            const int n = Pick(1, 64);
            static const char kSpecial[] = {'\0', '[', ']', '=', '"', '\\', '\r', '\n', ';', '%', '\xff', '\xc3'};
            for (int i = 0; i < n; ++i) {
                noise += Pick(0, 1) ? kSpecial[Pick(0, sizeof kSpecial - 1)] : static_cast<char>(Pick(0, 255));
            }
            d.insert(Position(d), noise);
            return d;
        }
        case 5: {  // drop a line
            QList<QByteArray> lines = Lines(d);
            lines.removeAt(Pick(0, static_cast<int>(lines.size()) - 1));
            return lines.join('\n');
        }
        case 6:  // line ends of the other kind
            return d.contains("\r\n") ? d.replace("\r\n", "\n") : d.replace("\n", "\r\n");
        default: {  // a duplicate of a whole block
            const qsizetype a = Position(d);
            const qsizetype b = Position(d);
            d.insert(Position(d), d.mid(std::min(a, b), std::abs(b - a)));
            return d;
        }
        }
    }

    std::mt19937 rng_;
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Temporary folders in memory where there is one (the writers sync every file they replace),
// and an alarm that ends the whole run should a reader hang instead of coming back.
class ReaderMutation : public ::testing::Test {
protected:
    void SetUp() override {
        if (QFileInfo(QStringLiteral("/dev/shm")).isDir() && QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            tmp_.Set("TMPDIR", "/dev/shm");
        ::alarm(120);
    }
    void TearDown() override { ::alarm(0); }
    ScopedEnvironment tmp_;
};

TEST_F(ReaderMutation, IniReaderAndWriterOnDamagedFiles) {
    TempTree t;
    const QString path = t.Path("s.ini");
    for (unsigned i = 0; i < 800; ++i) {
        Mutator m(i);
        WriteFile(path, m.Mutate(kSettingsSeed));
        const IniFile::Document doc = IniFile::Document::Load(path);
        for (const QString& section : doc.SectionNames()) {
            for (const QString& key : doc.KeyNames(section)) {
                EXPECT_LE(doc.GetString(section, key, "").size(), IniFile::MaxStringChars);
                doc.GetInt(section, key, 0);
            }
        }
        // A key written into a damaged file reads back, and the other sections stay readable.
        if (i % 4 == 0) {
            const QString value = QStringLiteral("v%1").arg(i);
            ASSERT_TRUE(IniFile::WriteString(path, "Form", "Zoom", value));
            EXPECT_EQ(IniFile::GetString(path, "Form", "Zoom", ""), value) << "seed " << i;
        }
    }
}

TEST_F(ReaderMutation, ProfileReaderOnDamagedFiles) {
    TempTree t;
    const QByteArray seed = ProfileSeed(t.Path());
    const QString path = t.Path("p.tdp");
    const QString again = t.Path("again.tdp");
    const QString third = t.Path("third.tdp");
    for (unsigned i = 0; i < 800; ++i) {
        Mutator m(1000000 + i);
        WriteFile(path, m.Mutate(seed));
        Profile p;
        if (!ReadProfileFile(path, ProfileOptions{}, p)) continue;
        EXPECT_EQ(p.Options.CompareDate, p.Options.TimeLag < 1.0);
        EXPECT_TRUE(p.Options.CheckArchiveAttr == 0 || p.Options.CheckArchiveAttr == 32);
        Profile imported;
        EXPECT_TRUE(ImportProfilePairs(path, imported));
        EXPECT_EQ(imported.Pairs.size(), p.Pairs.size());
        if (i % 5 != 0) continue;
        // Once saved, a profile reads and saves to the very same bytes.
        ASSERT_TRUE(WriteProfileFile(again, p));
        Profile reread;
        ASSERT_TRUE(ReadProfileFile(again, ProfileOptions{}, reread));
        ASSERT_TRUE(WriteProfileFile(third, reread));
        EXPECT_EQ(ReadFile(third), ReadFile(again)) << "seed " << i;
    }
}

TEST_F(ReaderMutation, RegistryStoreOnDamagedFiles) {
    IsolatedEnvironment env;
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "Seed", QVariant(1)));
    const QString path = RegistryStorePath(Hive::CurrentUser);
    const QStringList names{"Runs", "LastUpdateCheck", "LastErrorMsg", "Multi", "Expand", "Binary", "*", "Missing"};
    for (unsigned i = 0; i < 600; ++i) {
        Mutator m(2000000 + i);
        WriteFile(path, m.Mutate(kRegistrySeed));
        for (const QString& name : names) {
            ReadUserRegistryValue("Flags", name, QVariant(QString("default")));
        }
        ReadUserRegistryValue("CurrentVersion", "ShortcutFolder", QVariant(QString()));
        if (i % 4 == 0) {
            ASSERT_TRUE(WriteUserRegistryValue("Flags", "Runs", QVariant(static_cast<int>(i))));
            EXPECT_EQ(ReadUserRegistryValue("Flags", "Runs", QVariant(-1)), QVariant(static_cast<int>(i))) << "seed " << i;
            const QString text = QStringLiteral("error \"%1\" in C:\\x").arg(i);
            ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastErrorMsg", QVariant(text)));
            EXPECT_EQ(ReadUserRegistryValue("Flags", "LastErrorMsg", QVariant()), QVariant(text)) << "seed " << i;
        }
    }
}

TEST_F(ReaderMutation, SettingsLoadOnDamagedFiles) {
    IsolatedEnvironment env;
    TempTree program;
    SetProgramFolderForTests(program.Path());
    const QString folder = env.ConfigHome() + "/Tandor";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (unsigned i = 0; i < 300; ++i) {
        Mutator m(3000000 + i);
        WriteFile(folder + "/Tandor.ini", m.Mutate(kSettingsSeed));
        WriteFile(folder + "/user.reg", Mutator(4000000 + i).Mutate(kRegistrySeed));
        ResetProgramSettings();
        LoadProgramSettings();
        const ProgramSettings& s = Settings();
        EXPECT_EQ(s.SettingsFolder, folder);
        EXPECT_LE(s.FormPos.size(), 99);
        EXPECT_LE(s.LanguageName.size(), 254);
        EXPECT_TRUE(s.DefaultProfileOptions.CheckArchiveAttr == 0 || s.DefaultProfileOptions.CheckArchiveAttr == 32);
        EXPECT_GE(s.Runs, 1);
    }
    SetProgramFolderForTests(QString());
}

// Damaged copies of the shipped English file: loading never fails, lookups come back, and a
// doubled line of an entry is reported as a duplicate.
TEST_F(ReaderMutation, LanguageFileReaderOnDamagedFiles) {
    IsolatedEnvironment env;
    TempTree program;
    SetProgramFolderForTests(program.Path());
    const QByteArray seed = ReadFile(QStringLiteral(TANDOR_SOURCE_DIR "/data/English.lang"));
    ASSERT_GT(seed.size(), 1000);
    int duplicates = 0;
    clsLocalizeControls::SetDuplicateSink([&duplicates](const QString&, const QString&) { ++duplicates; });
    for (unsigned i = 0; i < 300; ++i) {
        WriteFile(program.Path("Damaged.lang"), Mutator(5000000 + i).Mutate(seed));
        const clsLocalizeControls texts(QStringLiteral("Damaged"));
        for (const char* key : {"115", "4230", "90800", "homepage"})
            EXPECT_LE(texts.FormatMsg(QLatin1String(key), {"|", "a", "b"}).size(), 40000);
    }
    // A line doubled on purpose is always reported.
    duplicates = 0;
    WriteFile(program.Path("Damaged.lang"), seed + "\n4230=again\n");
    (void)clsLocalizeControls(QStringLiteral("Damaged"));
    EXPECT_EQ(duplicates, 1);
    clsLocalizeControls::SetDuplicateSink({});
    SetProgramFolderForTests(QString());
}

}  // namespace
