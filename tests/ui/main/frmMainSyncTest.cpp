// The main window's run commands with the windowed run host on real folders, one run through
// the window for each: Synchronize with its question, progress window and status line, the
// popup delete with its question; and nothing the user does while a run works
// changes what it does. What the runs copy and delete in detail the engine's tests hold.

#include "MainWindowTesting.h"
#include "engine/ProfileLoading.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "ui/main/WindowRunHost.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <functional>
#include <utility>

namespace {

// The windowed host, watching the progress window.
class ObservingHost : public WindowRunHost {
public:
    bool progressShown = false;
    // Run while the first file of a run is under way, from inside the run's event processing.
    std::function<void()> onFirstFile;

    void ProgressShowFile(const QString& fromFolder, const QString& toFolder, const QString& name) override {
        WindowRunHost::ProgressShowFile(fromFolder, toFolder, name);
        if (onFirstFile) std::exchange(onFirstFile, nullptr)();
    }
    void ProgressInit(int64_t totalBytes) override {
        WindowRunHost::ProgressInit(totalBytes);
        progressShown = dlgProgress::Existing() && dlgProgress::Existing()->isVisible();
    }
};

struct SyncFixture : MainWindowFixture {
    ObservingHost runHost;
    // No test may block on a box nobody expected: it is noted as a failure and answered.
    QTimer watchdog;
    int unexpectedBoxes = 0;

    void SetUp() override {
        watchdog.setInterval(500);
        QObject::connect(&watchdog, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget())) {
                ++unexpectedBoxes;
                box->Buttons().last()->click();
            }
        });
        watchdog.start();
        SetHost(&runHost);
        OpenWindow(900, 640);
        runHost.owner = [this]() -> QWidget* { return window.get(); };
        runHost.onStatus = [this](int field, const QString& text) { window->SetStatus(field, text); };
        runHost.onCompareStage = [this](int stage) { window->SetCompareStage(stage); };
        SetRefreshCompare([this] { window->RunCompare(); });
    }
    void TearDown() override {
        watchdog.stop();
        EXPECT_EQ(unexpectedBoxes, 0);
        dlgProgress::Unload();
        SetRefreshCompare(nullptr);
        runHost.owner = nullptr;
        runHost.onStatus = nullptr;
        runHost.onCompareStage = nullptr;
        MainWindowFixture::TearDown();
    }
    void Load() {
        tree.Folder(QStringLiteral("left"));
        tree.Folder(QStringLiteral("right"));
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
        ASSERT_TRUE(window->LastCompareSucceeded());
    }
    QWidget* Control(const char* name) const { return window->findChild<QWidget*>(QString::fromLatin1(name)); }
    void Press(const char* button) const { window->findChild<QPushButton*>(QString::fromLatin1(button))->click(); }
    QString Status() const { return window->findChild<QLabel*>(QStringLiteral("lblStatus_1"))->text(); }
};

}  // namespace

TEST_F(SyncFixture, SynchronizeAsksWithThePlansCountsCopiesBothWaysAndReportsInTheStatusLine) {
    const QDateTime now = QDateTime::currentDateTime();
    tree.File(QStringLiteral("left/newer.txt"), "left wins", now);
    tree.File(QStringLiteral("right/newer.txt"), "old", now.addDays(-3));
    tree.File(QStringLiteral("right/only right.txt"), "from the right");
    tree.File(QStringLiteral("left/sub/deep.txt"), "deep");
    Load();
    runHost.presetAnswers << MsgBox::Yes;
    Press("cmdSynch");
    ASSERT_EQ(runHost.asked.size(), 1);
    EXPECT_TRUE(runHost.asked.first().startsWith(FormatMsg(804) + QStringLiteral("\n\n"))) << runHost.asked.first().toStdString();
    EXPECT_TRUE(runHost.asked.first().endsWith(FormatMsg(1215, {"2", "1", "13 bytes"}) + QLatin1Char('\n') +
                                            FormatMsg(1216, {"1", "0", "14 bytes"})))
        << runHost.asked.first().toStdString();
    EXPECT_TRUE(runHost.progressShown);
    EXPECT_EQ(dlgProgress::Existing(), nullptr);  // unloaded at the end of the run
    EXPECT_EQ(tree.Read(QStringLiteral("right/newer.txt")), QByteArray("left wins"));
    EXPECT_EQ(tree.Read(QStringLiteral("left/only right.txt")), QByteArray("from the right"));
    // The refreshing compare shows nothing left to do; the status line says what the run did.
    EXPECT_EQ(CurrentFileView().FileCounts[0] + CurrentFileView().FileCounts[2], 0);
    EXPECT_EQ(Status(), FormatMsg(1219, {"3", "1", "0", "0", "0"}));

    // With every copy and delete option off the run stops at its check: no working text stays.
    tree.File(QStringLiteral("left/a.txt"), "a");
    window->RunCompare();
    CurrentProfile().profile.View.SyncOptions = {false, false, false, false, false};
    runHost.presetAnswers << MsgBox::Yes << MsgBox::OK;
    Press("cmdSynch");
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/a.txt")));
    EXPECT_TRUE(runHost.asked.contains(FormatMsg(808)));
    EXPECT_TRUE(Control("cmdSynch")->isEnabled());
}

