// The main window with the windowed run host on real folders: the Synchronize button with its
// progress window, Cancel during a large copy, the error prompt with its check box, the status
// line and the scroll position around the refreshing compare, and the popup actions; nothing
// the user does while a run works changes what it does; a click, the Space key and a screen
// reader's Toggle change the options and ticks the same way, and the run does what they show.

#include "MainWindowTesting.h"
#include "support/TempTree.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/ProfileLoading.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "platform/FileListing.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/WindowRunHost.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/dlgMsgBox.h"
#include "ui/main/dlgProgress.h"
#include "ui/main/frmMain.h"

#include <QAccessible>
#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

// The windowed host, watching the progress window and able to press its Cancel.
class ObservingHost : public WindowRunHost {
public:
    int progressInits = 0;
    bool progressShown = false;
    int updates = 0;
    bool cancelOnFirstUpdate = false;
    // Run while the first file of a run is under way, from inside the run's event processing.
    std::function<void()> onFirstFile;

    void ProgressShowFile(const QString& fromFolder, const QString& toFolder, const QString& name) override {
        WindowRunHost::ProgressShowFile(fromFolder, toFolder, name);
        if (onFirstFile) std::exchange(onFirstFile, nullptr)();
    }

    void ProgressInit(int64_t totalBytes) override {
        ++progressInits;
        WindowRunHost::ProgressInit(totalBytes);
        const dlgProgress* progress = dlgProgress::Existing();
        progressShown = progress && progress->isVisible();
    }
    void ProgressUpdate(int64_t fileSize, int64_t bytesCopied) override {
        ++updates;
        WindowRunHost::ProgressUpdate(fileSize, bytesCopied);
        if (cancelOnFirstUpdate && updates == 1) {
            // What the user's click on Cancel does while the bytes flow.
            if (dlgProgress* progress = dlgProgress::Existing()) progress->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        }
    }
};

struct SyncFixture : ::testing::Test {
    IsolatedEnvironment env;
    ObservingHost host;
    TempTree tree;
    std::unique_ptr<frmMain> window;
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
        SetHost(&host);
        window = MakePreparedMainWindow(900, 640, false);
        host.owner = [this]() -> QWidget* { return window.get(); };
        host.onStatus = [this](int field, const QString& text) { window->SetStatus(field, text); };
        host.onCompareStage = [this](int stage) { window->SetCompareStage(stage); };
        window->show();
        QCoreApplication::processEvents();
        SetRefreshCompare([this] { window->RunCompare(); });
    }
    void TearDown() override {
        watchdog.stop();
        EXPECT_EQ(unexpectedBoxes, 0);
        dlgProgress::Unload();
        SetRefreshCompare(nullptr);
        CurrentProfile().ProfileChanged = false;
        host.owner = nullptr;
        host.onStatus = nullptr;
        host.onCompareStage = nullptr;
        window.reset();
        SetHost(nullptr);
    }
    void Load() {
        tree.Folder(QStringLiteral("left"));
        tree.Folder(QStringLiteral("right"));
        CurrentProfile().ProfilePath = WriteLeftRightProfile(tree);
        ASSERT_TRUE(LoadProfile(*window));
        ASSERT_TRUE(window->LastCompareSucceeded());
    }
    void PressSynchronize() { window->findChild<QPushButton*>(QStringLiteral("cmdSynch"))->click(); }
    int ViewIndexOf(const QString& name) const {
        const FileView& view = CurrentFileView();
        for (int i = 1; i <= view.LastIndex(); ++i)
            if (view.ViewList[static_cast<size_t>(i)].Name[0] == name) return i;
        return 0;
    }
    // The model index of a page row's cell (the title row lives in the header).
    QModelIndex FilesCell(int pageRow, int col) const {
        const TOFlexGridModel* model = window->flexFiles()->Model();
        return model->index(pageRow - model->HeaderRows(), col);
    }
    QStringList Entries(const QString& folder) {
        return QDir(tree.Path(folder)).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};

}  // namespace

