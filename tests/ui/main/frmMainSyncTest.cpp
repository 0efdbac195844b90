// The main window with the windowed run host on real folders: the Synchronize button with its
// progress window, Cancel during a large copy, the error prompt with its check box, the status
// line and the scroll position around the refreshing compare, and the popup actions.

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

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The windowed host, watching the progress window and able to press its Cancel.
class ObservingHost : public WindowRunHost {
public:
    int progressInits = 0;
    bool progressShown = false;
    int updates = 0;
    bool cancelOnFirstUpdate = false;

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
    EXPECT_EQ(host.asked.first(), FormatMsg(804));
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
    EXPECT_TRUE(window->StatusText(1).isEmpty()) << window->StatusText(1).toStdString();
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

TEST_F(SyncFixture, CancelDuringALargeCopyKeepsTheOldFileAndLeavesNoTemporaryFile) {
    const QDateTime now = QDateTime::currentDateTime();
    QByteArray big(8 * 1024 * 1024, '\0');
    for (qsizetype i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    tree.File(QStringLiteral("left/big.bin"), big, now);
    tree.File(QStringLiteral("right/big.bin"), "the old contents", now.addDays(-1));
    tree.File(QStringLiteral("left/after.txt"), "never copied", now);
    Load();
    host.cancelOnFirstUpdate = true;
    host.presetAnswers << MsgBox::Yes;
    host.presetMsgAnswers << MsgBox::OK << MsgBox::OK << MsgBox::OK;  // the report of the aborted copy
    PressSynchronize();
    EXPECT_GE(host.updates, 1);
    EXPECT_TRUE(::Run().CancelRequested);
    EXPECT_EQ(tree.Read(QStringLiteral("right/big.bin")), QByteArray("the old contents"));
    EXPECT_EQ(Entries(QStringLiteral("right")), QStringList{QStringLiteral("big.bin")});
    EXPECT_FALSE(tree.Exists(QStringLiteral("right/after.txt")));
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
    EXPECT_TRUE(window->StatusText(1).isEmpty());

    for (int i = 1; i <= view.LastIndex(); ++i) {
        const CompareRow& row = view.ViewList[static_cast<size_t>(i)];
        if (row.IsFolder() && row.Folder[1].endsWith(QStringLiteral("/gone"))) gone = i;
    }
    ASSERT_EQ(window->ShowFilesMenu(gone, 7, QPoint()).outcome, FilesMenuOutcome::Menu);
    host.presetAnswers << MsgBox::Yes;  // message 801
    window->PopupDelete(1);
    EXPECT_EQ(host.asked.last(), FormatMsg(801));
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
