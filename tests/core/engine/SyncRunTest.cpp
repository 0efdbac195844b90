// The synchronisation run on real trees: rows come from the real scan and merge of two
// temporary folders, the run changes the folders, the test reads what is there.

#include "SyncRunFixture.h"
#include "support/FailingDevice.h"

#include <cerrno>

using namespace sync_run_test;

TEST_F(SyncRunTest, LeftToRightBeforeRightToLeftBetweenOneStartAndOneEnd) {
    left.File(QStringLiteral("b.txt"), "left new", New);
    right.File(QStringLiteral("b.txt"), "right old", Old);
    left.File(QStringLiteral("a.txt"), "left old", Old);
    right.File(QStringLiteral("a.txt"), "right new", New);
    Compare();
    ASSERT_EQ(files.ViewList[static_cast<size_t>(RowOf(QStringLiteral("a.txt")))].SyncAction, SyncAction::RightToLeft);
    ASSERT_TRUE(Sync());
    EXPECT_EQ(host.filesShown, QStringList({left.Path(QStringLiteral("b.txt")), right.Path(QStringLiteral("a.txt"))}));
    EXPECT_EQ(left.Read(QStringLiteral("a.txt")), QByteArray("right new"));
    EXPECT_EQ(right.Read(QStringLiteral("b.txt")), QByteArray("left new"));
    EXPECT_EQ(host.progressTotal, 17);  // the counting pass: 8 + 9 bytes
    EXPECT_EQ(host.progressDone, 17);
    EXPECT_FALSE(host.ProgressVisible());
    EXPECT_EQ(LogLines(), QStringList({QStringLiteral("2026-04-02 09:00:00\tStart\t/profiles/test.tdp"),
                                       QStringLiteral("2026-04-02 09:00:00\tEnd\t/profiles/test.tdp")}));
    // The copies kept the times, so a new compare finds nothing left to do.
    Compare();
    EXPECT_EQ(files.FileCounts[0] + files.FileCounts[2], 0);
}

TEST_F(SyncRunTest, DeleteOneSidedOnTheLeftRemovesFilesThenFolder) {
    left.File(QStringLiteral("TMP/a.txt"), "a");
    left.File(QStringLiteral("TMP/sub/b.txt"), "b");
    right.File(QStringLiteral("keep.txt"), "k");
    left.File(QStringLiteral("keep.txt"), "k");
    Compare();
    // Option 3 alone: the deletions are the run's work, with no copy direction on.
    SetOptions({false, false, false, true, false});
    ASSERT_TRUE(Sync());
    EXPECT_EQ(left.List(), QStringList{QStringLiteral("keep.txt")});
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("keep.txt")});
    EXPECT_EQ(host.messagesShown, QStringList());
    EXPECT_EQ(host.filesShown, QStringList());  // nothing was copied
}

// "Delete in 2" alone deletes on side 2 only: what is only on side 1 stays where it is.
TEST_F(SyncRunTest, DeleteInTwoAloneLeavesSideOneAlone) {
    left.File(QStringLiteral("left-only.txt"), "l");
    left.File(QStringLiteral("left-dir/x.txt"), "x");
    right.File(QStringLiteral("right-only.txt"), "r");
    right.File(QStringLiteral("right-dir/y.txt"), "y");
    SetOptions({false, false, false, false, true});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(left.List(), QStringList({QStringLiteral("left-dir/"), QStringLiteral("left-dir/x.txt"),
                                        QStringLiteral("left-only.txt")}));
    EXPECT_EQ(right.List(), QStringList());
}

