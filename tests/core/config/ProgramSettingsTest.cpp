#include "config/DefaultSettingsWriter.h"
#include "config/ProgramSettings.h"
#include "config/Registry.h"
#include "platform/IniFile.h"
#include "platform/RegistryStore.h"
#include "platform/SystemInfo.h"

#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// The settings dialog's keys in the file's form, without the folders (they follow the environment).
QStringList WrittenForms(const ProgramSettings& s) {
    QStringList out;
    for (const SettingsKeyText& k : DefaultSettingsKeys(s))
        if (k.section != QLatin1String("Paths")) out << k.section + '/' + k.key + '=' + k.text;
    return out;
}

// A program folder of its own, so that the template beside the build does not leak in.
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

// Every key the settings dialog writes, changed from its default, written and loaded again.
TEST_F(SettingsTest, EveryKeyTheDialogWritesIsReadBack) {
    WriteSettings("[General]\r\n");
    LoadProgramSettings();
    ProgramSettings after = Settings();
    ProfileOptions& o = after.DefaultProfileOptions;
    o.ListName = {QString::fromUtf8("Büro"), "Stick"};
    o.SynchMedium = {true, true};
    o.CheckArchiveAttr = 32;
    o.CompareDate = o.CompareSize = false;
    o.TimeLag = MaxDateValue;
    o.ResetArchiveAttrSource = o.ResetArchiveAttrDest = o.PropagateDeletions = true;
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

// The template fills a missing or empty settings file, never one with contents; a share beyond
// 100 in a hand-edited file is the deletion guard switched off.
TEST_F(SettingsTest, TheTemplateIsCopiedWhenTheFileIsMissingOrEmptyAndHandEditsAreRead) {
    program_.File("Tandor.ini", "[Form]\r\nZoom=150\r\n");
    LoadProgramSettings();
    EXPECT_EQ(Settings().SettingsFilePath, SettingsFile());
    EXPECT_EQ(Settings().MaxDeletePercent, 50);  // the deletion guard is on by default
    EXPECT_EQ(IniFile::GetInt(SettingsFile(), "Form", "Zoom", 0), 150);
    WriteSettings("");
    Reload();
    EXPECT_EQ(Settings().Zoom, 150);
    WriteSettings("[Form]\nZoom=90\n[General]\nTimeLag=whenever\nPassword0=never\nMaxDeletePercent=250\n");
    Reload();
    EXPECT_EQ(Settings().Zoom, 90);
    EXPECT_EQ(Settings().MaxDeletePercent, 100);
    EXPECT_DOUBLE_EQ(Settings().DefaultProfileOptions.TimeLag, 0.0);  // unreadable: the default stays
    EXPECT_TRUE(Settings().DefaultProfileOptions.Password[0].isEmpty());
}

}  // namespace
