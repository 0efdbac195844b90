#include "ui/dialogs/dlgSettings.h"

#include "config/ProgramSettings.h"
#include "engine/HeadlessRunHost.h"
#include "engine/LogFile.h"
#include "i18n/TextLookup.h"
#include "platform/Clock.h"
#include "support/TempTree.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Settings from the template beside the program, in English, answered by a headless host, on a
// fixed day.
class SettingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        Clock::SetNowForTests([] { return QDateTime(QDate(2024, 1, 31), QTime(12, 0)); });
        LoadProgramSettings();
        Settings().LanguageName = QStringLiteral("English");
        Settings().LogfilesFolder = logs.Path();
        ReloadLocalizer();
        SetHost(&host);
        original = ReadAll(Settings().SettingsFilePath);
        ASSERT_FALSE(original.isEmpty());
    }
    void TearDown() override {
        SetHost(nullptr);
        Clock::SetNowForTests({});
        ReloadLocalizer();
    }
    template <class T> T* Find(dlgSettings& d, const char* name) {
        T* w = d.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    IsolatedEnvironment env;
    TempTree logs;
    HeadlessRunHost host;
    QByteArray original;
};

TEST_F(SettingsDialogTest, ApplyWritesExactlyTheChangedKeysAndIsOnlyPossibleAfterAChange) {
    dlgSettings dialog;
    auto* apply = Find<QPushButton>(dialog, "cmdApply");
    EXPECT_FALSE(apply->isEnabled());
    bool compareChanged = true, zoomChanged = false;
    dialog.applied = [&](bool c, bool z) { compareChanged = c; zoomChanged = z; };

    Find<QCheckBox>(dialog, "chkAllowUndo")->click();
    Find<QCheckBox>(dialog, "chkLogChanges")->click();
    Find<QSpinBox>(dialog, "spnMaxDeletePercent")->setValue(30);
    Find<QListWidget>(dialog, "lstZoom")->setCurrentRow(8);  // 120 %
    Find<QLineEdit>(dialog, "txtSearch_1")->setText(QStringLiteral("*.tmp;*.bak"));
    ASSERT_TRUE(apply->isEnabled());
    apply->click();

    QByteArray expected = original;
    expected.replace("AllowUndo=0", "AllowUndo=1").replace("LogChanges=0", "LogChanges=1");
    expected.replace("MaxDeletePercent=50", "MaxDeletePercent=30").replace("Zoom=100", "Zoom=120");
    expected.replace("[Exclude]\nDirs=\nFiles=\n", "[Exclude]\nDirs=\nFiles=*.tmp;*.bak\n");
    expected.replace("[Exclude]\r\nDirs=\r\nFiles=\r\n", "[Exclude]\r\nDirs=\r\nFiles=*.tmp;*.bak\r\n");
    EXPECT_EQ(ReadAll(Settings().SettingsFilePath), expected);
    EXPECT_TRUE(Settings().AllowUndo);
    EXPECT_EQ(Settings().Zoom, 120);
    EXPECT_EQ(Settings().MaxDeletePercent, 30);
    EXPECT_FALSE(apply->isEnabled());
    EXPECT_FALSE(compareChanged);
    EXPECT_TRUE(zoomChanged);
}

TEST_F(SettingsDialogTest, CompareDateOffWritesTheLargestDateAndAnImpossibleTimeLagIsRefused) {
    {
        dlgSettings dialog;
        bool compareChanged = false;
        dialog.applied = [&](bool c, bool) { compareChanged = c; };
        auto* lag = Find<QLineEdit>(dialog, "txtTimeLag");
        for (const char* bad : {"25:00:00", "abc", ""}) {
            lag->setText(QString::fromLatin1(bad));
            dialog.cmdApply_Click();
            EXPECT_EQ(ReadAll(Settings().SettingsFilePath), original) << bad;
        }
        ASSERT_EQ(host.messagesShown.size(), 3);
        EXPECT_EQ(host.messagesShown[0], FormatMsg(10800));
        Find<QCheckBox>(dialog, "chkCompOption_1")->click();
        EXPECT_FALSE(lag->isEnabled());
        dialog.cmdApply_Click();
        EXPECT_TRUE(compareChanged);
        EXPECT_EQ(host.messagesShown.size(), 3);
    }
    const QByteArray now = ReadAll(Settings().SettingsFilePath);
    EXPECT_TRUE(now.contains("CompareDate=0")) << now.constData();
    EXPECT_TRUE(now.contains("TimeLag=9999-12-31 23:59:59")) << now.constData();
    dlgSettings reopened;
    EXPECT_EQ(Find<QLineEdit>(reopened, "txtTimeLag")->text(), QStringLiteral("00:00:00"));
}

