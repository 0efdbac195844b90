#include "config/DefaultSettingsWriter.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

// The settings dialog's keys in the file's form, without the folders (they follow each
// environment's own configuration folder).
QStringList WrittenForms(const ProgramSettings& s) {
    QStringList out;
    for (const SettingsKeyText& k : DefaultSettingsKeys(s))
        if (k.section != QLatin1String("Paths")) out << k.section + '/' + k.key + '=' + k.text;
    return out;
}

// Every test starts with a program folder of its own, so the template beside the real build
// does not leak in unless a test puts one there.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SetProgramFolderForTests(program_.Path()); }
    void TearDown() override { SetProgramFolderForTests(QString()); }
    QString SettingsFile() const { return env_.ConfigHome() + "/Tandor/Tandor.ini"; }
    void WriteSettings(const QByteArray& text) {
        ASSERT_TRUE(QDir().mkpath(env_.ConfigHome() + "/Tandor"));
        QFile f(SettingsFile());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    void Reload() {
        ResetProgramSettings();
        LoadProgramSettings();
    }
    IsolatedEnvironment env_;
    TempTree program_;
};

TEST_F(SettingsTest, NoFileAnywhereGivesTheDefaultsInTheUsersConfigurationFolder) {
    LoadProgramSettings();
    const ProgramSettings& s = Settings();
    EXPECT_EQ(s.SettingsFilePath, SettingsFile());
    EXPECT_TRUE(QFileInfo(s.SettingsFolder).isDir());
    EXPECT_EQ(s.ProfilesFolder, s.SettingsFolder);
    EXPECT_EQ(s.LogfilesFolder, s.SettingsFolder);
    EXPECT_EQ(s.ShortcutFolder, DefaultShortcutFolder());  // the desktop or the applications menu
    // Hidden entries (names starting with a dot) belong to a complete copy of a folder.
    EXPECT_TRUE(s.HiddenDirs && s.HiddenFiles);
    EXPECT_EQ(s.MaxDeletePercent, 50);
    EXPECT_EQ(s.Runs, 1);
}

// Every key the settings dialog writes, changed from its default, written and loaded again.
TEST_F(SettingsTest, EveryKeyTheDialogWritesIsReadBack) {
    WriteSettings("[General]\r\n");
    LoadProgramSettings();
    ProgramSettings after = Settings();
    ProfileOptions& o = after.DefaultProfileOptions;
    o.ListName = {QString::fromUtf8("Büro"), "Stick"};
    o.SynchMedium = {true, true};
    o.CheckArchiveAttr = 32;
    o.CompareDate = false;
    o.TimeLag = MaxDateValue;
    o.CompareSize = false;
    o.ResetArchiveAttrSource = o.ResetArchiveAttrDest = true;
    after.SubDirs = after.HiddenDirs = after.HiddenFiles = after.ButtonBarsWithText = false;
    after.SysDirs = after.SysFiles = after.LogToFile = after.IgnoreLockedFiles = after.AllowUndo = true;
    after.CancelAfterErrorUnattended = after.DontAutoRunAfterError = after.LogChanges = after.AutoUpdateCheck = true;
    after.ExcludeDirs = "tmp";
    after.ExcludeFiles = " *.o";
    after.DeleteFiles = "*.bak";
    after.Zoom = 125;
    after.MaxDeletePercent = 0;
    after.ProfilesFolder = "%Documents%/Profiles";
    after.LogfilesFolder = "%AppData%/logs";  // expanded where it is used
    QStringList written;
    ASSERT_TRUE(WriteChangedDefaultSettings(Settings(), after, &written));
    EXPECT_EQ(written.size(), DefaultSettingsKeys(after).size()) << "a key kept its default: " << written.join(' ').toStdString();
    Reload();
    EXPECT_EQ(WrittenForms(Settings()), WrittenForms(after));
    EXPECT_EQ(Settings().ProfilesFolder, after.ProfilesFolder);
    EXPECT_EQ(Settings().LogfilesFolder, after.LogfilesFolder);
}

// Keys the dialog does not write, and values that only a hand-edited file holds.
TEST_F(SettingsTest, HandEditedValuesAreReadWithTheirRules) {
    WriteSettings("[general]\nCheckArchiveAttr=7\nLanguage=Deutsch\nTimeLag=whenever\nUsername0=never\nPassword0=never\n"
                  "MaxDeletePercent=250\n[Form]\nPos=1;2;3;4\nState=2\n");
    LoadProgramSettings();
    const ProgramSettings& s = Settings();
    EXPECT_EQ(s.DefaultProfileOptions.CheckArchiveAttr, 32);
    EXPECT_EQ(s.MaxDeletePercent, 100);  // a share beyond 100 is the guard switched off
    EXPECT_EQ(s.LanguageName, "Deutsch");
    EXPECT_DOUBLE_EQ(s.DefaultProfileOptions.TimeLag, 0.0);  // unreadable: the default stays
    EXPECT_TRUE(s.DefaultProfileOptions.Username[0].isEmpty() && s.DefaultProfileOptions.Password[0].isEmpty());
    EXPECT_EQ(s.FormPos, "1;2;3;4");
    EXPECT_EQ(s.FormState, 2);
}

TEST_F(SettingsTest, TheTemplateIsCopiedWhenTheFileIsMissingOrEmpty) {
    program_.File("Tandor.ini", "[Form]\r\nZoom=150\r\n");
    LoadProgramSettings();
    EXPECT_EQ(Settings().Zoom, 150);
    EXPECT_EQ(IniFile::GetInt(SettingsFile(), "Form", "Zoom", 0), 150);
    WriteSettings("");
    Reload();
    EXPECT_EQ(Settings().Zoom, 150);
    // A file with contents is never replaced.
    WriteSettings("[Form]\nZoom=90\n");
    Reload();
    EXPECT_EQ(Settings().Zoom, 90);
}