TEST_F(SyncRunTest, MirrorDeletesExtraEntriesEvenWhenNothingNeedsCopying) {
    left.File(QStringLiteral("same.txt"), "s", Old);
    right.File(QStringLiteral("same.txt"), "s", Old);
    right.File(QStringLiteral("extra/x.txt"), "x");
    right.File(QStringLiteral("y.txt"), "y");
    SetOptions({true, false, false, false, true});  // "Src" and "Delete in 2"
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("same.txt")});
    EXPECT_EQ(left.List(), QStringList{QStringLiteral("same.txt")});
    EXPECT_EQ(host.messagesShown, QStringList());
    EXPECT_EQ(LogLines().size(), 2);  // Start and End

    // Delete masks are work as well: the only change goes right to left, yet the source holds
    // a file that matches them.
    left.File(QStringLiteral("scratch.tmp"), "old", Old);
    right.File(QStringLiteral("scratch.tmp"), "new", New);
    SetOptions({true, false, false, false, false});
    Compare(QStringLiteral("*.tmp"));
    ASSERT_TRUE(Sync());
    EXPECT_FALSE(left.Exists(QStringLiteral("scratch.tmp")));
    EXPECT_EQ(right.Read(QStringLiteral("scratch.tmp")), QByteArray("new"));
    EXPECT_EQ(host.messagesShown, QStringList());
}

TEST_F(SyncRunTest, OneSidedFolderIsCreatedBeforeItsFiles) {
    left.File(QStringLiteral("TMP/a.txt"), "a");
    left.File(QStringLiteral("TMP/sub/b.txt"), "b");
    left.Folder(QStringLiteral("TMP/empty"));
    SetOptions({true, false, false, false, false});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List(), left.List());
    EXPECT_EQ(right.Read(QStringLiteral("TMP/sub/b.txt")), QByteArray("b"));
    EXPECT_FALSE(::Run().ErrorReported);
}

TEST_F(SyncRunTest, OptionThreeWithCopyLeftToRightStillCopiesChangedFiles) {
    left.File(QStringLiteral("only/x.txt"), "x");
    left.File(QStringLiteral("both.txt"), "new", New);
    right.File(QStringLiteral("both.txt"), "old", Old);
    right.File(QStringLiteral("right-only.txt"), "r");
    SetOptions({true, true, false, true, false});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(left.List(), QStringList({QStringLiteral("both.txt"), QStringLiteral("right-only.txt")}));
    EXPECT_EQ(right.Read(QStringLiteral("both.txt")), QByteArray("new"));
    EXPECT_FALSE(right.Exists(QStringLiteral("only")));
}

TEST_F(SyncRunTest, DeleteMasksDeleteOnTheSourceInsteadOfCopying) {
    left.File(QStringLiteral("x.tmp"), "left newer", New);
    right.File(QStringLiteral("x.tmp"), "right", Old);
    left.File(QStringLiteral("y.tmp"), "one-sided");
    left.File(QStringLiteral("z.txt"), "normal");
    Compare(QStringLiteral("*.tmp"));
    ASSERT_TRUE(files.ViewList[static_cast<size_t>(RowOf(QStringLiteral("x.tmp")))].DeleteMatch);
    ASSERT_TRUE(Sync());
    EXPECT_EQ(left.List(), QStringList{QStringLiteral("z.txt")});
    EXPECT_EQ(right.List(), QStringList{QStringLiteral("z.txt")});
}

TEST_F(SyncRunTest, UnmarkedRowsStayAndPopupCopyOverridesDirectionNotMark) {
    left.File(QStringLiteral("d/unmarked.txt"), "l", New);
    right.File(QStringLiteral("d/unmarked.txt"), "r", Old);
    left.File(QStringLiteral("d/back.txt"), "left old", Old);
    right.File(QStringLiteral("d/back.txt"), "right new", New);
    Compare();
    files.ViewList[static_cast<size_t>(RowOf(QStringLiteral("d/unmarked.txt")))].Selected = false;
    SetOptions({true, false, false, false, false});
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupCopyCommand(files, RowOf(QStringLiteral("d")), 0));
    EXPECT_EQ(right.Read(QStringLiteral("d/unmarked.txt")), QByteArray("r"));
    // The marked right-to-left row is copied left to right by the popup's copy.
    EXPECT_EQ(right.Read(QStringLiteral("d/back.txt")), QByteArray("left old"));
    // The status line counts what the copy did: back.txt only, the unmarked file stayed.
    EXPECT_EQ(::Run().Tally.Copied, 1);
    EXPECT_EQ(host.status[1], FormatMsg(1219, {"1", "0", "0", "0", "0"}));
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(LogLines().isEmpty());  // a plain copy writes no run lines
}

