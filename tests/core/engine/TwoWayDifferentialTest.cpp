// A replayed history of a two-way pair: between runs a "user" writes and deletes files on both
// sides at random (seeded), edits with old times among them. Whatever a user step wrote since the
// last run and still holds when the next run starts exists after that run, byte for byte,
// somewhere on either side; and after every run both sides hold the same files.

#include "SyncRunFixture.h"

#include <QDirIterator>

#include <map>
#include <random>

namespace sync_run_test {
namespace {

const QStringList kNames{QStringLiteral("a.txt"),   QStringLiteral("b.odt"),   QStringLiteral("c"),
                         QStringLiteral("notes.md"), QStringLiteral("d/e.txt"), QStringLiteral("d/f.txt"),
                         QStringLiteral("d/g/h.txt")};
const QDateTime kStart(QDate(2026, 2, 1), QTime(12, 0));

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

class TwoWayDifferential : public SyncRunTest, public ::testing::WithParamInterface<unsigned> {};

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
            if (random() % 4 == 0 && side.Exists(name)) {
                ASSERT_TRUE(QFile::remove(side.Path(name)));
                fresh.erase({s, name});
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
        // The next compare finds nothing left to do.
        Compare();
        EXPECT_EQ(files.FileCounts[0] + files.FileCounts[2], 0) << "round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, TwoWayDifferential, ::testing::Values(7u, 1234u, 99991u));

}  // namespace
}  // namespace sync_run_test
