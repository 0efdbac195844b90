// The synchronisation run on real trees: rows come from the real scan and merge of two
// temporary folders, the run changes the folders, the test reads what is there.

#include "SyncRunFixture.h"
#include "support/FailingDevice.h"

#include <cerrno>
#include <functional>
#include <optional>
#include <tuple>

using namespace sync_run_test;

// What each combination of the sync options, the delete masks and an unreadable folder makes of
// two trees (written as Plant writes them).
TEST_F(SyncRunTest, TheOptionsMakeTheTreesTheyPromise) {
    using Fault = std::function<void(FailingDevice&)>;
    const struct {
        const char* what;
        std::array<bool, 5> options;
        QString deleteMasks;
        QStringList left, right, leftAfter, rightAfter;
        Fault fault;
    } cases[] = {
        {"deleting what is only on the left, alone: the files, then their folders",
         {false, false, false, true, false}, {},
         {"TMP/a.txt", "TMP/sub/b.txt", "keep.txt"}, {"keep.txt"}, {"keep.txt"}, {"keep.txt"}, {}},
        {"deleting in 2 alone leaves what is only on side 1",
         {false, false, false, false, true}, {},
         {"l.txt", "ldir/x.txt"}, {"r.txt", "rdir/y.txt"}, {"l.txt", "ldir/", "ldir/x.txt"}, {}, {}},
        {"a mirror deletes extra entries though nothing needs copying",
         {true, false, false, false, true}, {},
         {"same.txt"}, {"same.txt", "extra/x.txt", "y.txt"}, {"same.txt"}, {"same.txt"}, {}},
        {"a delete mask is work though the only change goes right to left",
         {true, false, false, false, false}, "*.tmp",
         {"s.tmp=old"}, {"s.tmp=new"}, {}, {"s.tmp=new"}, {}},
        {"a one-sided folder is created before its files, an empty one too",
         {true, false, false, false, false}, {},
         {"T/a.txt", "T/sub/b.txt", "T/empty/"}, {},
         {"T/", "T/a.txt", "T/empty/", "T/sub/", "T/sub/b.txt"}, {"T/", "T/a.txt", "T/empty/", "T/sub/", "T/sub/b.txt"}, {}},
        {"deleting on the left with both directions still copies the changed file",
         {true, true, false, true, false}, {},
         {"only/x.txt", "both.txt=new"}, {"both.txt=old", "r.txt"}, {"both.txt=new", "r.txt"}, {"both.txt=new", "r.txt"}, {}},
        {"delete masks delete on the source instead of copying",
         {true, true, false, false, false}, "*.tmp",
         {"x.tmp=new", "y.tmp", "z.txt"}, {"x.tmp=right"}, {"z.txt"}, {"z.txt"}, {}},
        {"nothing below a folder that cannot be listed is copied or deleted",
         {true, true, false, true, true}, {},
         {"locked/l.txt", "fine.txt"}, {"locked/r.txt"}, {"locked/", "locked/l.txt"}, {"locked/", "locked/r.txt"},
         [this](FailingDevice& d) { d.Fail(FailingDevice::Point::OpenListing, right.Path("locked"), EACCES, 0, -1); }},
        {"a listing that breaks off part-way is no listing: nothing opposite it is deleted",
         {true, false, false, false, true}, {},
         {"h/1.txt", "h/2.txt", "h/3.txt", "h/4.txt", "new.txt"}, {"h/1.txt", "h/2.txt", "h/3.txt", "h/4.txt"},
         {"h/", "h/1.txt", "h/2.txt", "h/3.txt", "h/4.txt", "new.txt"}, {"h/", "h/1.txt", "h/2.txt", "h/3.txt", "h/4.txt", "new.txt"},
         [this](FailingDevice& d) { d.Fail(FailingDevice::Point::ReadListing, left.Path("h"), EIO, 2, -1); }},
    };
    Switches().DontAsk = true;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(left);
        Clear(right);
        Plant(left, c.left);
        Plant(right, c.right);
        std::optional<FailingDevice> device;
        if (c.fault) c.fault(device.emplace());
        SetOptions(c.options);
        deleteMasks_ = c.deleteMasks;
        Compare();
        ASSERT_TRUE(Sync());
        EXPECT_EQ(Contents(left), c.leftAfter) << qPrintable(Contents(left).join(u' '));
        EXPECT_EQ(Contents(right), c.rightAfter) << qPrintable(Contents(right).join(u' '));
        EXPECT_TRUE(c.fault || !::Run().ErrorReported) << qPrintable(LogLines().join(u'\n'));
    }
}