// The popup copy of one folder copies that folder's subtree and stops at its next sibling.
TEST_F(SyncRunTest, PopupCopyOfAFolderStopsAtItsSibling) {
    left.File(QStringLiteral("a/1.txt"), "1");
    left.File(QStringLiteral("a/deeper/2.txt"), "2");
    left.File(QStringLiteral("b/3.txt"), "3");
    left.File(QStringLiteral("c.txt"), "c");
    Compare();
    CopySelection(files, PlanRun(files, Request(RunRequest::Kind::Copy, 0, RowOf(QStringLiteral("a")))));
    EXPECT_EQ(right.List(), QStringList({QStringLiteral("a/"), QStringLiteral("a/1.txt"), QStringLiteral("a/deeper/"),
                                         QStringLiteral("a/deeper/2.txt")}));
}

TEST_F(SyncRunTest, PopupDeleteWithoutSubfoldersRemovesFolderOnlyWhenEmpty) {
    left.File(QStringLiteral("d/a.txt"), "a");
    left.File(QStringLiteral("d/sub/b.txt"), "b");
    left.File(QStringLiteral("e/c.txt"), "c");
    Compare();
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupDeleteCommand(files, RowOf(QStringLiteral("d")), 2));
    EXPECT_EQ(left.List(), QStringList({QStringLiteral("d/"), QStringLiteral("d/sub/"), QStringLiteral("d/sub/b.txt"),
                                        QStringLiteral("e/"), QStringLiteral("e/c.txt")}));
    EXPECT_FALSE(::Run().ErrorReported);  // "folder not empty" is not an error

    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupDeleteCommand(files, RowOf(QStringLiteral("e")), 0));
    EXPECT_FALSE(left.Exists(QStringLiteral("e")));
    // The file and its folder; a folder that kept something (d) is no failure and no deletion.
    EXPECT_EQ(host.status[1], FormatMsg(1219, {"0", "0", "2", "0", "0"}));

    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(PopupDeleteCommand(files, RowOf(QStringLiteral("d")), 0));
    EXPECT_TRUE(left.Exists(QStringLiteral("d/sub/b.txt")));
}

TEST_F(SyncRunTest, ChecksRefuseWithTheirMessages) {
    left.File(QStringLiteral("a.txt"), "a");
    SetOptions({false, false, true, false, false});
    Compare();
    EXPECT_FALSE(Sync());
    SetOptions({false, true, false, false, false});
    EXPECT_FALSE(Sync());  // only left to right is proposed
    right.File(QStringLiteral("a.txt"), "a");
    left.SetModified(QStringLiteral("a.txt"), Old);
    right.SetModified(QStringLiteral("a.txt"), Old);
    SetOptions({true, true, false, false, false});
    Compare();
    EXPECT_FALSE(Sync());
    EXPECT_EQ(host.messagesShown, QStringList({FormatMsg(808), FormatMsg(810), FormatMsg(809)}));
    EXPECT_FALSE(host.messagesShown[0].isEmpty());
    // Only the run without any direction leaves lines: it did nothing, and says so.
    EXPECT_EQ(LogLines(), QStringList({QStringLiteral("2026-04-02 09:00:00\tStart\t/profiles/test.tdp"),
                                       QStringLiteral("2026-04-02 09:00:00\t") + FormatMsg(808),
                                       QStringLiteral("2026-04-02 09:00:00\tEnd\t/profiles/test.tdp")}));
}