TEST_F(SyncFixture, PopupDeleteAsksAndActsOnTheMenusRowAndNoLeavesAll) {
    tree.File(QStringLiteral("left/sub/a.txt"), "a");
    tree.File(QStringLiteral("right/gone/x.txt"), "x");
    tree.File(QStringLiteral("left/keep.txt"), "k");
    Load();
    MainFileList& files = window->Files();
    const auto folderRow = [](int side, const QString& end) {
        const FileView& view = CurrentFileView();
        for (int i = 1; i <= view.LastIndex(); ++i)
            if (view.ViewList[static_cast<size_t>(i)].IsFolder() && view.ViewList[static_cast<size_t>(i)].Folder(side).endsWith(end)) return i;
        return 0;
    };
    ASSERT_EQ(files.RowMenu(folderRow(1, QStringLiteral("/gone")), 7, QPoint()).outcome, FilesMenuOutcome::Menu);
    runHost.presetAnswers << MsgBox::Yes;
    window->Commands().PopupDelete(1);
    EXPECT_EQ(runHost.asked.last(), FormatMsg(801) + QStringLiteral("\n\n") + FormatMsg(1218, {"1", "1"}));
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/gone")));
    EXPECT_TRUE(tree.Exists(QStringLiteral("left/sub/a.txt")));
    // No to the question: nothing happens.
    ASSERT_EQ(files.RowMenu(ViewIndexOf(QStringLiteral("keep.txt")), 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    runHost.presetAnswers << MsgBox::No;
    window->Commands().PopupDelete(0);
    EXPECT_TRUE(tree.Exists(QStringLiteral("left/keep.txt")));
}

TEST_F(SyncFixture, NothingTheUserDoesDuringARunChangesWhatItCopies) {
    // Few enough files for one page, so that every row can be clicked where it stands.
    const auto name = [](int i) { return QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')); };
    for (int i = 0; i < 12; ++i) tree.File(QStringLiteral("left/") + name(i), "x");
    tree.File(QStringLiteral("right/only right.txt"), "stays");
    Load();
    MainFileList& files = window->Files();
    MainPairList& pairs = window->Pairs();
    MainCommands& commands = window->Commands();
    const ViewOptions& options = CurrentProfile().profile.View;
    // Unticked before the run: these are not to be copied. The last two come after the file the
    // run is working on when the user acts, so that a change of their ticks would still count.
    for (int f : {0, 10, 11}) files.TickRow(ViewIndexOf(name(f)), false);
    const int f005 = ViewIndexOf(name(5)), f010 = ViewIndexOf(name(10)), f011 = ViewIndexOf(name(11));
    ASSERT_LE(f011, files.PageSize());

    bool lockedDuringRun = false;
    runHost.onFirstFile = [&] {
        lockedDuringRun = !commands.Toolbar(1)->isEnabled() && !commands.Toolbar(3)->isEnabled() &&
                          !files.Grid()->isEnabled() && !pairs.Grid()->isEnabled() && !Control("cmdLoad")->isEnabled() &&
                          !Control("cmdAdd")->isEnabled() && !Control("cmdRemove")->isEnabled();
        // The filter "Mod" and the option "Delete in 2".
        commands.Toolbar(1)->actions()[1]->trigger();
        commands.Toolbar(3)->actions()[4]->trigger();
        // A disabled button offers no Toggle; asked all the same, it must do nothing.
        QAccessible::queryAccessibleInterface(commands.ToolbarButton(3, 4))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        // Ticks: an unticked row, a row through the model, the title's mark.
        files.Click(f010, 1, Qt::LeftButton, Qt::NoModifier, QPoint());
        files.Grid()->Model()->setData(files.Grid()->Model()->index(f011 - files.Grid()->Model()->HeaderRows(), 0), Qt::Checked,
                                       Qt::CheckStateRole);
        files.Click(0, 0, Qt::LeftButton, Qt::NoModifier, QPoint());
        EXPECT_EQ(files.RowMenu(f005, 1, QPoint()).outcome, FilesMenuOutcome::None);
        // The profile: no pair added, switched or removed, no profile dropped in.
        pairs.ToggleSwitch(1, 2);
        pairs.RemovePair(1);
        EXPECT_FALSE(commands.DropProfileFile({CurrentProfile().ProfilePath}, false));
    };
    runHost.presetAnswers << MsgBox::Yes;
    Press("cmdSynch");
    EXPECT_TRUE(lockedDuringRun);
    // Exactly what was ticked when the run started was copied, and nothing deleted.
    for (int i = 0; i < 12; ++i) EXPECT_EQ(tree.Exists(QStringLiteral("right/") + name(i)), i >= 1 && i <= 9) << i;
    EXPECT_EQ(tree.Read(QStringLiteral("right/only right.txt")), QByteArray("stays"));
    // The options and the profile are as they were.
    EXPECT_EQ(options.Filter1, 0);
    EXPECT_FALSE(options.SyncOptions[4]);
    ASSERT_EQ(CurrentProfile().profile.Pairs.size(), 1);
    EXPECT_TRUE(CurrentProfile().profile.Pairs.first().SubDirs);
    // After the run everything is back in the user's hands.
    EXPECT_TRUE(commands.Toolbar(3)->isEnabled() && files.Grid()->isEnabled() && Control("cmdLoad")->isEnabled());
}
