// The main window on real folders: loading a profile, the stale grey, the profile list's
// switches and drops, and a copy and a delete from the file list's popup menu.

#include "MainWindowTesting.h"
#include "support/TempTree.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/HeadlessRunHost.h"
#include "engine/ProfileLoading.h"
#include "engine/SyncRun.h"
#include "ui/main/FilesPage.h"
#include "ui/main/frmMain.h"
#include "ui/main/clsLongScroll.h"

#include <QMenu>
#include "ui/main/TOFlexGrid.h"
#include <QToolBar>

#include <gtest/gtest.h>

namespace {
struct WindowFixture : MainWindowFixture {
    void SetUp() override {
        SetHost(&host);
        window = MakePreparedMainWindow(900, 640, false);
        SetRefreshCompare([this] { window->RunCompare(); });
    }
    void TearDown() override {
        SetRefreshCompare(nullptr);
        CurrentProfile().ProfileChanged = false;
        window.reset();
        SetHost(nullptr);
    }
    QString WriteProfile() {
        return WriteLeftRightProfile(tree);
    }
    int RowOf(const QString& name) {
        const FileView& view = CurrentFileView();
        for (int i = 1; i <= view.LastIndex(); ++i)
            if (view.ViewList[static_cast<size_t>(i)].Name[0] == name ||
                view.ViewList[static_cast<size_t>(i)].Name[1] == name)
                return i;
        return 0;
    }
};
}  // namespace

TEST_F(WindowFixture, LoadingComparesAndAProfileChangeGreysTheList) {
    tree.File(QStringLiteral("left/a.txt"), "new", QDateTime::currentDateTime());
    tree.File(QStringLiteral("right/a.txt"), "old", QDateTime::currentDateTime().addDays(-1));
    tree.File(QStringLiteral("left/only.txt"), "x");
    CurrentProfile().ProfilePath = WriteProfile();
    ASSERT_TRUE(LoadProfile(*window));
    EXPECT_TRUE(window->LastCompareSucceeded());
    EXPECT_FALSE(window->IsStale());
    EXPECT_EQ(window->flexDirs()->Rows(), 2);
    EXPECT_EQ(window->flexDirs()->TextMatrix(1, 2), Marker::Ticked);
    ASSERT_GT(RowOf(QStringLiteral("a.txt")), 0);
    EXPECT_EQ(window->flexFiles()->BackColor(), FilesColor::Current);
    EXPECT_FALSE(window->CountBoxText(0).isEmpty());

    // A click on a switch cell flips it, marks the profile changed and greys the file list.
    window->ClickDirs(1, 2, Qt::LeftButton, Qt::NoModifier, true, QPoint());
    EXPECT_FALSE(CurrentProfile().profile.Pairs[0].SubDirs);
    EXPECT_EQ(window->flexDirs()->TextMatrix(1, 2), Marker::Empty);
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_TRUE(window->IsStale());
    EXPECT_EQ(window->flexFiles()->BackColor(), FilesColor::Stale);
    // With Shift the row is highlighted but nothing toggles.
    window->ClickDirs(1, 2, Qt::LeftButton, Qt::ShiftModifier, true, QPoint());
    EXPECT_FALSE(CurrentProfile().profile.Pairs[0].SubDirs);
    EXPECT_EQ(window->HighlightedDirsRow(), 1);

    // The popup on a stale list answers with message 803 and no menu.
    const int shown = static_cast<int>(host.messagesShown.size());
    const FilesMenuPlan plan = window->ShowFilesMenu(1, 1, QPoint());
    EXPECT_EQ(plan.outcome, FilesMenuOutcome::Stale);
    EXPECT_EQ(host.messagesShown.size(), shown + 1);

    // Removing the only pair leaves a title-only list and an unchanged profile.
    window->RemovePair(1);
    EXPECT_EQ(window->flexDirs()->Rows(), 1);
    EXPECT_FALSE(CurrentProfile().ProfileChanged);
}