TEST_F(SyncRunTest, LeftToRightBeforeRightToLeftBetweenOneStartAndOneEnd) {
    Plant(left, {"b.txt=new left", "a.txt=old left"});
    Plant(right, {"b.txt=old right", "a.txt=new right"});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(host.filesShown, QStringList({left.Path("b.txt"), right.Path("a.txt")}));
    EXPECT_EQ(Contents(left), QStringList({"a.txt=new right", "b.txt=new left"}));
    EXPECT_EQ(Contents(right), Contents(left));
    EXPECT_EQ(host.progressTotal, 17);  // the counting pass: 8 + 9 bytes
    EXPECT_EQ(host.progressDone, 17);
    EXPECT_FALSE(host.ProgressVisible());
    EXPECT_EQ(LogLines(), QStringList({StartLine(), EndLine()}));
    // The copies kept the times, so a new compare finds nothing left to do.
    Compare();
    EXPECT_EQ(files.FileCounts[0] + files.FileCounts[2], 0);
}

TEST_F(SyncRunTest, LogChangesAddsOneLinePerChangeInTheRunsOrder) {
    Plant(left, {"a.txt=new", "new/b.txt=new"});
    Plant(right, {"old/c.txt"});
    Settings().LogChanges = true;
    SetOptions({true, false, false, false, true});
    Compare();
    ASSERT_TRUE(Sync());
    EXPECT_EQ(LogLines(), QStringList({StartLine(), Stamped("Delete\t" + right.Path("old/c.txt")),
                                       Stamped("RemoveFolder\t" + right.Path("old")),
                                       Stamped("Copy\t" + left.Path("a.txt") + '\t' + right.Path("a.txt")),
                                       Stamped("CreateFolder\t" + right.Path("new")),
                                       Stamped("Copy\t" + left.Path("new/b.txt") + '\t' + right.Path("new/b.txt")), EndLine()}));
}

TEST_F(SyncRunTest, PopupCopyOfAFolderCopiesItsSubtreeAgainstTheDirectionButNotUnmarkedRows) {
    Plant(left, {"d/unmarked.txt=new l", "d/back.txt=old l", "d/deeper/2.txt", "e/3.txt", "c.txt"});
    Plant(right, {"d/unmarked.txt=old r", "d/back.txt=new r"});
    Compare();
    files.ViewList[static_cast<size_t>(RowOf("d/unmarked.txt"))].Selected = false;
    SetOptions({true, false, false, false, false});
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupCopyCommand(files, RowOf("d"), 0));
    // The marked right-to-left row goes left to right; the copy stops at the next folder.
    EXPECT_EQ(Contents(right), QStringList({"d/", "d/back.txt=old l", "d/deeper/", "d/deeper/2.txt", "d/unmarked.txt=old r"}));
    // The status line counts what the copy did.
    EXPECT_EQ(::Run().Tally.Copied, 2);
    EXPECT_EQ(host.status[1], FormatMsg(1219, {"2", "1", "0", "0", "0"}));
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(LogLines().isEmpty());  // a plain copy writes no run lines
}

TEST_F(SyncRunTest, PopupDeleteWithoutSubfoldersRemovesFolderOnlyWhenEmpty) {
    Plant(left, {"d/a.txt", "d/sub/b.txt", "e/c.txt"});
    Compare();
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupDeleteCommand(files, RowOf("d"), 2));
    EXPECT_EQ(left.List(), QStringList({"d/", "d/sub/", "d/sub/b.txt", "e/", "e/c.txt"}));
    EXPECT_FALSE(::Run().ErrorReported);  // "folder not empty" is not an error

    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(PopupDeleteCommand(files, RowOf("e"), 0));
    EXPECT_FALSE(left.Exists("e"));
    // The file and its folder; a folder that kept something (d) is no failure and no deletion.
    EXPECT_EQ(host.status[1], FormatMsg(1219, {"0", "0", "2", "0", "0"}));

    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(PopupDeleteCommand(files, RowOf("d"), 0));
    EXPECT_TRUE(left.Exists("d/sub/b.txt"));
}

