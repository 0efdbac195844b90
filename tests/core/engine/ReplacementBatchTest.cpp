// Replacements in batches on real files: nothing is replaced before the batch is put in place,
// a failure at any step leaves every destination whole (old or new, never cut) and no
// temporary file, and one sync serves the whole batch.

#include "BatchSyncs.h"

#include "platform/FileSystem.h"
#include "platform/ReplacementBatch.h"
#include "support/FailingDevice.h"
#include "support/TempTree.h"
#include "support/TreeQueries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr int kFiles = 3;

QString Name(int i) { return QStringLiteral("f%1.txt").arg(i); }
QByteArray OldData(int i) { return "old version of " + QByteArray::number(i); }
QByteArray NewData(int i) { return QByteArray(5000 + i, static_cast<char>('a' + i)); }

using Point = FailingDevice::Point;

class ReplacementBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kFiles; ++i) {
            from.File(Name(i), NewData(i));
            to.File(Name(i), OldData(i));
        }
    }
    bool Copy(int i) {
        return FileSystem::CopyFile(from.Path(Name(i)), to.Path(Name(i)), {}, nullptr, SeenNow(to.Path(Name(i))));
    }
    // Every destination holds its old or its new data whole; returns which are new.
    std::vector<bool> Replaced() const {
        std::vector<bool> replaced;
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray now = to.Read(Name(i));
            EXPECT_TRUE(now == OldData(i) || now == NewData(i)) << i << " holds " << now.size() << " bytes";
            replaced.push_back(now == NewData(i));
        }
        return replaced;
    }
    TempTree from, to;
};

TEST_F(ReplacementBatchTest, NothingChangesUntilTheBatchIsPutInPlaceThenOneSyncServesAll) {
    FailingDevice device;  // fails nothing, counts the syncs
    FileSystem::ReplacementBatch batch;
    for (int i = 0; i < kFiles; ++i) {
        ASSERT_TRUE(Copy(i)) << i;
        EXPECT_TRUE(FileSystem::LastCopyWaits());
    }
    EXPECT_EQ(batch.Waiting(), static_cast<size_t>(kFiles));
    EXPECT_EQ(Replaced(), std::vector<bool>(kFiles, false));
    // A waiting file carries the copy's mark: a killed run leaves it recognisable as ours.
    const QStringList waiting = Temporaries(to.Path());
    ASSERT_EQ(waiting.size(), kFiles);
    EXPECT_TRUE(FileSystem::IsCopyTemporary(to.Path(), waiting[0]));

    EXPECT_EQ(device.Count(Point::Sync), 0);
    EXPECT_EQ(batch.PutInPlace(), std::vector<int>(kFiles, 0));
    EXPECT_EQ(device.Count(Point::Sync), ExpectedSyncsPerBatch(to.Path(), kFiles));
    EXPECT_EQ(Replaced(), std::vector<bool>(kFiles, true));
    EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
    // The new files are the user's: no mark left on them.
    EXPECT_FALSE(FileSystem::IsCopyTemporary(to.Path(), Name(0)));

    // A new file is named at once, batch or not.
    from.File(QStringLiteral("new.txt"), "new");
    ASSERT_TRUE(FileSystem::CopyFile(from.Path(QStringLiteral("new.txt")), to.Path(QStringLiteral("new.txt")), {},
                                     nullptr, {FileSystem::SeenEntry::Kind::Absent, 0, 0}));
    EXPECT_FALSE(FileSystem::LastCopyWaits());
    EXPECT_EQ(to.Read(QStringLiteral("new.txt")), QByteArray("new"));
}

