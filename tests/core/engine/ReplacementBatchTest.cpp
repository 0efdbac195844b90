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
#include <string>

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
    // What each destination holds, whole: o its old data, n its new data, u what the user saved.
    std::string State() const {
        std::string state;
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray now = to.Read(Name(i));
            state += now == OldData(i) ? 'o' : now == NewData(i) ? 'n' : now == kUsers ? 'u' : '?';
        }
        return state;
    }
    static constexpr const char* kUsers = "saved meanwhile by the user";
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
    EXPECT_EQ(State(), "ooo");
    // A waiting file carries the copy's mark: a killed run leaves it recognisable as ours.
    const QStringList waiting = Temporaries(to.Path());
    ASSERT_EQ(waiting.size(), kFiles);
    EXPECT_TRUE(FileSystem::IsCopyTemporary(to.Path(), waiting[0]));

    EXPECT_EQ(device.Count(Point::Sync), 0);
    EXPECT_EQ(batch.PutInPlace(), std::vector<int>(kFiles, 0));
    EXPECT_EQ(device.Count(Point::Sync), ExpectedSyncsPerBatch(to.Path(), kFiles));
    EXPECT_EQ(State(), "nnn");
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

// A fault at each step of one file's way through the batch keeps that file's old data and no
// other; a failed sync keeps them all; a destination the user saved while its replacement waited
// stays as the user made it; a batch discarded, or abandoned (its end discards what waits),
// changes nothing. Nothing is ever cut, no temporary stays, and what the batch reports for each
// file it took is what happened to it.
TEST_F(ReplacementBatchTest, AFailureAtAnyStepLeavesEveryDestinationWholeAndNoTemporary) {
    enum Then { PutInPlace, SavedMeanwhile, Discard, Abandon };
    const struct {
        Point point;
        QString file;  // the fault's file, empty: any; no fault where then is not PutInPlace
        Then then;
        const char* after;
    } cases[] = {
        {Point::Create, Name(1), PutInPlace, "non"}, {Point::Data, Name(1), PutInPlace, "non"},
        {Point::Close, Name(1), PutInPlace, "non"},  {Point::Name, Name(1), PutInPlace, "non"},
        {Point::Sync, QString(), PutInPlace, "ooo"}, {Point::Sync, QString(), SavedMeanwhile, "nun"},
        {Point::Sync, QString(), Discard, "ooo"},    {Point::Sync, QString(), Abandon, "ooo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.point)) + " then " + std::to_string(c.then));
        for (int i = 0; i < kFiles; ++i) to.File(Name(i), OldData(i));
        std::vector<bool> copied;
        std::vector<int> results;
        {
            FailingDevice device;
            if (c.then == PutInPlace) device.Fail(c.point, c.file, EIO);
            FileSystem::ReplacementBatch batch;
            for (int i = 0; i < kFiles; ++i) copied.push_back(Copy(i));
            if (c.then == SavedMeanwhile) to.File(Name(1), kUsers);
            if (c.then == Discard) batch.Discard();
            EXPECT_EQ(batch.Waiting(), c.then == Discard ? 0u : static_cast<size_t>(std::count(copied.begin(), copied.end(), true)));
            if (c.then != Abandon) results = batch.PutInPlace();
        }
        EXPECT_EQ(State(), c.after);
        EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
        if (c.then == SavedMeanwhile) {
            EXPECT_EQ(results, std::vector<int>({0, FileSystem::ErrChangedSinceCompare, 0}));
        }
        size_t waiting = 0;
        for (size_t i = 0; i < copied.size(); ++i)
            if (copied[i] && c.then == PutInPlace) {
                EXPECT_EQ(results.at(waiting++) == 0, c.after[i] == 'n') << i;
            }
        EXPECT_EQ(waiting, c.then == PutInPlace ? results.size() : 0u);
    }
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
