// Replaced files in a synchronisation run go through batches: each is reported (tally, log
// line, error) only once it is in place, a cancel or a failed sync leaves every old file, and
// a file changed after the compare is still never overwritten.

#include "BatchSyncs.h"
#include "SyncRunFixture.h"

#include "platform/ReplacementBatch.h"
#include "support/FailingDevice.h"

#include <QFile>

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
    EXPECT_EQ(Entries(right.Path(QStringLiteral("d"))).size(), n);  // no temporary left
}

// While the third of three files is copied the user saves the first destination, or cancels; or
// the batch's sync fails. What is reported is what is in place, and no temporary is left.
TEST_F(SyncBatchTest, WhatABatchReportsIsWhatIsInPlace) {
    enum class Event { UserEdit, Cancel, SyncFails };
    const struct {
        const char* what;
        Event event;
        int oldFiles, copied, failed, skipped;
    } cases[] = {
        {"a file edited before its batch is renamed is skipped and reported", Event::UserEdit, 0, 2, 0, 1},
        {"a cancel keeps every old file", Event::Cancel, 3, 0, 0, 0},
        {"a failed sync fails every file of the batch", Event::SyncFails, 3, 0, 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Clear(left);
        Clear(right);
        QFile::remove(logs.Path("20260402.log"));
        ChangedFiles(3);
        int progressCalls = 0;
        host.onProgress = [&](int64_t, int64_t) {
            if (++progressCalls != 3) return;
            if (c.event == Event::UserEdit) right.File(Name(0), "the user's edit");
            if (c.event == Event::Cancel) ::Run().CancelRequested = true;
        };
        host.ProgressInit(0);
        {
            FailingDevice device;
            if (c.event == Event::SyncFails) device.Fail(FailingDevice::Point::Sync, QString(), EIO);
            ASSERT_TRUE(Sync());
        }
        EXPECT_EQ(OldFiles(3), c.oldFiles);
        EXPECT_EQ(Entries(right.Path("d")).size(), 3);
        EXPECT_EQ(::Run().Tally.Copied, c.copied);
        EXPECT_EQ(::Run().Tally.Failed, c.failed);
        EXPECT_EQ(::Run().Tally.Skipped, c.skipped);
        EXPECT_EQ(::Run().Tally.Cancelled, c.event == Event::Cancel);
        EXPECT_EQ(CopyLines(), c.copied);
        EXPECT_EQ(::Run().ErrorReported, c.failed + c.skipped > 0);
        if (c.event != Event::UserEdit) continue;
        EXPECT_EQ(right.Read(Name(0)), QByteArray("the user's edit"));
        EXPECT_EQ(right.Read(Name(1)), NewData(1));
        ASSERT_EQ(::Run().Errors.size(), 1);
        EXPECT_TRUE(::Run().Errors[0].contains(right.Path(Name(0)))) << qPrintable(::Run().Errors[0]);
        EXPECT_TRUE(LastErrorMsg().startsWith(FormatMsg(870)));
    }
}

}  // namespace
