// The copies of a run go through batches of replacements and, for new small files, worker
// threads; what the run reports is still exactly what is on the disk.

#include "BatchSyncs.h"
#include "SyncRunFixture.h"

#include "platform/CopyWorkers.h"
#include "platform/ReplacementBatch.h"
#include "support/FailingDevice.h"

#include <QFile>

#include <cerrno>

using namespace sync_run_test;

namespace {

QString Name(int i) { return QStringLiteral("d/f%1.txt").arg(i, 3, 10, QLatin1Char('0')); }
QByteArray OldData(int i) { return "old " + QByteArray::number(i); }
QByteArray NewData(int i) { return "new and longer " + QByteArray::number(i); }

class SyncBatchTest : public SyncRunTest {
protected:
    void SetUp() override {
        SyncRunTest::SetUp();
        FileSystem::SetCopyWorkersForTests(2);  // workers even on a machine with one core
        Switches().DontAsk = true;
        Settings().LogChanges = true;
        SetOptions({true, false, false, false, false});
    }
    void TearDown() override {
        FileSystem::SetCopyWorkersForTests(-1);
        SyncRunTest::TearDown();
    }
    // n files changed on the left (older on the right, or none there), compared.
    void ChangedFiles(int n, bool onRight = true, int size = 0) {
        for (int i = 0; i < n; ++i) {
            left.File(Name(i), size ? QByteArray(size, char('a' + i % 26)) : NewData(i), New);
            if (onRight) right.File(Name(i), OldData(i), Old);
        }
        right.Folder("d");
        Compare();
    }
    // The changes the log names, in its order: "Copy d/f000.txt", "CreateFolder e".
    QStringList LoggedChanges() const {
        QStringList changes;
        for (const QString& line : LogLines()) {
            const QStringList fields = line.split('\t');
            if (fields.size() > 2 && (fields[1] == "Copy" || fields[1] == "CreateFolder"))
                changes << fields[1] + ' ' + fields[2].mid((fields[1] == "Copy" ? left : right).Path().size() + 1);
        }
        return changes;
    }
    int OldFiles(int n) const { return n == 0 ? 0 : OldFiles(n - 1) + (right.Read(Name(n - 1)) == OldData(n - 1)); }
};

}  // namespace