TEST_F(SyncFixture, SynchronizeButtonCopiesBothWaysWithTheProgressWindowAndClearsItsStatus) {
    const QDateTime now = QDateTime::currentDateTime();
    tree.File(QStringLiteral("left/newer.txt"), "left wins", now);
    tree.File(QStringLiteral("right/newer.txt"), "old", now.addDays(-3));
    tree.File(QStringLiteral("right/only right.txt"), "from the right");
    tree.File(QStringLiteral("left/sub/deep.txt"), "deep");
    Load();
    // Once compared, the working texts of the compare are gone.
    EXPECT_TRUE(window->StatusText(1).isEmpty()) << window->StatusText(1).toStdString();

    host.presetAnswers << MsgBox::Yes;  // message 804
    PressSynchronize();
    ASSERT_EQ(host.asked.size(), 1);
    // The question states the numbers of the plan.
    EXPECT_TRUE(host.asked.first().startsWith(FormatMsg(804) + QStringLiteral("\n\n"))) << host.asked.first().toStdString();
    EXPECT_TRUE(host.asked.first().endsWith(FormatMsg(1215, {"2", "1", "13 bytes"}) + QLatin1Char('\n') +
                                            FormatMsg(1216, {"1", "0", "14 bytes"})))
        << host.asked.first().toStdString();
    EXPECT_EQ(host.progressInits, 1);
    EXPECT_TRUE(host.progressShown);
    EXPECT_EQ(dlgProgress::Existing(), nullptr);  // unloaded at the end of the run
    EXPECT_EQ(tree.Read(QStringLiteral("right/newer.txt")), QByteArray("left wins"));
    EXPECT_EQ(tree.Read(QStringLiteral("left/only right.txt")), QByteArray("from the right"));
    EXPECT_EQ(tree.Read(QStringLiteral("right/sub/deep.txt")), QByteArray("deep"));
    // The refreshing compare shows nothing left to do, and the buttons are back.
    EXPECT_EQ(CurrentFileView().FileCounts[0], 0);
    EXPECT_EQ(CurrentFileView().FileCounts[2], 0);
    EXPECT_TRUE(window->CompareEnabled());
    EXPECT_TRUE(window->SynchEnabled());
    // The status line says what the run did.
    EXPECT_EQ(window->StatusText(1), FormatMsg(1219, {"3", "1", "0", "0", "0"}));
    EXPECT_FALSE(window->runErrorsButton()->isVisibleTo(window.get()));
}

TEST_F(SyncFixture, NoToTheQuestionRunsNothingAndAStoppedRunLeavesNoWorkingText) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    Load();
    host.presetAnswers << MsgBox::No;
    PressSynchronize();
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/a.txt")));
    EXPECT_EQ(host.progressInits, 0);

    // All copy and delete options off: message 808 and no run; "Synchronizing..." does not stay.
    CurrentProfile().profile.View.SyncOptions = {false, false, false, false, false};
    host.presetAnswers << MsgBox::Yes << MsgBox::OK;
    PressSynchronize();
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/a.txt")));
    EXPECT_TRUE(host.asked.contains(FormatMsg(808)));
    EXPECT_TRUE(window->StatusText(1).isEmpty()) << window->StatusText(1).toStdString();
    EXPECT_TRUE(window->SynchEnabled());
}

TEST_F(SyncFixture, TheRefreshAfterSynchronizeScrollsBackWhereTheListWas) {
    for (int i = 0; i < 120; ++i)
        tree.File(QStringLiteral("left/f%1.txt").arg(i, 3, 10, QLatin1Char('0')), "x");
    Load();
    ASSERT_GT(CurrentFileView().LastIndex(), window->PageSize() + 40);
    window->vlsbFiles()->SetValue(40);
    host.presetAnswers << MsgBox::Yes;
    PressSynchronize();
    EXPECT_TRUE(tree.Exists(QStringLiteral("right/f119.txt")));
    EXPECT_EQ(window->vlsbFiles()->Value(), 40);
    // The page shows the rows from there on.
    const CompareRow& first = CurrentFileView().ViewList[40];
    EXPECT_EQ(window->flexFiles()->TextMatrix(1, 1), first.IsFolder() ? first.Folder[0] : first.Name[0]);

    // The Compare button starts the list at its top again.
    window->findChild<QPushButton*>(QStringLiteral("cmdCompare"))->click();
    EXPECT_EQ(window->vlsbFiles()->Value(), 1);
}