// A fault at each step of one file's way through the batch keeps that file's old data and
// no other; a failed sync keeps them all. Nothing is ever cut, and no temporary stays.
TEST_F(ReplacementBatchTest, AFailureAtAnyStepLeavesEveryDestinationWholeAndNoTemporary) {
    const struct {
        Point point;
        QString file;  // empty: any
        std::vector<bool> replaced;
    } cases[] = {
        {Point::Create, Name(1), {true, false, true}}, {Point::Data, Name(1), {true, false, true}},
        {Point::Close, Name(1), {true, false, true}},  {Point::Name, Name(1), {true, false, true}},
        {Point::Sync, QString(), {false, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.point));
        for (int i = 0; i < kFiles; ++i) to.File(Name(i), OldData(i));
        std::vector<bool> copied;
        std::vector<int> results;
        {
            FailingDevice device;
            device.Fail(c.point, c.file, EIO);
            FileSystem::ReplacementBatch batch;
            for (int i = 0; i < kFiles; ++i) copied.push_back(Copy(i));
            results = batch.PutInPlace();
        }
        EXPECT_EQ(Replaced(), c.replaced);
        EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
        // What the batch reported for each file it took is what happened to it.
        size_t waiting = 0;
        for (size_t i = 0; i < copied.size(); ++i)
            if (copied[i]) {
                EXPECT_EQ(results.at(waiting++) == 0, c.replaced[i]) << i;
            }
        EXPECT_EQ(waiting, results.size());
    }
}

TEST_F(ReplacementBatchTest, ADestinationChangedWhileItsReplacementWaitsIsLeftAsTheUserMadeIt) {
    FileSystem::ReplacementBatch batch;
    for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Copy(i));
    to.File(Name(1), "saved meanwhile by the user");
    const std::vector<int> results = batch.PutInPlace();
    EXPECT_EQ(results, std::vector<int>({0, FileSystem::ErrChangedSinceCompare, 0}));
    EXPECT_EQ(to.Read(Name(0)), NewData(0));
    EXPECT_EQ(to.Read(Name(1)), QByteArray("saved meanwhile by the user"));
    EXPECT_EQ(to.Read(Name(2)), NewData(2));
    EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
}

TEST_F(ReplacementBatchTest, DiscardedOrAbandonedBatchesChangeNothingAndLeaveNoTemporary) {
    for (const bool discard : {true, false}) {  // else abandoned: its end discards what waits
        FileSystem::ReplacementBatch batch;
        for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Copy(i));
        if (discard) batch.Discard();
        EXPECT_EQ(batch.Waiting(), discard ? 0u : size_t{kFiles});
    }
    EXPECT_EQ(Replaced(), std::vector<bool>(kFiles, false));
    EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
}

TEST_F(ReplacementBatchTest, AFullBatchTakesNoMoreAndTheNextReplacementIsSyncedOnItsOwn) {
    const int count = static_cast<int>(FileSystem::ReplacementBatch::kMaxFiles) + 1;
    for (int i = 0; i < count; ++i) {
        from.File(QStringLiteral("many/%1").arg(i), "new " + QByteArray::number(i));
        to.File(QStringLiteral("many/%1").arg(i), "old");
    }
    FailingDevice device;
    FileSystem::ReplacementBatch batch;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("many/%1").arg(i);
        ASSERT_TRUE(FileSystem::CopyFile(from.Path(name), to.Path(name), {}, nullptr));
        EXPECT_EQ(FileSystem::LastCopyWaits(), i < count - 1) << i;
    }
    EXPECT_TRUE(batch.Full());
    EXPECT_EQ(to.Read(QStringLiteral("many/%1").arg(count - 1)), "new " + QByteArray::number(count - 1));
    const std::vector<Point> own = device.Steps(to.Path(QStringLiteral("many/%1").arg(count - 1)));
    EXPECT_LT(std::find(own.begin(), own.end(), Point::Sync), std::find(own.begin(), own.end(), Point::Name));
    EXPECT_EQ(to.Read(QStringLiteral("many/0")), QByteArray("old"));
    EXPECT_EQ(batch.PutInPlace(), std::vector<int>(static_cast<size_t>(count - 1), 0));
    EXPECT_EQ(to.Read(QStringLiteral("many/0")), QByteArray("new 0"));
    EXPECT_FALSE(batch.Full());
}

}  // namespace