// New files on the workers, a large one on the walk's thread, replacements in batches (each waits
// until its batch is in place after its sync), and a name taken after the compare.
TEST_F(SyncBatchTest, TheLogKeepsTheWalksOrderAndReportsEachCopyOnlyOnceInPlace) {
    const int n = static_cast<int>(FileSystem::ReplacementBatch::kMaxFiles) + 6;
    for (int i = 0; i < n; ++i) right.File(QStringLiteral("a/f%1.txt").arg(i), OldData(i), Old);
    for (int i = 0; i < n; ++i) left.File(QStringLiteral("a/f%1.txt").arg(i), NewData(i), New);
    left.File("d/f020.txu", QByteArray(3 << 20, 'L'), New);
    ChangedFiles(60, false);
    right.File(Name(33), "taken meanwhile", Old);
    QStringList walk;
    for (size_t i = 1; i < files.ViewList.size(); ++i) {
        const CompareRow& r = files.ViewList[i];
        if (!r.Exists(0)) continue;  // the pair's own row
        if (r.IsFolder() && !r.Exists(1)) walk << "CreateFolder " + r.Folder(1).mid(right.Path().size() + 1);
        if (!r.IsFolder() && r.Name(0) != "f033.txt") walk << "Copy " + r.Folder(0).mid(left.Path().size() + 1) + r.Name(0);
    }
    int progressCalls = 0;
    host.onProgress = [&](int64_t, int64_t) {
        if (++progressCalls != 2) return;  // while the second replacement is copied, the first waits
        EXPECT_EQ(right.Read("a/f0.txt"), OldData(0));
        EXPECT_EQ(::Run().Tally.Copied, 0);
        EXPECT_TRUE(LoggedChanges().isEmpty());
    };
    host.ProgressInit(0);  // progress calls reach the hook
    std::optional<FailingDevice> device(std::in_place);  // counts the syncs, fails none
    ASSERT_TRUE(Sync());
    const int syncs = device->Count(FailingDevice::Point::Sync);
    EXPECT_GE(progressCalls, 2);

    // Replacements are logged as their batch lands; everything else in the walk's order.
    const QRegularExpression notReplaced("^(?!Copy a/)");
    EXPECT_EQ(LoggedChanges().filter(notReplaced).join(u'\n').toStdString(), walk.filter(notReplaced).join(u'\n').toStdString());
    EXPECT_EQ(syncs, ExpectedSyncsPerBatch(right.Path(), static_cast<int>(FileSystem::ReplacementBatch::kMaxFiles)) +
                         ExpectedSyncsPerBatch(right.Path(), 6));
    EXPECT_EQ(::Run().Tally.Copied, n + 60);
    EXPECT_EQ(::Run().Tally.Skipped + ::Run().Tally.Failed, 1);
    ASSERT_EQ(::Run().Errors.size(), 1) << qPrintable(::Run().Errors.join(u'\n'));
    EXPECT_TRUE(::Run().Errors[0].contains(Name(33))) << qPrintable(::Run().Errors[0]);
    EXPECT_EQ(right.Read(Name(33)), QByteArray("taken meanwhile"));
    for (int i = 0; i < 60; ++i) EXPECT_TRUE(i == 33 || right.Read(Name(i)) == NewData(i)) << qPrintable(Name(i));
    for (int i = 0; i < n; ++i) EXPECT_EQ(right.Read(QStringLiteral("a/f%1.txt").arg(i)), NewData(i));
    EXPECT_EQ(Entries(right.Path("a")).size(), n);  // no temporary left
    EXPECT_EQ(right.Read("d/f020.txu"), QByteArray(3 << 20, 'L'));
}

// While the third of three replacements is copied: the user's edit, a cancel, a failed sync.
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
        EXPECT_EQ(std::make_tuple(::Run().Tally.Copied, ::Run().Tally.Failed, ::Run().Tally.Skipped),
                  std::make_tuple(c.copied, c.failed, c.skipped));
        EXPECT_EQ(::Run().Tally.Cancelled, c.event == Event::Cancel);
        EXPECT_EQ(LoggedChanges().size(), c.copied);
        EXPECT_EQ(::Run().ErrorReported, c.failed + c.skipped > 0);
        if (c.event != Event::UserEdit) continue;
        EXPECT_EQ(right.Read(Name(0)), QByteArray("the user's edit"));
        EXPECT_EQ(right.Read(Name(1)), NewData(1));
        ASSERT_EQ(::Run().Errors.size(), 1);
        EXPECT_TRUE(::Run().Errors[0].contains(right.Path(Name(0)))) << qPrintable(::Run().Errors[0]);
        EXPECT_TRUE(LastErrorMsg().startsWith(FormatMsg(870)));
    }
}

// The cancel finds copies in work and copies not yet begun (neither copies nor failures).
TEST_F(SyncBatchTest, ACancelAmongHandedOutCopiesCountsAndLogsExactlyTheFilesOnDisk) {
    ChangedFiles(60, false, 256 << 10);
    Switches().DontAsk = false;  // with the progress window, whose Cancel this is
    host.onProgress = [&](int64_t, int64_t) { ::Run().CancelRequested = true; };
    ASSERT_TRUE(Sync());
    EXPECT_TRUE(::Run().Tally.Cancelled && ::Run().Tally.Failed == 0 && ::Run().Errors.isEmpty());
    const QStringList onDisk = Entries(right.Path("d"));  // temporaries included
    EXPECT_LT(onDisk.size(), 60);
    EXPECT_EQ(::Run().Tally.Copied, onDisk.size());
    EXPECT_EQ(LoggedChanges().size(), onDisk.size());
    for (const QString& name : onDisk) EXPECT_EQ(right.Read("d/" + name), left.Read("d/" + name));
}