TEST_F(SyncFixture, CancelInTheProgressWindowStopsTheRunAndRefreshesTheList) {
    const QDateTime now = QDateTime::currentDateTime();
    tree.File(QStringLiteral("left/big.bin"), "the new contents", now);
    tree.File(QStringLiteral("right/big.bin"), "the old contents", now.addDays(-1));
    tree.File(QStringLiteral("left/later.txt"), "never copied", now);
    Load();
    host.cancelOnFirstUpdate = true;
    host.presetAnswers << MsgBox::Yes;
    host.presetMsgAnswers << MsgBox::OK << MsgBox::OK << MsgBox::OK;  // the report of the aborted copy
    PressSynchronize();
    EXPECT_GE(host.updates, 1);
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_EQ(tree.Read(QStringLiteral("right/big.bin")), QByteArray("the old contents"));
    EXPECT_EQ(Entries(QStringLiteral("right")), QStringList{QStringLiteral("big.bin")});
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/later.txt")));
    EXPECT_EQ(dlgProgress::Existing(), nullptr);
    // The list was refreshed all the same: the big file is still to be copied.
    EXPECT_GE(CurrentFileView().FileCounts[0], 1);
    EXPECT_TRUE(window->CompareEnabled());
}

TEST_F(SyncFixture, AFailedCopyAsksWithTheCheckBoxAndATickIgnoresTheSameErrorAfterwards) {
    const QDateTime now = QDateTime::currentDateTime();
    tree.File(QStringLiteral("left/one.txt"), "1", now);
    tree.File(QStringLiteral("left/two.txt"), "2", now);
    tree.Folder(QStringLiteral("right"));
    // The right side folds letter case (as vfat would), so "ONE.txt" stands for "one.txt" there.
    FileSystem::SetCaseFoldingFoldersForTests({tree.Path(QStringLiteral("right"))});
    Load();
    // After the compare, files whose names differ only in case appear on the right: writing
    // would leave two files where the user sees one, so both copies fail with the same error.
    tree.File(QStringLiteral("right/ONE.txt"), "other 1");
    tree.File(QStringLiteral("right/TWO.txt"), "other 2");
    int prompts = 0;
    bool checkBoxShown = false;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<dlgMsgBox*>(QApplication::activeModalWidget());
        if (!box) return;
        ++prompts;
        auto* again = box->findChild<QCheckBox*>(QStringLiteral("chkAgain"));
        checkBoxShown = again && again->isVisible();
        if (again) again->setChecked(true);
        box->Buttons().first()->click();
    });
    answer.start();
    host.presetAnswers << MsgBox::Yes;
    PressSynchronize();
    answer.stop();
    FileSystem::SetCaseFoldingFoldersForTests({});
    // One prompt for the first failure; the tick ignores the same error for the second file.
    EXPECT_EQ(prompts, 1);
    EXPECT_TRUE(checkBoxShown);
    EXPECT_EQ(tree.Read(QStringLiteral("right/ONE.txt")), QByteArray("other 1"));
    EXPECT_EQ(tree.Read(QStringLiteral("right/TWO.txt")), QByteArray("other 2"));
    EXPECT_EQ(Entries(QStringLiteral("right")).size(), 2);
    EXPECT_TRUE(window->CompareEnabled());
}

