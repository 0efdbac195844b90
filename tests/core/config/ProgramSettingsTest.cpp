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

TEST_F(SettingsTest, KeysAreReadWithTheirRules) {
    WriteSettings("[general]\nCheckArchiveAttr=1\nIgnoreLockedFiles =1\nLogChanges=1\nLanguage=Deutsch\nTimeLag=00:00:02\n"
                  "CompareDate=0\nLeft=Mine\nUsername0=never\nMaxDeletePercent=250\n"
                  "[Form]\nPos=1;2;3;4\nZoom=125\nState=2\n[Paths]\nLogfiles=%AppData%/logs\n"
                  "[Include]\nSubDirs=0\nHiddenFiles=1\n[Exclude]\nDirs=tmp\n[Delete]\nFiles=*.bak\n");
    LoadProgramSettings();
    const ProgramSettings& s = Settings();
    EXPECT_EQ(s.DefaultProfileOptions.CheckArchiveAttr, 32);
    EXPECT_TRUE(s.IgnoreLockedFiles);
    EXPECT_EQ(s.MaxDeletePercent, 100);  // a share beyond 100 is the guard switched off
    EXPECT_TRUE(s.LogChanges);
    EXPECT_EQ(s.LanguageName, "Deutsch");
    EXPECT_DOUBLE_EQ(s.DefaultProfileOptions.TimeLag, 2.0 / 86400);
    EXPECT_FALSE(s.DefaultProfileOptions.CompareDate);
    EXPECT_EQ(s.DefaultProfileOptions.ListName[0], "Mine");
    EXPECT_TRUE(s.DefaultProfileOptions.Username[0].isEmpty());
    EXPECT_EQ(s.FormPos, "1;2;3;4");
    EXPECT_EQ(s.Zoom, 125);
    EXPECT_EQ(s.FormState, 2);
    EXPECT_EQ(s.ProfilesFolder, s.SettingsFolder);
    EXPECT_EQ(s.LogfilesFolder, "%AppData%/logs");  // expanded where it is used
    EXPECT_FALSE(s.SubDirs);
    EXPECT_TRUE(s.HiddenFiles);
    EXPECT_EQ(s.ExcludeDirs, "tmp");
    EXPECT_EQ(s.DeleteFiles, "*.bak");
}

TEST_F(SettingsTest, AnUnreadableTimeLagKeepsItsDefault) {
    WriteSettings("[General]\nTimeLag=whenever\n");
    LoadProgramSettings();
    EXPECT_DOUBLE_EQ(Settings().DefaultProfileOptions.TimeLag, 0.0);
}

TEST_F(SettingsTest, TheTemplateIsCopiedWhenTheFileIsMissingOrEmpty) {
    program_.File("Tandor.ini", "[Form]\r\nZoom=150\r\n");
    LoadProgramSettings();
    EXPECT_EQ(Settings().Zoom, 150);
    EXPECT_EQ(IniFile::GetInt(SettingsFile(), "Form", "Zoom", 0), 150);

    WriteSettings("");
    ResetProgramSettings();
    LoadProgramSettings();
    EXPECT_EQ(Settings().Zoom, 150);

    // A file with contents is never replaced.
    WriteSettings("[Form]\nZoom=90\n");
    ResetProgramSettings();
    LoadProgramSettings();
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
    // Every key the settings dialog writes, in the file's form: the template changes none. The
    // folders follow each environment's own configuration folder.
    const auto forms = [](const ProgramSettings& s) {
        QStringList out;
        for (const SettingsKeyText& k : DefaultSettingsKeys(s))
            if (k.section != QLatin1String("Paths")) out << k.section + '/' + k.key + '=' + k.text;
        return out;
    };
    EXPECT_EQ(forms(fromTemplate), forms(Settings()));
    EXPECT_EQ(fromTemplate.FormPos, Settings().FormPos);
    EXPECT_EQ(fromTemplate.LanguageName, Settings().LanguageName);
}

TEST_F(SettingsTest, RunsCountsUpByOnePerStartAndRegistryValuesAreRead) {
    ASSERT_TRUE(WriteUserRegistryValue("Flags", "LastUpdateCheck", QVariant(QString("46000.5"))));
    ASSERT_TRUE(WriteUserRegistryValue("CurrentVersion", "ShortcutFolder", QVariant(QString("/links"))));
    for (int start = 1; start <= 3; ++start) {
        ResetProgramSettings();
        LoadProgramSettings();
        EXPECT_EQ(Settings().Runs, start);
    }
    EXPECT_EQ(ReadUserRegistryValue("Flags", "Runs", 0), QVariant(3));
    QFile store(RegistryStorePath(Hive::CurrentUser));
    ASSERT_TRUE(store.open(QIODevice::ReadOnly));
    EXPECT_TRUE(store.readAll().contains("\"Runs\"=dword:00000003\r\n"));
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

TEST_F(SettingsTest, SingleKeyWritersChangeOneKey) {
    WriteSettings("[General]\r\nLeft=a\r\n[Form]\r\nZoom=100\r\n");
    LoadProgramSettings();
    ASSERT_TRUE(WriteSettingsString("Form", "Pos", "10;20;9600;7200"));
    ASSERT_TRUE(WriteSettingsString("General", "IgnoreLockedFiles ", "1"));
    QFile f(SettingsFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[General]\r\nLeft=a\r\nIgnoreLockedFiles =1\r\n[Form]\r\nZoom=100\r\n"
                                      "Pos=10;20;9600;7200\r\n"));
}

}  // namespace
