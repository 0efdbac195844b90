// Replacements in batches on real files: nothing is replaced before the batch is put in place,
// a failure at any step leaves every destination whole (old or new, never cut) and no
// temporary file, and one sync serves the whole batch.

#include "BatchSyncs.h"

#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/ReplacementBatch.h"
#include "support/TempTree.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cerrno>

#include <sys/stat.h>

namespace {

constexpr int kFiles = 3;

QString Name(int i) { return QStringLiteral("f%1.txt").arg(i); }
QByteArray OldData(int i) { return "old version of " + QByteArray::number(i); }
QByteArray NewData(int i) { return QByteArray(5000 + i, static_cast<char>('a' + i)); }

QStringList Temporaries(const QString& folder) {
    QStringList out;
    for (const QString& n : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (n.startsWith(QLatin1String(".~tandor-"))) out << n;
    return out;
}

class ReplacementBatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kFiles; ++i) {
            from.File(Name(i), NewData(i));
            to.File(Name(i), OldData(i));
        }
    }
    // What the compare saw of destination i.
    FileSystem::SeenEntry Seen(int i) const {
        struct stat st {};
        EXPECT_EQ(::lstat(PathCodec::Encode(to.Path(Name(i))).constData(), &st), 0);
        FileSystem::SeenEntry seen;
        seen.kind = FileSystem::SeenEntry::Kind::File;
        seen.size = st.st_size;
        seen.mtimeSeconds = st.st_mtim.tv_sec;
        return seen;
    }
    bool Copy(int i) {
        return FileSystem::CopyFile(from.Path(Name(i)), to.Path(Name(i)), {}, nullptr, Seen(i));
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

    const int syncsBefore = FileSystem::BatchSyncCallsForTests();
    EXPECT_EQ(batch.PutInPlace(), std::vector<int>(kFiles, 0));
    EXPECT_EQ(FileSystem::BatchSyncCallsForTests() - syncsBefore, ExpectedSyncsPerBatch(to.Path(), kFiles));
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

// Write-type steps of a batch of kFiles small files: per file the temporary's creation and its
// one data chunk, then the batch's sync, then one rename per file.
TEST_F(ReplacementBatchTest, AFailureAtEveryStepLeavesEveryDestinationWholeAndNoTemporary) {
    constexpr int kSteps = 2 * kFiles + 1 + kFiles;
    for (int step = 1; step <= kSteps; ++step) {
        SCOPED_TRACE(step);
        for (int i = 0; i < kFiles; ++i) to.File(Name(i), OldData(i));
        std::vector<bool> copied;
        std::vector<int> results;
        {
            FileSystem::ReplacementBatch batch;
            FileSystem::FailNthWriteForTests(step, EIO);
            for (int i = 0; i < kFiles; ++i) copied.push_back(Copy(i));
            results = batch.PutInPlace();
        }
        FileSystem::FailNthWriteForTests(0, 0);
        const std::vector<bool> replaced = Replaced();
        EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
        // Exactly the file hit by the fault keeps its old data; a failed sync keeps them all.
        const bool syncStep = step == 2 * kFiles + 1;
        int kept = 0;
        for (bool r : replaced) kept += r ? 0 : 1;
        EXPECT_EQ(kept, syncStep ? kFiles : 1);
        size_t waiting = 0;
        for (int i = 0; i < kFiles; ++i) {
            if (!copied[static_cast<size_t>(i)]) {
                EXPECT_FALSE(replaced[static_cast<size_t>(i)]);
                continue;
            }
            // What the batch reported for the file is what happened to it.
            EXPECT_EQ(results[waiting++] == 0, replaced[static_cast<size_t>(i)]) << i;
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
    {
        FileSystem::ReplacementBatch batch;
        for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Copy(i));
        batch.Discard();
        EXPECT_EQ(batch.Waiting(), 0u);
        EXPECT_TRUE(batch.PutInPlace().empty());
    }
    {
        FileSystem::ReplacementBatch abandoned;  // its end discards what waits
        for (int i = 0; i < kFiles; ++i) ASSERT_TRUE(Copy(i));
    }
    EXPECT_EQ(Replaced(), std::vector<bool>(kFiles, false));
    EXPECT_TRUE(Temporaries(to.Path()).isEmpty());
    // Without a batch a replacement is in place when the copy returns.
    ASSERT_TRUE(Copy(0));
    EXPECT_FALSE(FileSystem::LastCopyWaits());
    EXPECT_EQ(to.Read(Name(0)), NewData(0));
}

TEST_F(ReplacementBatchTest, AFullBatchTakesNoMoreAndTheNextReplacementIsSyncedOnItsOwn) {
    const int count = static_cast<int>(FileSystem::ReplacementBatch::kMaxFiles) + 1;
    for (int i = 0; i < count; ++i) {
        from.File(QStringLiteral("many/%1").arg(i), "new " + QByteArray::number(i));
        to.File(QStringLiteral("many/%1").arg(i), "old");
    }
    FileSystem::ReplacementBatch batch;
    for (int i = 0; i < count; ++i) {
        const QString name = QStringLiteral("many/%1").arg(i);
        ASSERT_TRUE(FileSystem::CopyFile(from.Path(name), to.Path(name), {}, nullptr));
        EXPECT_EQ(FileSystem::LastCopyWaits(), i < count - 1) << i;
    }
    EXPECT_TRUE(batch.Full());
    EXPECT_EQ(to.Read(QStringLiteral("many/%1").arg(count - 1)), "new " + QByteArray::number(count - 1));
    EXPECT_EQ(to.Read(QStringLiteral("many/0")), QByteArray("old"));
    EXPECT_EQ(batch.PutInPlace(), std::vector<int>(static_cast<size_t>(count - 1), 0));
    EXPECT_EQ(to.Read(QStringLiteral("many/0")), QByteArray("new 0"));
    EXPECT_FALSE(batch.Full());
}

}  // namespace
