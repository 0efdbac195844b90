// What the question before a run states is what the run does: on random trees changed on both
// sides, for every combination of the five sync options and three mask sets, the plan's counts
// equal the change lines of the log, and the trees end as the plan's actions predict.

#include "SyncRunFixture.h"

#include <map>
#include <random>
#include <set>

namespace {

using sync_run_test::New;
using sync_run_test::Old;

// A tree in memory: files with their contents, and folders (relative paths, no trailing '/').
struct Model {
    std::map<QString, QByteArray> files;
    std::set<QString> folders;
    bool HoldsBelow(const QString& folder) const {
        const QString prefix = folder + QLatin1Char('/');
        for (const auto& [path, data] : files)
            if (path.startsWith(prefix)) return true;
        for (const QString& f : folders)
            if (f.startsWith(prefix)) return true;
        return false;
    }
};

Model Read(const TempTree& tree) {
    Model m;
    for (const QString& entry : tree.List()) {
        if (entry.endsWith(QLatin1Char('/'))) m.folders.insert(entry.chopped(1));
        else m.files[entry] = tree.Read(entry);
    }
    return m;
}

void Write(TempTree& tree, const Model& m, const QDateTime& time) {
    for (const QString& f : m.folders) tree.Folder(f);
    for (const auto& [path, data] : m.files) tree.File(path, data, data.startsWith("new") ? time : Old);
}

// The base both sides share, then each side's own changes: edits, new files and folders,
// deletions. Names ending in ".tmp" meet the delete mask; ".bak" files (only in the root, so that
// no one-sided folder keeps one) meet the exclude mask.
std::array<Model, 2> Generate(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Model base;
    const QStringList folders{QStringLiteral("a"), QStringLiteral("a/b"), QStringLiteral("c")};
    for (const QString& f : folders) base.folders.insert(f);
    const QStringList places{QString(), QStringLiteral("a/"), QStringLiteral("a/b/"), QStringLiteral("c/")};
    for (int i = 0; i < 8; ++i) {
        const QString ext = i % 4 == 3 ? QStringLiteral(".tmp") : QStringLiteral(".txt");
        base.files[places[pick(4)] + QStringLiteral("f%1").arg(i) + ext] = "old " + QByteArray::number(i);
    }
    base.files[QStringLiteral("r.bak")] = "old backup";
    std::array<Model, 2> sides{base, base};
    for (int s = 0; s < 2; ++s) {
        Model& m = sides[static_cast<size_t>(s)];
        const QString tag = s == 0 ? QStringLiteral("L") : QStringLiteral("R");
        std::vector<QString> names;
        for (const auto& [path, data] : m.files) names.push_back(path);
        m.files[names[static_cast<size_t>(pick(static_cast<int>(names.size())))]] = "new edit " + tag.toLatin1();
        m.files.erase(names[static_cast<size_t>(pick(static_cast<int>(names.size())))]);
        m.files[places[pick(4)] + tag + QStringLiteral("n.txt")] = "new file";
        m.files[places[pick(4)] + tag + QStringLiteral("n.tmp")] = "new temp";
        if (pick(2) == 0) m.files[tag + QStringLiteral(".bak")] = "new backup";
        const QString own = places[pick(4)] + tag + QStringLiteral("dir");
        m.folders.insert(own);
        m.folders.insert(own + QStringLiteral("/deep"));
        m.files[own + QStringLiteral("/deep/x.txt")] = "new deep";
    }
    return sides;
}

// The trees of the two thousand runs live in memory where it is there: each replacement batch
// ends with a sync, which on a disk would take minutes in all. The program's path is the same.
class TreesInMemory {
public:
    TreesInMemory() : old_(qgetenv("TMPDIR")), had_(qEnvironmentVariableIsSet("TMPDIR")) {
        if (QFileInfo(QStringLiteral("/dev/shm")).isWritable()) qputenv("TMPDIR", "/dev/shm");
    }
    ~TreesInMemory() {
        if (had_) qputenv("TMPDIR", old_);
        else qunsetenv("TMPDIR");
    }

private:
    QByteArray old_;
    bool had_;
};

class SyncPlanPropertyTest : private TreesInMemory, public sync_run_test::SyncRunTest {
protected:
    QString Relative(const QString& path, int& side) const {
        for (side = 0; side < 2; ++side) {
            const QString root = (side == 0 ? left : right).Path() + QLatin1Char('/');
            if (path.startsWith(root)) return path.mid(root.size());
        }
        ADD_FAILURE() << "a change outside the roots: " << qPrintable(path);
        return QString();
    }
    // The trees the plan's actions make, taken in order as the run takes them: an entry an
    // earlier pass removed is not copied or deleted again.
    std::array<Model, 2> Predict(std::array<Model, 2> m, const RunPlan& plan) {
        for (const PlannedPass& pass : plan.Passes) {
            const int s = pass.side, d = 1 - s;
            Model &from = m[static_cast<size_t>(s)], &to = m[static_cast<size_t>(d)];
            for (size_t a = pass.begin; a < pass.end; ++a) {
                const CompareRow& row = files.ViewList[plan.Actions[a].row];
                int side = 0;
                const QString folder = Relative(row.Folder[s].endsWith(u'/') ? row.Folder[s] : row.Folder[s] + u'/', side);
                const QString file = folder + row.Name[s];
                switch (plan.Actions[a].kind) {
                case PlannedKind::CopyFile:
                    // A delete pass before may have taken the source, or the destination that
                    // a copy of only the files on both sides needs.
                    if (from.files.count(file) && (!(pass.flags & RunFlag::OnlyOneSided) || to.files.count(file)))
                        to.files[file] = from.files[file];
                    break;
                case PlannedKind::CreateFolder:
                    if (!folder.isEmpty()) to.folders.insert(folder.chopped(1));
                    break;
                case PlannedKind::DeleteFile:
                case PlannedKind::DeleteTravelledFile: from.files.erase(file); break;
                case PlannedKind::RemoveFolder:
                case PlannedKind::RemoveTravelledFolder:
                    if (!from.HoldsBelow(folder.chopped(1))) from.folders.erase(folder.chopped(1));
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
    const QString log = logs.Path(QStringLiteral("20260402.log"));
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::array<Model, 2> trees = Generate(seed);
        for (int masks = 0; masks < 3; ++masks) {
            for (int bits = 0; bits < 32; ++bits) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", masks " << masks << ", options " << bits);
                for (TempTree* t : {&left, &right}) QDir(t->Path()).removeRecursively();
                // Each tree is a first run: no remembered state of the trees before.
                QDir(env.ConfigHome() + QStringLiteral("/state")).removeRecursively();
                Write(left, trees[0], New);
                Write(right, trees[1], New.addSecs(3600));
                QFile::remove(log);
                std::array<bool, 5> options{};
                for (size_t o = 0; o < 5; ++o) options[o] = (bits >> o) & 1;
                SetOptions(options);
                FolderPair pair = Pair(left.Path(), right.Path(), masks == 2 ? QStringLiteral("*.tmp") : QString());
                if (masks == 1) pair.Mask[MaskExcludeFiles] = QStringLiteral("*.bak");
                CurrentProfile().profile.View.ShowEmptyFolders = true;
                ComparePairs({pair});
                const std::array<Model, 2> before{Read(left), Read(right)};
                const RunPlan plan = SyncPlan();
                // Before the run, which clears the names of the rows it deleted.
                const std::array<Model, 2> predicted = Predict(before, plan);
                SyncRun(files, plan);

                std::array<int, 2> copies{}, created{}, deleted{}, removed{};
                for (const QString& line : LogLines()) {
                    const QStringList f = line.split(u'\t');
                    static const QStringList kChanges{QStringLiteral("Copy"), QStringLiteral("CreateFolder"),
                                                      QStringLiteral("Delete"), QStringLiteral("RemoveFolder")};
                    if (f.size() < 3 || !kChanges.contains(f[1])) continue;
                    int side = 0;
                    Relative(f[2], side);
                    const auto i = static_cast<size_t>(side);
                    if (f[1] == QLatin1String("Copy")) ++copies[i];
                    else if (f[1] == QLatin1String("CreateFolder")) ++created[1 - i];
                    else if (f[1] == QLatin1String("Delete")) ++deleted[i];
                    else if (f[1] == QLatin1String("RemoveFolder")) ++removed[i];
                }
                EXPECT_EQ(copies, plan.CopyFiles);
                EXPECT_EQ(created, plan.CreateFolders);
                EXPECT_EQ(deleted, plan.DeleteFiles);
                EXPECT_EQ(removed, plan.DeleteFolders);
                const std::array<Model, 2> after{Read(left), Read(right)};
                for (size_t s = 0; s < 2; ++s) {
                    EXPECT_EQ(after[s].files, predicted[s].files) << "side " << s;
                    EXPECT_EQ(after[s].folders, predicted[s].folders) << "side " << s;
                }
                if (HasFailure()) return;
            }
        }
    }
}
