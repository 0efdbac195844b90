// What the question before a run states is what the run does: on random trees changed on both
// sides, for every combination of the five sync options and three mask sets, the plan's counts
// equal the change lines of the log, and the trees end as the plan's actions predict.

#include "SyncRunFixture.h"

#include <map>
#include <random>

namespace {

using sync_run_test::New;
using sync_run_test::Old;

// A tree in memory: relative paths (folders ending with '/') and file contents.
using Model = std::map<QString, QByteArray>;

// A shared base, then each side's edits, new files and folders, deletions. ".tmp" meets the delete
// mask; ".bak" (only in the root, so that no one-sided folder keeps one) the exclude mask.
std::array<Model, 2> Generate(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&random](qsizetype n) { return static_cast<qsizetype>(random() % static_cast<unsigned>(n)); };
    const QStringList places{QString(), "a/", "a/b/", "c/"};
    Model base{{"a/", {}}, {"a/b/", {}}, {"c/", {}}, {"r.bak", "old backup"}};
    for (int i = 0; i < 8; ++i) base[places[pick(4)] + QStringLiteral("f%1").arg(i) + (i % 4 == 3 ? ".tmp" : ".txt")] = "old " + QByteArray::number(i);
    std::array<Model, 2> sides{base, base};
    for (size_t s = 0; s < 2; ++s) {
        Model& m = sides[s];
        const QString tag = s == 0 ? "L" : "R";
        QStringList files;
        for (const auto& entry : m) files << entry.first;
        files = files.filter(QRegularExpression("[^/]$"));
        m[files[pick(files.size())]] = "new edit " + tag.toLatin1();
        m.erase(files[pick(files.size())]);
        m[places[pick(4)] + tag + "n.txt"] = "new file";
        m[places[pick(4)] + tag + "n.tmp"] = "new temp";
        if (pick(2) == 0) m[tag + ".bak"] = "new backup";
        const QString own = places[pick(4)] + tag + "dir/";
        m[own] = m[own + "deep/"] = {};
        m[own + "deep/x.txt"] = "new deep";
    }
    return sides;
}

// The trees live in memory where it is there: each replacement batch ends with a sync.
struct TreesInMemory : ScopedEnvironment {
    TreesInMemory() { if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) Set("TMPDIR", "/dev/shm"); }
};

class SyncPlanPropertyTest : private TreesInMemory, public sync_run_test::SyncRunTest {
protected:
    static Model Read(const TempTree& tree) {
        Model m;
        for (const QString& entry : tree.List()) m[entry] = entry.endsWith('/') ? QByteArray() : tree.Read(entry);
        return m;
    }
    static void Write(TempTree& tree, const Model& m, const QDateTime& time) {
        for (const auto& [path, data] : m)
            path.endsWith('/') ? void(tree.Folder(path.chopped(1))) : void(tree.File(path, data, data.startsWith("new") ? time : Old));
    }
    // A path of a log line or a row relative to its root; side is the root's.
    QString Relative(const QString& path, int& side) const {
        for (side = 0; side < 2; ++side) {
            const QString root = (side == 0 ? left : right).Path() + '/';
            if (path.startsWith(root)) return path.mid(root.size());
        }
        ADD_FAILURE() << "a change outside the roots: " << qPrintable(path);
        return QString();
    }
    // The trees the plan's actions make in the run's order (a removed entry is not touched again).
    std::array<Model, 2> Predict(std::array<Model, 2> m, const RunPlan& plan) {
        for (const PlannedPass& pass : plan.Passes) {
            Model &from = m[static_cast<size_t>(pass.side)], &to = m[static_cast<size_t>(1 - pass.side)];
            for (size_t a = pass.begin; a < pass.end; ++a) {
                const CompareRow& row = files.ViewList[plan.Actions[a].row];
                int side = 0;
                const QString folder = Relative(row.Folder(pass.side).endsWith('/') ? row.Folder(pass.side) : row.Folder(pass.side) + '/', side);
                const QString file = folder + row.Name(pass.side);
                switch (plan.Actions[a].kind) {
                case PlannedKind::CopyFile:
                    // An earlier delete pass may have taken the source, or the destination it needs.
                    if (from.count(file) && (!(pass.flags & RunFlag::OnlyOneSided) || to.count(file))) to[file] = from[file];
                    break;
                case PlannedKind::CreateFolder:
                    if (!folder.isEmpty()) to[folder] = {};
                    break;
                case PlannedKind::DeleteFile:
                case PlannedKind::DeleteTravelledFile: from.erase(file); break;
                case PlannedKind::RemoveFolder:
                case PlannedKind::RemoveTravelledFolder:
                    if (from.upper_bound(folder) == from.end() || !from.upper_bound(folder)->first.startsWith(folder)) from.erase(folder);
                    break;
                case PlannedKind::TrashFolder:
                case PlannedKind::KeepConflict: break;
                }
            }
        }
        return m;
    }
};

}  // namespace

TEST_F(SyncPlanPropertyTest, ThePlanCountsWhatTheRunDoesAndPredictsTheTrees) {
    Settings().LogChanges = true;
    Settings().MaxDeletePercent = 100;  // the guard would hold deletions the plan lists
    Switches().DontAsk = true;
    CurrentProfile().profile.View.ShowEmptyFolders = true;
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const std::array<Model, 2> trees = Generate(seed);
        for (int masks = 0; masks < 3; ++masks) {
            for (int bits = 0; bits < 32; ++bits) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", masks " << masks << ", options " << bits);
                ClearBoth();
                Write(left, trees[0], New);
                Write(right, trees[1], New.addSecs(3600));
                QFile::remove(logs.Path("20260402.log"));
                SetOptions({bool(bits & 1), bool(bits & 2), bool(bits & 4), bool(bits & 8), bool(bits & 16)});
                FolderPair pair = Pair(left.Path(), right.Path(), masks == 2 ? "*.tmp" : "");
                if (masks == 1) pair.Mask[MaskExcludeFiles] = "*.bak";
                ComparePairs({pair});
                const RunPlan plan = SyncPlan();
                // Before the run, which clears the names of the rows it deleted.
                const std::array<Model, 2> predicted = Predict({Read(left), Read(right)}, plan);
                SyncRun(files, plan);

                // Each change counts on the side of its first path; a created folder on the other.
                std::map<QString, std::array<int, 2>> logged;
                for (const QString& line : LogLines()) {
                    const QStringList f = line.split('\t');
                    int side = 0;
                    if (f.size() < 3 || !QStringList{"Copy", "CreateFolder", "Delete", "RemoveFolder"}.contains(f[1])) continue;
                    Relative(f[2], side);
                    ++logged[f[1]][static_cast<size_t>(f[1] == "CreateFolder" ? 1 - side : side)];
                }
                EXPECT_EQ(logged["Copy"], plan.CopyFiles);
                EXPECT_EQ(logged["CreateFolder"], plan.CreateFolders);
                EXPECT_EQ(logged["Delete"], plan.DeleteFiles);
                EXPECT_EQ(logged["RemoveFolder"], plan.DeleteFolders);
                EXPECT_EQ((std::array<Model, 2>{Read(left), Read(right)}), predicted);
                EXPECT_FALSE(::Run().ErrorReported) << qPrintable(LogLines().join(u'\n'));  // nothing tried and failed
                if (HasFailure()) return;
            }
        }
    }
}