TEST_F(WindowFixture, ASaveThatCannotBeWrittenIsShownAndTheEditsStay) {
    tree.File(QStringLiteral("left/a.txt"), "a");
    const QString original = WriteProfile();
    CurrentProfile().ProfilePath = original;
    ASSERT_TRUE(LoadProfile(*window));
    const QByteArray originalBytes = tree.Read(QStringLiteral("p.tdp"));
    const QString title = window->windowTitle();
    window->ClickDirs(1, 2, Qt::LeftButton, Qt::NoModifier, true, QPoint());
    ASSERT_TRUE(CurrentProfile().ProfileChanged);

    // A path below a regular file cannot be written, not even by root.
    tree.File(QStringLiteral("blocker"), "a file where a folder should be");
    const QString blocked = tree.Path(QStringLiteral("blocker/mine.tdp"));
    window->saveDialog = [&](const QString&, const QString&, const QString&) { return blocked; };
    const qsizetype shown = host.messagesShown.size();
    EXPECT_FALSE(window->SaveProfileAs());
    ASSERT_EQ(host.messagesShown.size(), shown + 1);
    EXPECT_TRUE(host.messagesShown.last().contains(blocked)) << qPrintable(host.messagesShown.last());
    EXPECT_TRUE(host.messagesShown.last().contains(QStringLiteral("Not a directory"))) << qPrintable(host.messagesShown.last());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_EQ(CurrentProfile().ProfilePath, original);
    EXPECT_EQ(window->windowTitle(), title);
    EXPECT_EQ(tree.Read(QStringLiteral("p.tdp")), originalBytes);
    EXPECT_EQ(tree.Read(QStringLiteral("blocker")), QByteArray("a file where a folder should be"));

    // Closing asks; "Yes" saves, which fails again, so the window stays open with the edits.
    window->show();
    QApplication::processEvents();
    host.queuedAnswers = {MsgBox::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(CurrentProfile().ProfileChanged);
    EXPECT_FALSE(CurrentProfile().profile.Pairs[0].SubDirs);

    // Saved to a place that can be written, the profile is saved and takes that name.
    window->saveDialog = [&](const QString&, const QString&, const QString&) { return tree.Path(QStringLiteral("kept.tdp")); };
    EXPECT_TRUE(window->SaveProfileAs());
    EXPECT_FALSE(CurrentProfile().ProfileChanged);
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("kept"))) << qPrintable(window->windowTitle());
    EXPECT_TRUE(tree.Read(QStringLiteral("kept.tdp")).contains("Su=0\r\n"));
}

TEST_F(WindowFixture, RejectedDropsChangeNothing) {
    const QString path = WriteProfile();
    const QString other = tree.File(QStringLiteral("notes.txt"), "x");
    EXPECT_FALSE(window->DropProfileFile({path, path}, false));
    EXPECT_FALSE(window->DropProfileFile({other}, false));
    EXPECT_FALSE(window->DropProfileFile({tree.Folder(QStringLiteral("dir.tdp"))}, false));
    EXPECT_FALSE(window->DropProfileFile({}, false));
    EXPECT_TRUE(CurrentProfile().ProfilePath.isEmpty());
    EXPECT_TRUE(window->DropProfileFile({path}, false));
    EXPECT_EQ(CurrentProfile().ProfilePath, path);
    EXPECT_EQ(CurrentProfile().profile.Pairs.size(), 1);
    // With Ctrl and a loaded profile the pairs are appended.
    EXPECT_TRUE(window->DropProfileFile({path}, true));
    EXPECT_EQ(CurrentProfile().profile.Pairs.size(), 2);
    EXPECT_EQ(window->flexDirs()->Rows(), 3);
    EXPECT_TRUE(window->IsStale());
}

TEST_F(WindowFixture, ToolbarsFilterAndSelectAllClearsEveryMark) {
    tree.File(QStringLiteral("left/same.txt"), "s", QDateTime::currentDateTime().addDays(-2));
    tree.File(QStringLiteral("right/same.txt"), "s", QDateTime::currentDateTime().addDays(-2));
    tree.File(QStringLiteral("left/changed.txt"), "x");
    CurrentProfile().ProfilePath = WriteProfile();
    ASSERT_TRUE(LoadProfile(*window));
    ASSERT_GT(RowOf(QStringLiteral("same.txt")), 0);
    window->ToolbarClick(1, 1);  // "Mod": only what changes
    EXPECT_EQ(RowOf(QStringLiteral("same.txt")), 0);
    EXPECT_GT(RowOf(QStringLiteral("changed.txt")), 0);
    window->ToolbarClick(1, 5);  // "Same": toolbar 2 is switched off
    EXPECT_FALSE(window->toolbar(2)->isEnabled());
    EXPECT_GT(RowOf(QStringLiteral("same.txt")), 0);
    window->ToolbarClick(1, 0);
    EXPECT_TRUE(window->toolbar(2)->isEnabled());

    window->ClickFiles(0, 0, Qt::LeftButton, Qt::NoModifier, QPoint());  // title mark off
    for (int i = 1; i <= CurrentFileView().LastIndex(); ++i)
        EXPECT_FALSE(CurrentFileView().ViewList[static_cast<size_t>(i)].Selected);
    EXPECT_EQ(window->flexFiles()->TextMatrix(0, 0), Marker::Empty);
    // A click beyond the end of the list does nothing.
    window->ClickFiles(window->flexFiles()->Rows(), 1, Qt::LeftButton, Qt::NoModifier, QPoint());
}