TEST_F(SettingsDialogTest, ASettingsFolderThatCannotBeWrittenIsSaidAndNothingChanges) {
    logs.File("blocked", "not a folder");
    Settings().SettingsFilePath = logs.Path("blocked/Tandor.ini");
    dlgSettings dialog;
    Find<QCheckBox>(dialog, "chkIgnoreLockedFiles")->click();
    auto* apply = Find<QPushButton>(dialog, "cmdApply");
    apply->click();
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_TRUE(host.messagesShown[0].startsWith(FormatMsg(1133, {Settings().SettingsFilePath, QStringLiteral("@")}).section('@', 0, 0)));
    EXPECT_FALSE(Settings().IgnoreLockedFiles);
    EXPECT_TRUE(apply->isEnabled());
}

TEST_F(SettingsDialogTest, MediumAndSubfolderInterlocks) {
    dlgSettings dialog;
    auto* left = Find<QCheckBox>(dialog, "chkSynchMedium_0");
    auto* right = Find<QCheckBox>(dialog, "chkSynchMedium_1");
    auto* archive = Find<QCheckBox>(dialog, "chkCompOption_0");
    auto* reset = Find<QCheckBox>(dialog, "chkResetArchiveAttr_1");
    right->click();
    left->click();
    EXPECT_FALSE(right->isChecked());
    EXPECT_TRUE(archive->isChecked());
    EXPECT_FALSE(archive->isEnabled());
    EXPECT_EQ(reset->checkState(), Qt::PartiallyChecked);
    left->click();
    EXPECT_TRUE(archive->isEnabled());
    EXPECT_EQ(reset->checkState(), Qt::Unchecked);
    Find<QCheckBox>(dialog, "chkSubDirs")->click();
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkHidden_0")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(dialog, "chkHidden_1")->isEnabled());
}

TEST_F(SettingsDialogTest, TheLogPageShowsTheDaysLogOnceAndAChosenLogWithItsDate) {
    const QString today = LogFilePath(QDate(2024, 1, 31));
    ASSERT_EQ(today, logs.Path("20240131.log"));
    // The lines as written, escapes of logged paths and TABs included.
    logs.File("20240131.log", "first line\r\n12:00\tCopy\t/a/new\\nline\t/b/tab\\t\\\\\r\n");
    const QString written = QStringLiteral("first line\n12:00\tCopy\t/a/new\\nline\t/b/tab\\t\\\\\n");
    dlgSettings dialog;
    dialog.SelectTab(QStringLiteral("TAB_LOGFILE"));
    EXPECT_EQ(dialog.LogFrameCaption(), FormatMsg(16010, {QStringLiteral("2024-01-31")}));
    EXPECT_EQ(dialog.LogViewText(), written);
    logs.File("20240131.log", "changed\r\n");
    dialog.SelectTab(QStringLiteral("TAB_ABOUT"));
    dialog.SelectTab(QStringLiteral("TAB_LOGFILE"));
    EXPECT_EQ(dialog.LogViewText(), written);  // loaded once a day

    logs.File("20231224.log", "eve\r\n");
    dialog.fileDialog = [&](const QString& title, const QString&, const QString& start, bool multiple) {
        EXPECT_EQ(title, FormatMsg(16910));
        EXPECT_EQ(start, logs.Path());
        EXPECT_FALSE(multiple);
        return QStringList{logs.Path("20231224.log")};
    };
    dialog.cmdOpenLogFile_Click();
    EXPECT_EQ(dialog.LogFrameCaption(), FormatMsg(16010, {QStringLiteral("2023-12-24")}));
    EXPECT_EQ(dialog.LogViewText(), QStringLiteral("eve\n"));

    dialog.fileDialog = [&](const QString& title, const QString&, const QString&, bool multiple) {
        EXPECT_EQ(title, FormatMsg(16920));
        EXPECT_TRUE(multiple);
        return QStringList{logs.Path("20231224.log"), logs.Path("20240131.log")};
    };
    dialog.cmdDeleteLogFiles_Click();
    EXPECT_FALSE(logs.Exists("20231224.log"));
    EXPECT_FALSE(logs.Exists("20240131.log"));
    EXPECT_TRUE(dialog.LogViewText().isEmpty());
}

