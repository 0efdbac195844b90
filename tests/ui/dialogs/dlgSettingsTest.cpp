// The default settings: Apply writes exactly what changed, a settings file that cannot be
// written changes nothing, the log page, and Ctrl+Tab round the pages.
#include "DialogTesting.h"

#include "engine/LogFile.h"
#include "platform/Clock.h"
#include "ui/dialogs/dlgSettings.h"

#include <QCheckBox>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Settings from the template beside the program, on a fixed day, the log files in the tree.
struct SettingsDialogTest : DialogFixture {
    QByteArray original;
    void SetUp() override {
        Clock::SetNowForTests([] { return QDateTime(QDate(2024, 1, 31), QTime(12, 0)); });
        LoadProgramSettings();
        Settings().LogfilesFolder = tree.Path();
        DialogFixture::SetUp();
        original = ReadAll(Settings().SettingsFilePath);
        ASSERT_FALSE(original.isEmpty());
    }
    void TearDown() override {
        Clock::SetNowForTests({});
        DialogFixture::TearDown();
    }
    template <class T> T* Find(dlgSettings& d, const char* name) {
        T* w = d.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
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
    // Without subfolders folder switches have nothing to say.
    Find<QCheckBox>(dialog, "chkSubDirs")->click();
    EXPECT_FALSE(Find<QCheckBox>(dialog, "chkHidden_0")->isEnabled());
    EXPECT_TRUE(Find<QCheckBox>(dialog, "chkHidden_1")->isEnabled());
    Find<QCheckBox>(dialog, "chkSubDirs")->click();
    // The folder for log files is browsed under its own title.
    QString askedTitle;
    dialog.folderDialog = [&](const QString& title, const QString&) {
        askedTitle = title;
        return tree.Path();
    };
    dialog.cmdGetDir_Click(1);
    EXPECT_EQ(askedTitle, FormatMsg(15200, {FormatMsg(15202)}));
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

TEST_F(SettingsDialogTest, ASettingsFolderThatCannotBeWrittenIsSaidAndNothingChanges) {
    tree.File("blocked", "not a folder");
    Settings().SettingsFilePath = tree.Path("blocked/Tandor.ini");
    dlgSettings dialog;
    Find<QCheckBox>(dialog, "chkIgnoreLockedFiles")->click();
    auto* apply = Find<QPushButton>(dialog, "cmdApply");
    apply->click();
    ASSERT_EQ(host.messagesShown.size(), 1);
    EXPECT_TRUE(host.messagesShown[0].startsWith(FormatMsg(1133, {Settings().SettingsFilePath, QStringLiteral("@")}).section('@', 0, 0)));
    EXPECT_FALSE(Settings().IgnoreLockedFiles);
    EXPECT_TRUE(apply->isEnabled());
}

TEST_F(SettingsDialogTest, TheLogPageShowsTheDaysLogOnceAndAChosenLogWithItsDate) {
    const QString today = LogFilePath(QDate(2024, 1, 31));
    ASSERT_EQ(today, tree.Path("20240131.log"));
    // The lines as written, escapes of logged paths and TABs included.
    tree.File("20240131.log", "first line\r\n12:00\tCopy\t/a/new\\nline\t/b/tab\\t\\\\\r\n");
    const QString written = QStringLiteral("first line\n12:00\tCopy\t/a/new\\nline\t/b/tab\\t\\\\\n");
    dlgSettings dialog;
    dialog.SelectTab(QStringLiteral("TAB_LOGFILE"));
    EXPECT_EQ(dialog.LogFrameCaption(), FormatMsg(16010, {QStringLiteral("2024-01-31")}));
    EXPECT_EQ(dialog.LogViewText(), written);
    tree.File("20240131.log", "changed\r\n");
    dialog.SelectTab(QStringLiteral("TAB_ABOUT"));
    dialog.SelectTab(QStringLiteral("TAB_LOGFILE"));
    EXPECT_EQ(dialog.LogViewText(), written);  // loaded once a day

    tree.File("20231224.log", "eve\r\n");
    dialog.fileDialog = [&](const QString& title, const QString&, const QString& start, bool multiple) {
        EXPECT_EQ(title, FormatMsg(16910));
        EXPECT_EQ(start, tree.Path());
        EXPECT_FALSE(multiple);
        return QStringList{tree.Path("20231224.log")};
    };
    dialog.cmdOpenLogFile_Click();
    EXPECT_EQ(dialog.LogFrameCaption(), FormatMsg(16010, {QStringLiteral("2023-12-24")}));
    EXPECT_EQ(dialog.LogViewText(), QStringLiteral("eve\n"));

    dialog.fileDialog = [&](const QString& title, const QString&, const QString&, bool multiple) {
        EXPECT_EQ(title, FormatMsg(16920));
        EXPECT_TRUE(multiple);
        return QStringList{tree.Path("20231224.log"), tree.Path("20240131.log")};
    };
    dialog.cmdDeleteLogFiles_Click();
    EXPECT_FALSE(tree.Exists("20231224.log"));
    EXPECT_FALSE(tree.Exists("20240131.log"));
    EXPECT_TRUE(dialog.LogViewText().isEmpty());
}

TEST_F(SettingsDialogTest, ALargeLogShowsItsLastLinesOnly) {
    // One and a half times what the view holds, in numbered lines; the view holds the end and
    // says what it left out.
    QByteArray big;
    for (int i = 0; big.size() < dlgSettings::LogViewBytes * 3 / 2; ++i) big += "2024-01-31 12:00:00\tline " + QByteArray::number(i) + "\r\n";
    const QByteArray last = big.mid(big.lastIndexOf('\t', big.size() - 3) + 1).trimmed();
    tree.File("20240131.log", big);
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
    dialog.SelectTab(QStringLiteral("TAB_ABOUT"));
    const struct {
        const char* from;
        bool back;
        const char* tab;
    } steps[] = {{"cmdExit", false, "TAB_LISTNAMES"}, {"cmdApply", true, "TAB_ABOUT"},
                 {"lblAbout", false, "TAB_LISTNAMES"}, {"txtListName_0", false, "TAB_INCLUDE"}};
    for (const auto& step : steps) {
        QKeyEvent event(QEvent::KeyPress, step.back ? Qt::Key_Backtab : Qt::Key_Tab,
                        step.back ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
        QApplication::sendEvent(Find<QWidget>(dialog, step.from), &event);
        EXPECT_EQ(dialog.SelectedTabKey(), QString::fromLatin1(step.tab)) << step.from;
    }
}

}  // namespace
