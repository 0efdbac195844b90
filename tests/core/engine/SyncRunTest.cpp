// The synchronisation run on real trees compared by the program: the test reads what is there.

#include "SyncRunFixture.h"
#include "support/FailingDevice.h"

#include <cerrno>
#include <functional>
#include <optional>

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
        ClearBoth();
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

// A stale list is refused (with the question or without); No runs nothing; a hidden unattended
// run answers the question itself and shows no window.
TEST_F(SyncRunTest, SynchronizeRefusesAStaleListAndRunsOnlyOnYes) {
    Plant(left, {"a.txt"});
    Compare();
    files.Stale = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    files.Stale = false;
    host.queuedAnswers = {MsgBox::No};
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown.size(), 2);  // out of date; the question, answered No
    EXPECT_FALSE(right.Exists("a.txt"));
    EXPECT_EQ(refreshes, 0);

    host.messagesShown.clear();
    files.Stale = true;
    Switches().DontAsk = true;
    EXPECT_FALSE(SynchronizeCommand(files));
    EXPECT_EQ(host.messagesShown, QStringList());  // nothing that would wait for a click
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
        for (CompareRow& r : *list) r.SetFolder(1, QString(r.Folder(1)).replace(right.Path(), rightRoot));
    ASSERT_TRUE(QDir(rightRoot).removeRecursively());
    Switches().DontAsk = true;
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(::Run().ErrorReported);
    EXPECT_FALSE(QFileInfo::exists(rightRoot));
    ASSERT_GE(LogLines().size(), 3);  // Start, an error per item, End
    EXPECT_EQ(LoggedErrors(ENOENT), LogLines().size() - 2) << qPrintable(LogLines().join(u'\n'));
}