TEST_F(SyncFixture, PopupCopyAndDeleteWithTheWindowedHost) {
    tree.File(QStringLiteral("left/sub/a.txt"), "a");
    tree.File(QStringLiteral("left/sub/b.txt"), "b");
    tree.File(QStringLiteral("right/gone/x.txt"), "x");
    Load();
    const FileView& view = CurrentFileView();
    int sub = 0, gone = 0;
    for (int i = 1; i <= view.LastIndex(); ++i) {
        const CompareRow& row = view.ViewList[static_cast<size_t>(i)];
        if (row.IsFolder() && row.Folder[0].endsWith(QStringLiteral("/sub"))) sub = i;
        if (row.IsFolder() && row.Folder[1].endsWith(QStringLiteral("/gone"))) gone = i;
    }
    ASSERT_GT(sub, 0);
    ASSERT_GT(gone, 0);
    ASSERT_EQ(window->ShowFilesMenu(sub, 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    host.presetAnswers << MsgBox::Yes;  // message 811
    window->PopupCopy(0);
    EXPECT_EQ(host.asked.last(), FormatMsg(811));
    EXPECT_EQ(tree.Read(QStringLiteral("right/sub/a.txt")), QByteArray("a"));
    EXPECT_EQ(tree.Read(QStringLiteral("right/sub/b.txt")), QByteArray("b"));
    EXPECT_EQ(window->StatusText(1), FormatMsg(1219, {"2", "1", "0", "0", "0"})) << window->StatusText(1).toStdString();
    EXPECT_TRUE(window->CompareEnabled());

    for (int i = 1; i <= view.LastIndex(); ++i) {
        const CompareRow& row = view.ViewList[static_cast<size_t>(i)];
        if (row.IsFolder() && row.Folder[1].endsWith(QStringLiteral("/gone"))) gone = i;
    }
    ASSERT_EQ(window->ShowFilesMenu(gone, 7, QPoint()).outcome, FilesMenuOutcome::Menu);
    host.presetAnswers << MsgBox::Yes;  // message 801
    window->PopupDelete(1);
    EXPECT_EQ(host.asked.last(), FormatMsg(801) + QStringLiteral("\n\n") + FormatMsg(1218, {"1", "1"}));
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/gone/x.txt")));
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/gone")));
    EXPECT_TRUE(tree.Exists(QStringLiteral("left/sub/a.txt")));

    // No to the question: nothing happens.
    tree.File(QStringLiteral("left/keep.txt"), "k");
    window->RunCompare();
    int keep = 0;
    for (int i = 1; i <= view.LastIndex(); ++i)
        if (view.ViewList[static_cast<size_t>(i)].Name[0] == QStringLiteral("keep.txt")) keep = i;
    ASSERT_GT(keep, 0);
    ASSERT_EQ(window->ShowFilesMenu(keep, 1, QPoint()).outcome, FilesMenuOutcome::Menu);
    host.presetAnswers << MsgBox::No;
    window->PopupDelete(0);
    EXPECT_TRUE(tree.Exists(QStringLiteral("left/keep.txt")));
}

namespace {
// What a screen reader or voice control does to a button: its accessibility action "Toggle".
void AccessibleToggle(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(face, nullptr);
    ASSERT_NE(face->actionInterface(), nullptr);
    ASSERT_TRUE(face->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    face->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

void PressSpace(QWidget* widget) {
    widget->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}
}  // namespace

TEST_F(SyncFixture, NothingTheUserDoesDuringARunChangesWhatItCopies) {
    // Few enough files for one page, so that every row can be clicked where it stands.
    const auto name = [](int i) { return QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0')); };
    for (int i = 0; i < 12; ++i) tree.File(QStringLiteral("left/") + name(i), "x");
    tree.File(QStringLiteral("right/only right.txt"), "stays");
    Load();
    FileView& view = CurrentFileView();
    const ViewOptions& options = CurrentProfile().profile.View;
    ASSERT_EQ(options.Filter1, 0);
    // Unticked before the run: these are not to be copied. The last two come after the file the
    // run is working on when the user acts, so that a change of their ticks would still count.
    for (int f : {0, 10, 11}) {
        const int i = ViewIndexOf(name(f));
        ASSERT_GT(i, 0);
        ASSERT_LE(i, window->PageSize());
        window->ClickFiles(i, 1, Qt::LeftButton, Qt::NoModifier, QPoint());
        ASSERT_FALSE(view.ViewList[static_cast<size_t>(i)].Selected);
    }
    const int f005 = ViewIndexOf(name(5)), f010 = ViewIndexOf(name(10)), f011 = ViewIndexOf(name(11));

    bool lockedDuringRun = false;
    host.onFirstFile = [&] {
        const auto enabled = [&](const char* control) { return window->findChild<QWidget*>(QString::fromLatin1(control))->isEnabled(); };
        lockedDuringRun = !window->toolbar(0)->isEnabled() && !window->toolbar(1)->isEnabled() &&
                          !window->toolbar(2)->isEnabled() && !window->toolbar(3)->isEnabled() &&
                          !window->flexFiles()->isEnabled() && !window->flexDirs()->isEnabled() &&
                          !enabled("cmdLoad") && !enabled("cmdSave") && !enabled("cmdAdd") && !enabled("cmdRemove");
        // The filter "Mod" and the option "Delete in 2", by every way in.
        window->toolbarButton(1, 1)->click();
        window->toolbar(1)->actions()[1]->trigger();
        window->toolbar(3)->actions()[4]->trigger();
        // A disabled button offers no Toggle; asked all the same, it must do nothing.
        QAccessible::queryAccessibleInterface(window->toolbarButton(3, 4))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::toggleAction());
        // Ticks: an unticked row, a ticked row, the title's mark, a row through the model.
        window->ClickFiles(f010, 1, Qt::LeftButton, Qt::NoModifier, QPoint());
        window->ClickFiles(f005, 1, Qt::LeftButton, Qt::NoModifier, QPoint());
        window->flexFiles()->Model()->setData(FilesCell(f011, 0), Qt::Checked, Qt::CheckStateRole);
        window->DoubleClickFiles(0, 0);
        EXPECT_EQ(window->ShowFilesMenu(f005, 1, QPoint()).outcome, FilesMenuOutcome::None);
        // The profile: no pair added, switched or removed, no profile dropped in.
        window->ToggleDirsSwitch(1, 2);
        window->RemovePair(1);
        EXPECT_FALSE(window->DropProfileFile({CurrentProfile().ProfilePath}, false));
    };
    host.presetAnswers << MsgBox::Yes;
    PressSynchronize();
    EXPECT_TRUE(lockedDuringRun);
    // Exactly what was ticked when the run started was copied, and nothing deleted.
    for (int i = 0; i < 12; ++i) EXPECT_EQ(tree.Exists(QStringLiteral("right/") + name(i)), i >= 1 && i <= 9) << i;
    EXPECT_EQ(tree.Read(QStringLiteral("right/only right.txt")), QByteArray("stays"));
    EXPECT_EQ(tree.Read(QStringLiteral("left/only right.txt")), QByteArray("stays"));
    // The options and the profile are as they were, and the buttons show them.
    EXPECT_EQ(options.Filter1, 0);
    EXPECT_FALSE(options.SyncOptions[4]);
    EXPECT_TRUE(window->toolbarButton(1, 0)->isChecked());
    EXPECT_FALSE(window->toolbarButton(1, 1)->isChecked());
    EXPECT_FALSE(window->toolbarButton(3, 4)->isChecked());
    ASSERT_EQ(CurrentProfile().profile.Pairs.size(), 1);
    EXPECT_TRUE(CurrentProfile().profile.Pairs.first().SubDirs);
    // After the run everything is back in the user's hands.
    EXPECT_TRUE(window->toolbar(1)->isEnabled());
    EXPECT_TRUE(window->toolbar(3)->isEnabled());
    EXPECT_TRUE(window->flexFiles()->isEnabled());
    EXPECT_TRUE(window->findChild<QWidget*>(QStringLiteral("cmdLoad"))->isEnabled());
    EXPECT_EQ(unexpectedBoxes, 0);
}

TEST_F(SyncFixture, ClickSpaceAndAccessibleToggleChangeTheOptionsAlike) {
    Load();
    const ViewOptions& options = CurrentProfile().profile.View;
    QToolButton* deleteIn2 = window->toolbarButton(3, 4);
    QAction* deleteIn2Action = window->toolbar(3)->actions()[4];
    const auto shows = [&](bool on) {
        return options.SyncOptions[4] == on && deleteIn2->isChecked() == on && deleteIn2Action->isChecked() == on;
    };
    ASSERT_TRUE(shows(false));
    AccessibleToggle(deleteIn2);
    EXPECT_TRUE(shows(true));
    PressSpace(deleteIn2);
    EXPECT_TRUE(shows(false));
    deleteIn2->click();
    EXPECT_TRUE(shows(true));
    AccessibleToggle(deleteIn2);
    EXPECT_TRUE(shows(false));

    QToolButton* empty = window->toolbarButton(0, 0);
    const bool emptyBefore = options.ShowEmptyFolders;
    AccessibleToggle(empty);
    EXPECT_NE(options.ShowEmptyFolders, emptyBefore);
    EXPECT_EQ(empty->isChecked(), options.ShowEmptyFolders);

    // The filters choose one of their buttons: a Toggle on another chooses it, a Toggle on the
    // chosen one leaves it chosen (a bar without a chosen filter would show nothing true).
    QToolButton* all = window->toolbarButton(1, 0);
    QToolButton* modified = window->toolbarButton(1, 1);
    AccessibleToggle(modified);
    EXPECT_EQ(options.Filter1, 1);
    EXPECT_TRUE(modified->isChecked());
    EXPECT_FALSE(all->isChecked());
    AccessibleToggle(modified);
    EXPECT_EQ(options.Filter1, 1);
    EXPECT_TRUE(modified->isChecked());
    PressSpace(all);
    EXPECT_EQ(options.Filter1, 0);
    EXPECT_TRUE(all->isChecked());
    EXPECT_FALSE(modified->isChecked());
    AccessibleToggle(window->toolbarButton(2, 1));
    EXPECT_EQ(options.Filter2, 1);
    EXPECT_TRUE(window->toolbarButton(2, 1)->isChecked());
    EXPECT_FALSE(window->toolbarButton(2, 0)->isChecked());
}

TEST_F(SyncFixture, TheRunDoesWhatTheToggledDeleteButtonShows) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    tree.File(QStringLiteral("right/keep.txt"), "keep");
    Load();
    QToolButton* deleteIn2 = window->toolbarButton(3, 4);
    // Switched on by a click and off by a screen reader: the run must not delete.
    deleteIn2->click();
    AccessibleToggle(deleteIn2);
    ASSERT_FALSE(deleteIn2->isChecked());
    host.presetAnswers << MsgBox::Yes;
    PressSynchronize();
    EXPECT_EQ(tree.Read(QStringLiteral("right/keep.txt")), QByteArray("keep"));
    EXPECT_EQ(tree.Read(QStringLiteral("left/keep.txt")), QByteArray("keep"));

    // Switched on by a screen reader: the run deletes what only the right side has.
    tree.File(QStringLiteral("right/gone.txt"), "gone");
    window->RunCompare();
    AccessibleToggle(deleteIn2);
    ASSERT_TRUE(deleteIn2->isChecked());
    host.presetAnswers << MsgBox::Yes;
    PressSynchronize();
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/gone.txt")));
    EXPECT_FALSE(tree.Exists(QStringLiteral("left/gone.txt")));
    EXPECT_EQ(tree.Read(QStringLiteral("right/keep.txt")), QByteArray("keep"));
}

TEST_F(SyncFixture, ATickThroughTheModelTicksAsAClickDoesAndTheRunFollowsIt) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    tree.File(QStringLiteral("left/b.txt"), "b");
    tree.File(QStringLiteral("left/sub/c.txt"), "c");
    tree.File(QStringLiteral("left/sub/d.txt"), "d");
    tree.File(QStringLiteral("left/e.txt"), "e");
    Load();
    TOFlexGridModel* model = window->flexFiles()->Model();
    const FileView& view = CurrentFileView();
    const int a = ViewIndexOf(QStringLiteral("a.txt"));
    ASSERT_GT(a, 0);
    ASSERT_TRUE(model->flags(FilesCell(a, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->flags(FilesCell(a, 1)) & Qt::ItemIsUserCheckable);
    ASSERT_TRUE(view.ViewList[static_cast<size_t>(a)].Selected);
    EXPECT_TRUE(model->setData(FilesCell(a, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(view.ViewList[static_cast<size_t>(a)].Selected);
    EXPECT_EQ(model->data(FilesCell(a, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    // Asking for the state the row has already changes nothing (a click would flip it).
    model->setData(FilesCell(a, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(view.ViewList[static_cast<size_t>(a)].Selected);
    // A folder row unticked through the model unticks its files, as the click does.
    int sub = 0;
    for (int i = 1; i <= view.LastIndex(); ++i)
        if (view.ViewList[static_cast<size_t>(i)].IsFolder() && view.ViewList[static_cast<size_t>(i)].Folder[0].endsWith(QStringLiteral("/sub")))
            sub = i;
    ASSERT_GT(sub, 0);
    model->setData(FilesCell(sub, 0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_FALSE(view.ViewList[static_cast<size_t>(ViewIndexOf(QStringLiteral("c.txt")))].Selected);
    EXPECT_FALSE(view.ViewList[static_cast<size_t>(ViewIndexOf(QStringLiteral("d.txt")))].Selected);
    // A mouse click on a tick cell ticks once: the click's code, and not the cell's check box too.
    const int e = ViewIndexOf(QStringLiteral("e.txt"));
    ASSERT_GT(e, 0);
    QWidget* viewport = window->flexFiles()->viewport();
    const QPoint at = window->flexFiles()->visualRect(FilesCell(e, 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &press);
    QApplication::sendEvent(viewport, &release);
    EXPECT_FALSE(view.ViewList[static_cast<size_t>(e)].Selected);

    host.presetAnswers << MsgBox::Yes;
    PressSynchronize();
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/e.txt")));
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/a.txt")));
    EXPECT_EQ(tree.Read(QStringLiteral("right/b.txt")), QByteArray("b"));
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/sub/c.txt")));

    // A switch of the profile list through its model changes the pair as its click does.
    TOFlexGridModel* dirs = window->flexDirs()->Model();
    const QModelIndex subDirs = dirs->index(1 - dirs->HeaderRows(), 2);
    ASSERT_TRUE(CurrentProfile().profile.Pairs.first().SubDirs);
    EXPECT_TRUE(dirs->setData(subDirs, Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_FALSE(CurrentProfile().profile.Pairs.first().SubDirs);
    EXPECT_EQ(dirs->data(subDirs, Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(window->IsStale());
}