TEST_F(SettingsDialogTest, ALargeLogShowsItsLastLinesOnly) {
    // 50 MB of numbered lines; the view holds the end and says what it left out.
    QByteArray big;
    big.reserve(51 * 1024 * 1024);
    for (int i = 0; big.size() < 50 * 1024 * 1024; ++i) big += "2024-01-31 12:00:00\tline " + QByteArray::number(i) + "\r\n";
    const QByteArray last = big.mid(big.lastIndexOf('\t', big.size() - 3) + 1).trimmed();
    logs.File("20240131.log", big);
    dlgSettings dialog;
    dialog.SelectTab(QStringLiteral("TAB_LOGFILE"));
    const QString text = dialog.LogViewText();
    EXPECT_LE(text.size(), dlgSettings::LogViewBytes + 200);
    EXPECT_TRUE(text.startsWith(FormatMsg(1135, {QStringLiteral("@"), QStringLiteral("@")}).section('@', 0, 0)));
    EXPECT_TRUE(text.trimmed().endsWith(QString::fromLatin1(last))) << text.right(60).toStdString();
    // The view starts at a whole line.
    EXPECT_TRUE(text.section('\n', 1, 1).startsWith(QStringLiteral("2024-01-31")));
}

TEST_F(SettingsDialogTest, CtrlTabGoesRoundTheTabsFromThePagesAndFromTheButtons) {
    dlgSettings dialog;
    const auto press = [](QWidget* target, int key, Qt::KeyboardModifiers mods) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(target, &event);
    };
    dialog.SelectTab(QStringLiteral("TAB_ABOUT"));
    EXPECT_EQ(dialog.SelectedTabKey(), QStringLiteral("TAB_ABOUT"));
    press(Find<QPushButton>(dialog, "cmdExit"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(dialog.SelectedTabKey(), QStringLiteral("TAB_LISTNAMES"));
    press(Find<QPushButton>(dialog, "cmdApply"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(dialog.SelectedTabKey(), QStringLiteral("TAB_ABOUT"));
    press(Find<QLabel>(dialog, "lblAbout"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(dialog.SelectedTabKey(), QStringLiteral("TAB_LISTNAMES"));
    press(Find<QLineEdit>(dialog, "txtListName_0"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(dialog.SelectedTabKey(), QStringLiteral("TAB_INCLUDE"));
}

TEST_F(SettingsDialogTest, BrowsingAFolderUsesTheTitleOfMessage15200) {
    dlgSettings dialog;
    QString askedTitle;
    dialog.folderDialog = [&](const QString& title, const QString&) {
        askedTitle = title;
        return QStringLiteral("/srv/logs");
    };
    dialog.cmdGetDir_Click(1);
    EXPECT_EQ(askedTitle, FormatMsg(15200, {FormatMsg(15202)}));
    EXPECT_EQ(Find<QLineEdit>(dialog, "txtPath_1")->text(), QStringLiteral("/srv/logs"));
    EXPECT_TRUE(Find<QPushButton>(dialog, "cmdApply")->isEnabled());
}

}  // namespace
