// Replaced files in a synchronisation run go through batches: each is reported (tally, log
// line, error) only once it is in place, a cancel or a failed sync leaves every old file, and
// a file changed after the compare is still never overwritten.

#include "BatchSyncs.h"
#include "SyncRunFixture.h"

#include "platform/ReplacementBatch.h"
#include "support/FailingDevice.h"

#include <cerrno>
#include <optional>

using namespace sync_run_test;

namespace {

QString Name(int i) { return QStringLiteral("d/f%1.txt").arg(i, 3, 10, QLatin1Char('0')); }
QByteArray OldData(int i) { return "old " + QByteArray::number(i); }
QByteArray NewData(int i) { return "new and longer " + QByteArray::number(i); }

class SyncBatchTest : public SyncRunTest {
protected:
    // n files changed on the left, older on the right; compared, a left-to-right run chosen.
    void ChangedFiles(int n) {
        for (int i = 0; i < n; ++i) {
            left.File(Name(i), NewData(i), New);
            right.File(Name(i), OldData(i), Old);
        }
        SetOptions({true, false, false, false, false});
        Compare();
        Switches().DontAsk = true;
        Settings().LogChanges = true;
    }
    int CopyLines() const { return static_cast<int>(LogLines().filter("\tCopy\t").size()); }
    int OldFiles(int n) const {
        int old = 0;
        for (int i = 0; i < n; ++i) old += right.Read(Name(i)) == OldData(i) ? 1 : 0;
        return old;
    }
};

TEST_F(SyncBatchTest, ReplacementsAreReportedOnlyOnceInPlaceWithOneSyncPerBatch) {
    const int n = static_cast<int>(FileSystem::ReplacementBatch::kMaxFiles) + 6;
    ChangedFiles(n);
    // While the second file is being copied the first one waits: not yet replaced, counted or
    // logged.
    int progressCalls = 0;
    host.onProgress = [&](int64_t, int64_t) {
        if (++progressCalls != 2) return;
        EXPECT_EQ(right.Read(Name(0)), OldData(0));
        EXPECT_EQ(::Run().Tally.Copied, 0);
        EXPECT_EQ(CopyLines(), 0);
    };
    host.ProgressInit(0);  // progress calls reach the hook
    std::optional<FailingDevice> device(std::in_place);  // counts the syncs, fails none
    ASSERT_TRUE(Sync());
    EXPECT_GE(progressCalls, 2);
    const int syncs = device->Count(FailingDevice::Point::Sync);
    device.reset();
    // A full batch and the rest.
    EXPECT_EQ(syncs, ExpectedSyncsPerBatch(right.Path(), static_cast<int>(FileSystem::ReplacementBatch::kMaxFiles)) +
                         ExpectedSyncsPerBatch(right.Path(), 6));
    EXPECT_EQ(OldFiles(n), 0);
    EXPECT_EQ(::Run().Tally.Copied, n);
    EXPECT_EQ(CopyLines(), n);
    EXPECT_FALSE(::Run().ErrorReported);
    EXPECT_EQ(TempTree::Entries(right.Path(QStringLiteral("d"))).size(), n);  // no temporary left
}

TEST_F(SyncBatchTest, AFileChangedBeforeItsBatchIsRenamedIsSkippedAndReported) {
    ChangedFiles(3);
    int progressCalls = 0;
    host.onProgress = [&](int64_t, int64_t) {
        // The user saves the first destination while the third file is being copied.
        if (++progressCalls == 3) right.File(Name(0), "the user's edit");
    };
    host.ProgressInit(0);
    ASSERT_TRUE(Sync());
    EXPECT_EQ(right.Read(Name(0)), QByteArray("the user's edit"));
    EXPECT_EQ(right.Read(Name(1)), NewData(1));
    EXPECT_EQ(right.Read(Name(2)), NewData(2));
    EXPECT_EQ(::Run().Tally.Copied, 2);
    EXPECT_EQ(::Run().Tally.Skipped, 1);
    EXPECT_EQ(CopyLines(), 2);
    ASSERT_EQ(::Run().Errors.size(), 1);
    EXPECT_TRUE(::Run().Errors[0].contains(right.Path(Name(0)))) << qPrintable(::Run().Errors[0]);
    EXPECT_TRUE(LastErrorMsg().startsWith(FormatMsg(870)));
    EXPECT_EQ(TempTree::Entries(right.Path(QStringLiteral("d"))).size(), 3);
}

// A cancel while the third file is copied, or a failed sync of the batch: the batch's files keep
// their old data, none is counted as copied, and no temporary is left.
TEST_F(SyncBatchTest, ABatchThatIsCancelledOrFailsToSyncKeepsEveryOldFile) {
    for (const bool cancel : {true, false}) {
        SCOPED_TRACE(cancel ? "cancelled" : "sync failed");
        Clear(left);
        Clear(right);
        ChangedFiles(3);
        int progressCalls = 0;
        host.onProgress = [&](int64_t, int64_t) {
            if (++progressCalls == 3 && cancel) ::Run().CancelRequested = true;
        };
        host.ProgressInit(0);
        {
            FailingDevice device;
            if (!cancel) device.Fail(FailingDevice::Point::Sync, QString(), EIO);
            ASSERT_TRUE(Sync());
        }
        EXPECT_EQ(OldFiles(3), 3);
        EXPECT_EQ(TempTree::Entries(right.Path("d")).size(), 3);
        EXPECT_EQ(::Run().Tally.Cancelled, cancel);
        EXPECT_EQ(::Run().Tally.Copied, 0);
        EXPECT_EQ(::Run().Tally.Failed, cancel ? 0 : 3);
        EXPECT_TRUE(cancel || ::Run().ErrorReported);
        EXPECT_EQ(CopyLines(), 0);
    }
}

}  // namespace