TEST_F(SyncRunTest, CancelDuringACopyStopsTheRunButEndsIt) {
    left.File(QStringLiteral("a-big.bin"), "new");
    right.File(QStringLiteral("a-big.bin"), "old", Old);
    left.SetModified(QStringLiteral("a-big.bin"), New);
    left.File(QStringLiteral("b-next.txt"), "next");
    Compare();
    host.onProgress = [](int64_t, int64_t) { ::Run().CancelRequested = true; };
    host.queuedAnswers = {MsgBox::Yes};  // 804; the cancel itself asks nothing
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown.size(), 1);
    EXPECT_EQ(right.Read(QStringLiteral("a-big.bin")), QByteArray("old"));
    EXPECT_FALSE(right.Exists(QStringLiteral("b-next.txt")));
    QStringList rightNames = QDir(right.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(rightNames, QStringList{QStringLiteral("a-big.bin")});  // no temporary file
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral("\tStart\t/profiles/test.tdp")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2026-04-02 09:00:00\t") + QString::number(ECANCELED)));
    EXPECT_EQ(lines[2], QStringLiteral("2026-04-02 09:00:00\t") + FormatMsg(1222));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("\tEnd\t/profiles/test.tdp")));
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(host.status[1], FormatMsg(1221, {"0", "0", "0", "0", "0"}));
}

TEST_F(SyncRunTest, SynchronizeButtonRefusesStaleListAndHonoursNo) {
    // The empty grey list a compare leaves when it cannot read a folder says so, not "out of date".
    files.Clear();
    files.Stale = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown, QStringList{FormatMsg(1285)});
    host.messagesShown.clear();
    left.File(QStringLiteral("a.txt"), "a");
    Compare();
    files.Stale = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown, QStringList{FormatMsg(803)});
    EXPECT_FALSE(::Run().Refused);
    files.Stale = false;
    host.queuedAnswers = {MsgBox::No};
    int disabled = 0, enabled = 0;
    CommandHooks hooks;
    hooks.Disable = [&] { ++disabled; };
    hooks.Enable = [&] { ++enabled; };
    EXPECT_FALSE(SynchronizeCommand(files, hooks));
    EXPECT_FALSE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(disabled + enabled + refreshes, 0);
    // Yes: the run, the refresh, the buttons.
    EXPECT_TRUE(SynchronizeCommand(files, hooks));
    EXPECT_TRUE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SyncRunTest, StaleListWithoutQuestionsIsLoggedRecordedAndRefused) {
    left.File(QStringLiteral("a.txt"), "a");
    Compare();
    files.Stale = true;
    Switches().DontAsk = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown, QStringList());  // nothing that would wait for a click
    EXPECT_FALSE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_TRUE(::Run().Refused);
    EXPECT_EQ(LastErrorMsg(), FormatMsg(803));
    EXPECT_EQ(LogLines(), QStringList{QStringLiteral("2026-04-02 09:00:00\t") + FormatMsg(803).replace(QLatin1Char('\n'), QLatin1Char('\t'))});
}

TEST_F(SyncRunTest, UnattendedHiddenRunEndsWithoutRefresh) {
    left.File(QStringLiteral("a.txt"), "a");
    Compare();
    Switches().AutoRun = Switches().DontAsk = Switches().Hidden = true;
    EXPECT_TRUE(SynchronizeCommand(files));  // 804 is answered Yes without asking
    EXPECT_TRUE(right.Exists(QStringLiteral("a.txt")));
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(host.filesShown, QStringList());  // no progress window without questions
}

TEST_F(SyncRunTest, NothingBelowAnUnreadableFolderIsCopiedOrDeleted) {
    left.File(QStringLiteral("locked/only-left.txt"), "l");
    right.File(QStringLiteral("locked/only-right.txt"), "r");
    left.File(QStringLiteral("fine.txt"), "f");
    // The right side of "locked" cannot be listed: what it holds is unknown.
    FailingDevice device;
    device.Fail(FailingDevice::Point::OpenListing, right.Path(QStringLiteral("locked")), EACCES, 0, -1);
    SetOptions({true, true, false, true, true});
    Compare();
    Switches().DontAsk = true;
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(left.Exists(QStringLiteral("locked/only-left.txt")));
    EXPECT_TRUE(right.Exists(QStringLiteral("locked/only-right.txt")));
    EXPECT_FALSE(right.Exists(QStringLiteral("locked/only-left.txt")));
    EXPECT_FALSE(left.Exists(QStringLiteral("fine.txt")));  // option 3: deleted where it is alone
}

