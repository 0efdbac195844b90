// A replayed history of a two-way pair: between runs a "user" writes and deletes files on both
// sides at random (seeded), edits with old times among them, the same write or deletion on both
// sides, and now and then many files at once. Whatever a user step wrote since the last run and
// still holds when the next run starts exists after that run, byte for byte, somewhere on either
// side; after every run both sides hold the same files, and the remembered state is exactly
// what they hold, with every folder's digest the digest of its entries.

#include "SyncRunFixture.h"
#include "support/FailingDevice.h"

#include "engine/TwoWayState.h"
#include "platform/SyncStateStore.h"

#include <QDirIterator>

#include <map>
#include <random>

namespace sync_run_test {
namespace {

const QStringList kNames{QStringLiteral("a.txt"),   QStringLiteral("b.odt"),   QStringLiteral("c"),
                         QStringLiteral("notes.md"), QStringLiteral("d/e.txt"), QStringLiteral("d/f.txt"),
                         QStringLiteral("d/g/h.txt")};
const QDateTime kStart(QDate(2026, 2, 1), QTime(12, 0));
// Enough files written at once that the compare reads the whole remembered state of the pair.
constexpr int kBulkFiles = 80;

QString BulkName(int i) { return QStringLiteral("bulk/%1.txt").arg(i); }

// Every file below a root: relative path -> content.
std::map<QString, QByteArray> FilesOf(const TempTree& tree) {
    std::map<QString, QByteArray> out;
    QDirIterator it(tree.Path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) out[path.mid(tree.Path().size() + 1)] = f.readAll();
    }
    return out;
}

bool IsConflictCopy(QStringView path) { return path.contains(QLatin1String(" (conflict ")); }

// What both sides hold, in the form the remembered state keeps: by path below the roots. The
// conflict copies a run made are new to the next run, which remembers them.
std::map<QString, SyncState::StoredEntry> HeldBy(const TempTree& tree) {
    std::map<QString, SyncState::StoredEntry> out;
    QDirIterator it(tree.Path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (IsConflictCopy(info.filePath())) continue;
        SyncState::StoredEntry& e = out[info.filePath().mid(tree.Path().size() + 1)];
        if (info.isDir()) {
            e.kind = SyncState::StoredEntry::Kind::Folder;
            continue;
        }
        e.size[0] = e.size[1] = info.size();
        e.mtime[0] = e.mtime[1] = info.lastModified().toSecsSinceEpoch();
    }
    return out;
}

class TwoWayDifferential : public SyncRunTest, public ::testing::WithParamInterface<unsigned> {
protected:
    // After a run that left both sides in step: the state holds every entry as it is now, and
    // nothing else; each folder's digest is the sum of its entries' digests.
    void ExpectStateIsWhatBothSidesHold(int round) {
        SyncState::Store store;
        ASSERT_TRUE(store.Open(SyncState::DatabasePathIn(SyncState::DefaultStateFolder())));
        const int64_t pair = store.PairId(left.Path() + QLatin1Char('/'), right.Path() + QLatin1Char('/'));
        ASSERT_GE(pair, 0) << "round " << round;
        SyncState::StoredEntries entries;
        SyncState::FolderDigests digests;
        ASSERT_TRUE(store.LoadAll(pair, entries));
        ASSERT_TRUE(store.LoadDigests(pair, digests));
        std::map<QString, SyncState::StoredEntry> remembered;
        SyncState::FolderDigests summed;
        MemoryPlace place;
        for (int64_t e = 0; e < entries.size(); ++e) {
            remembered[entries.PathAt(e).toString()] = entries.At(e);
            SplitInto(entries.PathAt(e), place);
            summed[place.folder.toString()] += SyncState::DigestOf(place.name, entries.At(e));
        }
        const std::map<QString, SyncState::StoredEntry> held = HeldBy(left);
        for (const auto& [path, entry] : held) {
            const auto found = remembered.find(path);
            EXPECT_TRUE(found != remembered.end() && found->second == entry)
                << "round " << round << ": " << path.toStdString()
                << (found == remembered.end() ? " not remembered" : " remembered otherwise");
        }
        for (const auto& [path, entry] : remembered)
            EXPECT_TRUE(held.count(path) || IsConflictCopy(path))
                << "round " << round << ": " << path.toStdString() << " remembered, but gone";
        EXPECT_EQ(digests, summed) << "round " << round;
    }
};

TEST_P(TwoWayDifferential, NoRunLosesAnEditAndBothSidesEndInStep) {
    std::mt19937 random(GetParam());
    int written = 0;
    // A new content each time, and a time no other write has (within the compare's tolerance):
    // mostly later than everything so far, sometimes an edit that keeps an old time.
    auto write = [&](TempTree& side, const QString& name) {
        ++written;
        const QByteArray content = QByteArray("seed ") + QByteArray::number(GetParam()) + " write " +
                                   QByteArray::number(written) + QByteArray(static_cast<qsizetype>(random() % 40), 'x');
        const bool oldTime = random() % 4 == 0;
        side.File(name, content, kStart.addSecs(oldTime ? -86400 - 60 * written : 60 * written));
        return content;
    };
    // Deletions travel in half of the histories.
    CurrentProfile().profile.Options.PropagateDeletions = GetParam() % 2 == 1;
    for (const QString& name : kNames) write(left, name);
    Compare();
    ASSERT_TRUE(Sync());

    for (int round = 0; round < 12; ++round) {
        // What the user wrote since the last run, by side and path, as long as it is still there.
        std::map<std::pair<int, QString>, QByteArray> fresh;
        const int steps = 1 + static_cast<int>(random() % 5);
        for (int step = 0; step < steps; ++step) {
            const int s = static_cast<int>(random() % 2);
            TempTree& side = s == 0 ? left : right;
            const QString& name = kNames[static_cast<qsizetype>(random() % static_cast<unsigned>(kNames.size()))];
            const auto kind = random() % 12;
            if (kind < 3 && side.Exists(name)) {
                ASSERT_TRUE(QFile::remove(side.Path(name)));
                fresh.erase({s, name});
            } else if (kind == 3) {
                // The same deletion on both sides.
                for (TempTree* both : {&left, &right}) QFile::remove(both->Path(name));
                fresh.erase({0, name});
                fresh.erase({1, name});
            } else if (kind == 4) {
                // The same write on both sides: in step without any run.
                fresh[{0, name}] = write(left, name);
                right.File(name, left.Read(name), left.Modified(name));
                fresh.erase({1, name});
            } else if (kind == 5) {
                for (int i = 0; i < kBulkFiles; ++i) fresh[{s, BulkName(i)}] = write(side, BulkName(i));
            } else if (kind == 6) {
                for (TempTree* both : {&left, &right}) QDir(both->Path(QStringLiteral("bulk"))).removeRecursively();
                for (int i = 0; i < kBulkFiles; ++i) {
                    fresh.erase({0, BulkName(i)});
                    fresh.erase({1, BulkName(i)});
                }
            } else {
                fresh[{s, name}] = write(side, name);
            }
        }
        Compare();
        ASSERT_TRUE(Sync()) << "round " << round;

        const std::map<QString, QByteArray> after[2] = {FilesOf(left), FilesOf(right)};
        EXPECT_EQ(after[0], after[1]) << "round " << round << ": the sides are not in step";
        for (const auto& [where, content] : fresh) {
            bool found = false;
            for (const auto& side : after)
                for (const auto& [path, data] : side) found = found || data == content;
            EXPECT_TRUE(found) << "round " << round << ": lost what was written to " << where.second.toStdString()
                               << " on side " << where.first << ": " << content.toStdString();
        }
        ExpectStateIsWhatBothSidesHold(round);
        // The next compare finds nothing left to do.
        Compare();
        EXPECT_EQ(files.FileCounts[0] + files.FileCounts[2], 0) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TwoWayDifferential, ::testing::Values(7u, 1234u, 99991u));

// A version that cannot be kept under its conflict name (beside itself, or on the other side) is
// not overwritten either: the row is left as it is and the run reports the failure.
TEST_F(SyncRunTest, AConflictCopyThatFailsLeavesBothVersionsWhereTheyAre) {
    const QString conflictName = QStringLiteral("a (conflict 2026-04-02 0900).txt");  // the fixture's clock
    for (const int copiesBefore : {0, 1}) {  // the copy beside the version fails, or the one opposite
        ClearBoth();
        left.File(QStringLiteral("a.txt"), "base", Old);
        Compare();
        ASSERT_TRUE(Sync());
        left.File(QStringLiteral("a.txt"), "left edit", New);
        right.File(QStringLiteral("a.txt"), "right edit", New.addDays(1));
        Compare();
        FailingDevice device;
        device.Fail(FailingDevice::Point::Name, conflictName, EIO, copiesBefore);
        ::Run().ErrorReported = false;
        EXPECT_TRUE(Sync()) << copiesBefore;  // no check or guard stopped it
        EXPECT_TRUE(::Run().ErrorReported) << copiesBefore;
        EXPECT_EQ(::Run().Tally.Failed, 1) << copiesBefore;
        EXPECT_EQ(left.Read(QStringLiteral("a.txt")), "left edit") << copiesBefore;
        EXPECT_EQ(right.Read(QStringLiteral("a.txt")), "right edit") << copiesBefore;
        EXPECT_FALSE(right.Exists(conflictName)) << copiesBefore;
    }
}

}  // namespace
}  // namespace sync_run_test