TEST_F(SyncRunTest, PopupSynchronizeOfOneFolderWithoutSubfolders) {
    Plant(left, {"d/a.txt", "d/sub/b.txt", "other.txt"});
    Compare();
    right.Folder("d");  // the folder exists already; its files are copied
    ASSERT_TRUE(PopupSynchronizeCommand(files, RowOf("d"), 1));
    EXPECT_EQ(right.List(), QStringList({"d/", "d/a.txt"}));
    const QString folders = '\t' + left.Path("d") + '\t' + right.Path("d");  // both lines name the folders
    EXPECT_EQ(LogLines(), QStringList({StartLine() + folders, EndLine() + folders})) << qPrintable(LogLines().join(u'\n'));
    EXPECT_EQ(refreshes, 1);
}

TEST_F(SyncRunTest, ChecksRefuseWithTheirMessages) {
    Plant(left, {"a.txt=new"});
    SetOptions({false, false, true, false, false});
    Compare();
    EXPECT_FALSE(Sync());
    SetOptions({false, true, false, false, false});
    EXPECT_FALSE(Sync());  // only left to right is proposed
    Plant(right, {"a.txt=new"});
    SetOptions({true, true, false, false, false});
    Compare();
    EXPECT_FALSE(Sync());
    EXPECT_EQ(host.messagesShown, QStringList({FormatMsg(808), FormatMsg(810), FormatMsg(809)}));
    // Only the run without any direction leaves lines: it did nothing, and says so.
    EXPECT_EQ(LogLines(), QStringList({StartLine(), Stamped(FormatMsg(808)), EndLine()}));
}

TEST_F(SyncRunTest, CancelDuringACopyStopsTheRunButEndsIt) {
    Plant(left, {"a-big.bin=new", "b-next.txt"});
    Plant(right, {"a-big.bin=old"});
    Compare();
    host.onProgress = [](int64_t, int64_t) { ::Run().CancelRequested = true; };
    host.queuedAnswers = {MsgBox::Yes};  // 804; the cancel itself asks nothing
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown.size(), 1);
    EXPECT_EQ(Entries(right.Path()), QStringList{"a-big.bin"});  // no copy, no temporary
    EXPECT_EQ(right.Read("a-big.bin"), QByteArray("old"));
    const QStringList lines = LogLines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], StartLine());
    EXPECT_TRUE(lines[1].startsWith(Stamped(QString::number(ECANCELED))));
    EXPECT_EQ(lines[2], Stamped(FormatMsg(1222)));
    EXPECT_EQ(lines[3], EndLine());
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
    Plant(left, {"a.txt"});
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
    EXPECT_FALSE(right.Exists("a.txt"));
    EXPECT_EQ(disabled + enabled + refreshes, 0);
    // Yes: the run, the refresh, the buttons.
    EXPECT_TRUE(SynchronizeCommand(files, hooks));
    EXPECT_TRUE(right.Exists("a.txt"));
    EXPECT_EQ(std::make_tuple(disabled, enabled, refreshes), std::make_tuple(1, 1, 1));
    // The program's own refresh compares again: nothing is left to copy.
    SetRefreshCompare({});
    Plant(right, {"r.txt"});
    Compare();
    host.queuedAnswers = {MsgBox::Yes};
    ASSERT_TRUE(SynchronizeCommand(files));
    EXPECT_TRUE(left.Exists("r.txt"));
    EXPECT_EQ(files.FileCounts[0] + files.FileCounts[2], 0);
}

TEST_F(SyncRunTest, WithoutQuestionsAStaleListIsRefusedAndAHiddenRunEndsWithoutRefresh) {
    Plant(left, {"a.txt"});
    Compare();
    files.Stale = true;
    Switches().DontAsk = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown, QStringList());  // nothing that would wait for a click
    EXPECT_FALSE(right.Exists("a.txt"));
    EXPECT_TRUE(::Run().Refused);
    EXPECT_EQ(LastErrorMsg(), FormatMsg(803));
    EXPECT_EQ(LogLines(), QStringList{Stamped(FormatMsg(803).replace('\n', '\t'))});

    files.Stale = false;
    Switches().AutoRun = Switches().Hidden = true;
    EXPECT_TRUE(SynchronizeCommand(files));  // 804 is answered Yes without asking
    EXPECT_TRUE(right.Exists("a.txt"));
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(host.filesShown, QStringList());  // no progress window without questions
}

TEST_F(SyncRunTest, VanishedRootIsReportedPerItemAndCreatesNothing) {
    TempTree outer;
    const QString rightRoot = outer.Folder("right");
    Plant(left, {"a.txt", "d/b.txt"});
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
    EXPECT_EQ(LoggedErrors(ENOENT), lines.size() - 2) << qPrintable(lines.join(u'\n'));
    EXPECT_EQ(lines.last(), EndLine());
}
