#include "config/DefaultSettingsWriter.h"
#include "config/ProgramSettings.h"
#include "platform/IniFile.h"

#include "support/TempTree.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A settings file with CR LF lines, a key in odd case and a stray Windows-1252 byte, so that a
// rewrite of more than the changed lines would show.
const QByteArray kFile = "[General]\r\nleft=Home\r\nCompareDate=1\r\nTimeLag=00:00:02\r\n"
                         "; caf\xE9 comment\r\nIgnoreLockedFiles =0\r\n[Form]\r\nZoom=100\r\n";

class DefaultSettingsWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = tree.Path("Tandor.ini");
        tree.File("Tandor.ini", kFile);
        before.SettingsFilePath = path;
        before.DefaultProfileOptions.ListName[0] = "Home";
        before.DefaultProfileOptions.TimeLag = 2.0 / 86400;
    }
    TempTree tree;
    QString path;
    ProgramSettings before;
};

TEST_F(DefaultSettingsWriterTest, WritesOnlyTheChangedKeysAndKeepsEveryOtherByte) {
    ProgramSettings after = before;
    after.DefaultProfileOptions.CompareDate = false;
    after.DefaultProfileOptions.TimeLag = MaxDateValue;
    after.IgnoreLockedFiles = true;
    after.Zoom = 120;
    after.MaxDeletePercent = 30;
    after.ProfilesFolder = "%Documents%/Profiles";
    QStringList written;
    ASSERT_TRUE(WriteChangedDefaultSettings(before, after, &written));
    EXPECT_EQ(written, QStringList({"General/CompareDate", "General/TimeLag", "Form/Zoom", "General/IgnoreLockedFiles ",
                                    "General/MaxDeletePercent", "Paths/Profiles"}));
    const QByteArray expected = "[General]\r\nleft=Home\r\nCompareDate=0\r\nTimeLag=9999-12-31 23:59:59\r\n"
                                "; caf\xE9 comment\r\nIgnoreLockedFiles =1\r\nMaxDeletePercent=30\r\n"
                                "[Form]\r\nZoom=120\r\n[Paths]\r\nProfiles=%Documents%/Profiles\r\n";
    EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(DefaultSettingsWriterTest, NothingChangedWritesNothing) {
    ASSERT_TRUE(WriteChangedDefaultSettings(before, before));
    EXPECT_EQ(ReadAll(path), kFile);
    ProgramSettings archive = before;
    archive.DefaultProfileOptions.CheckArchiveAttr = 32;  // written as the box value
    for (const SettingsKeyText& key : DefaultSettingsKeys(archive)) {
        if (key.key == QLatin1String("CheckArchiveAttr")) {
            EXPECT_EQ(key.text, "1");
        }
    }
}

TEST_F(DefaultSettingsWriterTest, AFolderThatCannotBeWrittenChangesNothing) {
    // A settings "folder" that is a file cannot hold the settings file, not even for root.
    tree.File("notAFolder", "x");
    ProgramSettings blocked = before;
    blocked.SettingsFilePath = tree.Path("notAFolder/Tandor.ini");
    ProgramSettings after = blocked;
    after.AllowUndo = true;
    after.LogChanges = true;
    QStringList written{"stale"};
    EXPECT_FALSE(WriteChangedDefaultSettings(blocked, after, &written));
    EXPECT_TRUE(written.isEmpty());
    EXPECT_EQ(ReadAll(tree.Path("notAFolder")), "x");
}

TEST_F(DefaultSettingsWriterTest, SeveralKeysGoInOneChangeOrNotAtAll) {
    ASSERT_TRUE(IniFile::WriteStrings(path, {{"General", "AllowUndo", "1"}, {"Include", "SubDirs", "0"}}));
    EXPECT_EQ(ReadAll(path), kFile.left(kFile.indexOf("[Form]")) + "AllowUndo=1\r\n[Form]\r\nZoom=100\r\n"
                                 "[Include]\r\nSubDirs=0\r\n");
    const QByteArray now = ReadAll(path);
    // One unwritable key name refuses the whole change.
    EXPECT_FALSE(IniFile::WriteStrings(path, {{"General", "AllowUndo", "0"}, {"General", "bad\nkey", "1"}}));
    EXPECT_EQ(ReadAll(path), now);
}

}  // namespace