// A listing that breaks off part-way (a read error of the disk or the share) is no listing: the
// names it did not reach are not one-sided and nothing opposite them is deleted.
TEST_F(SyncRunTest, AListingThatBreaksOffPartWayDeletesNothingOpposite) {
    for (const char* name : {"half/1.txt", "half/2.txt", "half/3.txt", "half/4.txt"}) {
        left.File(QString::fromLatin1(name), "same", Old);
        right.File(QString::fromLatin1(name), "same", Old);
    }
    left.File(QStringLiteral("new.txt"), "n");
    FailingDevice device;
    device.Fail(FailingDevice::Point::ReadListing, left.Path(QStringLiteral("half")), EIO, 2, -1);
    SetOptions({true, false, false, false, true});  // a mirror from left to right
    Compare();
    Switches().DontAsk = true;
    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.List().size(), 6);  // the folder, its four files and the new one
}

TEST_F(SyncRunTest, PopupSynchronizeOfOneFolderWithoutSubfolders) {
    left.File(QStringLiteral("d/a.txt"), "a");
    left.File(QStringLiteral("d/sub/b.txt"), "b");
    left.File(QStringLiteral("other.txt"), "o");
    Compare();
    right.Folder(QStringLiteral("d"));  // the folder exists already; its files are copied
    ASSERT_TRUE(PopupSynchronizeCommand(files, RowOf(QStringLiteral("d")), 1));
    EXPECT_TRUE(right.Exists(QStringLiteral("d/a.txt")));
    EXPECT_FALSE(right.Exists(QStringLiteral("d/sub")));
    EXPECT_FALSE(right.Exists(QStringLiteral("other.txt")));
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("2026-04-02 09:00:00\tStart\t/profiles/test.tdp\t") + left.Path(QStringLiteral("d")) +
                            QLatin1Char('\t') + right.Path(QStringLiteral("d")));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SyncRunTest, VanishedRootIsReportedPerItemAndCreatesNothing) {
    TempTree outer;
    const QString rightRoot = outer.Folder(QStringLiteral("right"));
    left.File(QStringLiteral("a.txt"), "a");
    left.File(QStringLiteral("d/b.txt"), "b");
    Compare();
    // Point the rows at a right root that then disappears, as an unplugged disk would.
    for (ResultList* list : {&files.ViewList, &files.Results})
        for (CompareRow& r : *list) r.Folder[1].replace(right.Path(), rightRoot);
    ASSERT_TRUE(QDir(rightRoot).removeRecursively());
    Switches().DontAsk = true;
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_FALSE(QFileInfo::exists(rightRoot));
    const QStringList lines = LogLines();
    ASSERT_GE(lines.size(), 3);
    for (qsizetype i = 1; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].startsWith(QStringLiteral("2026-04-02 09:00:00\t") + QString::number(ENOENT) + QLatin1Char('\t')))
            << qPrintable(lines[i]);
    EXPECT_TRUE(lines.last().contains(QStringLiteral("\tEnd\t")));
}

TEST_F(SyncRunTest, SynchronizeButtonWithTheRealCompareRefresh) {
    SetRefreshCompare({});
    left.File(QStringLiteral("d/a.txt"), "a", New);
    right.File(QStringLiteral("d/a.txt"), "old", Old);
    right.File(QStringLiteral("r.txt"), "r");
    FolderPair pair;
    pair.Dir = {left.Path(), right.Path()};
    pair.Mask[MaskIncludeDirs] = QStringLiteral("*");
    pair.Mask[MaskIncludeFiles] = QStringLiteral("*");
    CurrentProfile().profile.Pairs = {pair};
    CurrentProfile().profile.Options.TimeLag = 2.0 / 86400;
    ASSERT_EQ(CompareRun(CurrentProfile().profile, files).outcome, CompareOutcome::Done);
    ASSERT_EQ(files.FileCounts[0], 1);
    ASSERT_EQ(files.FileCounts[2], 1);
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_EQ(right.Read(QStringLiteral("d/a.txt")), QByteArray("a"));
    EXPECT_EQ(left.Read(QStringLiteral("r.txt")), QByteArray("r"));
    // The list was compared again: nothing is left to copy.
    EXPECT_EQ(files.FileCounts[0], 0);
    EXPECT_EQ(files.FileCounts[2], 0);
}