TEST_F(SettingsTest, TheShippedTemplateHoldsTheTableDefaults) {
    QFile shipped(QStringLiteral(TANDOR_DATA_DIR) + "/Tandor.ini");
    if (!shipped.exists()) shipped.setFileName(QFileInfo(QStringLiteral(__FILE__)).absolutePath() + "/../../../data/Tandor.ini");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    program_.File("Tandor.ini", shipped.readAll());
    LoadProgramSettings();
    const ProgramSettings fromTemplate = Settings();

    IsolatedEnvironment clean;
    TempTree emptyProgram;
    SetProgramFolderForTests(emptyProgram.Path());
    LoadProgramSettings();
    EXPECT_EQ(WrittenForms(fromTemplate), WrittenForms(Settings()));
    EXPECT_EQ(fromTemplate.FormPos, Settings().FormPos);
    EXPECT_EQ(fromTemplate.LanguageName, Settings().LanguageName);
}

TEST_F(SettingsTest, RunsCountsUpByOnePerStartAndRegistryValuesAreRead) {
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastUpdateCheck", QVariant(QString("46000.5"))));
    ASSERT_TRUE(WriteUserRegistryValue("CurrentVersion", "ShortcutFolder", QVariant(QString("/links"))));
    for (int start = 1; start <= 3; ++start) {
        Reload();
        EXPECT_EQ(Settings().Runs, start);
    }
    EXPECT_EQ(ReadUserRegistryValue("Flags", "Runs", 0), QVariant(3));
    EXPECT_DOUBLE_EQ(Settings().LastUpdateCheck, 46000.5);
    EXPECT_DOUBLE_EQ(Settings().NextUpdateCheck, 0.0);
    EXPECT_EQ(Settings().ShortcutFolder, "/links");
}

TEST_F(SettingsTest, AConfigFolderThatCannotBeMadeLeavesTheDefaults) {
    TempTree t;
    t.File("blocker", "not a folder");
    qputenv("XDG_CONFIG_HOME", t.Path("blocker/config").toUtf8());
    SetRegistryStorePathForTests(Hive::CurrentUser, t.Path("blocker/config/Tandor/user.reg"));
    program_.File("Tandor.ini", "[Form]\nZoom=150\n");
    LoadProgramSettings();
    EXPECT_EQ(Settings().Zoom, 100);
    EXPECT_EQ(Settings().Runs, 1);
    EXPECT_FALSE(WriteSettingsString("Form", "Zoom", "80"));
}

// A settings file with CR LF lines, a key in odd case and a stray Windows-1252 byte, so that a
// rewrite of more than the changed lines would show.
const QByteArray kSettingsFile = "[General]\r\nleft=Home\r\nCompareDate=1\r\nTimeLag=00:00:02\r\n"
                                 "; caf\xE9 comment\r\nIgnoreLockedFiles =0\r\n[Form]\r\nZoom=100\r\n";

TEST(DefaultSettingsWriterTest, WritesOnlyTheChangedKeysAndKeepsEveryOtherByte) {
    TempTree tree;
    ProgramSettings before;
    before.SettingsFilePath = tree.File("Tandor.ini", kSettingsFile);
    before.DefaultProfileOptions.ListName[0] = "Home";
    before.DefaultProfileOptions.TimeLag = 2.0 / 86400;
    ASSERT_TRUE(WriteChangedDefaultSettings(before, before));
    EXPECT_EQ(tree.Read("Tandor.ini"), kSettingsFile);

    ProgramSettings after = before;
    after.DefaultProfileOptions.CompareDate = false;
    after.DefaultProfileOptions.TimeLag = MaxDateValue;
    after.DefaultProfileOptions.CheckArchiveAttr = 32;  // written as the box value
    after.IgnoreLockedFiles = true;
    after.Zoom = 120;
    after.MaxDeletePercent = 30;
    after.ProfilesFolder = "%Documents%/Profiles";
    QStringList written;
    ASSERT_TRUE(WriteChangedDefaultSettings(before, after, &written));
    EXPECT_EQ(written, QStringList({"General/CheckArchiveAttr", "General/CompareDate", "General/TimeLag", "Form/Zoom",
                                    "General/IgnoreLockedFiles ", "General/MaxDeletePercent", "Paths/Profiles"}));
    EXPECT_EQ(tree.Read("Tandor.ini"),
              QByteArray("[General]\r\nleft=Home\r\nCompareDate=0\r\nTimeLag=9999-12-31 23:59:59\r\n"
                         "; caf\xE9 comment\r\nIgnoreLockedFiles =1\r\nCheckArchiveAttr=1\r\nMaxDeletePercent=30\r\n"
                         "[Form]\r\nZoom=120\r\n[Paths]\r\nProfiles=%Documents%/Profiles\r\n"));
}

TEST(DefaultSettingsWriterTest, AFolderThatCannotBeWrittenChangesNothing) {
    // A settings "folder" that is a file cannot hold the settings file, not even for root.
    TempTree tree;
    tree.File("notAFolder", "x");
    ProgramSettings blocked;
    blocked.SettingsFilePath = tree.Path("notAFolder/Tandor.ini");
    ProgramSettings after = blocked;
    after.AllowUndo = true;
    after.LogChanges = true;
    QStringList written{"stale"};
    EXPECT_FALSE(WriteChangedDefaultSettings(blocked, after, &written));
    EXPECT_TRUE(written.isEmpty());
    EXPECT_EQ(tree.Read("notAFolder"), "x");
}

}  // namespace
