// The count boxes count what the run's plan counts. The counts are taken in one walk over the
// rows, the plan pass by pass: on seeded random result lists (several pairs, roots found
// missing, one-sided and type-changed rows, delete matches, conflicts, deletions that travel,
// ticks given and taken) in the views the window builds, for every combination of the five
// sync options, both give the same numbers.

#include "config/Profile.h"
#include "engine/FileView.h"
#include "engine/RunCounter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>

void PrintTo(const RunCounts& c, std::ostream* os) {
    *os << "copies " << c.CopyFiles[0] << "/" << c.CopyFiles[1] << " (" << c.CopyBytes[0] << "/" << c.CopyBytes[1]
        << " bytes), folders created " << c.CreateFolders[0] << "/" << c.CreateFolders[1] << ", files deleted "
        << c.DeleteFiles[0] << "/" << c.DeleteFiles[1] << ", folders removed " << c.DeleteFolders[0] << "/"
        << c.DeleteFolders[1] << ", conflicts " << c.Conflicts;
}

namespace {

// One side of an entry: present as a folder, as a file, or missing (attributes as a missing path
// has them, or none).
void SetSide(CompareRow& row, int s, const QString& name, uint32_t attributes) {
    row.SetName(s, name);
    row.Attributes[s] = attributes;
}

// A compare result of one to three pairs in the merge's order: each pair's root row, then its
// folders and files, a folder before what lies in it.
void FillRandom(ResultList& list, unsigned seed) {
    std::mt19937 random(seed);
    auto oneIn = [&random](unsigned n) { return random() % n == 0; };
    list.assign(1, CompareRow());
    const int pairs = 1 + static_cast<int>(random() % 3);
    for (int p = 0; p < pairs; ++p) {
        const QString roots[2] = {QStringLiteral("/p%1/L").arg(p), QStringLiteral("/p%1/R").arg(p)};
        CompareRow& root = list.emplace_back();
        for (int s = 0; s < 2; ++s) {
            root.SetFolder(s, roots[s]);
            root.Attributes[s] = oneIn(4) ? Attr::Invalid : Attr::Directory;  // AutoCreate roots
        }
        root.SyncAction = static_cast<int16_t>(static_cast<int>(random() % 3) - 1);
        root.ProposedMark = !oneIn(4);
        QStringList path;  // the folder the next rows lie in, below the root
        const int rows = 10 + static_cast<int>(random() % 40);
        for (int k = 0; k < rows; ++k) {
            CompareRow row;
            while (!path.isEmpty() && oneIn(4)) path.removeLast();
            const QString below = path.isEmpty() ? QString() : QLatin1Char('/') + path.join(QLatin1Char('/'));
            const int sides = static_cast<int>(random() % 5);  // 0, 1: left only, right only; else both
            const uint32_t missing = oneIn(2) ? Attr::Invalid : 0;
            if (oneIn(5)) {
                const QString name = QStringLiteral("d%1").arg(k);
                for (int s = 0; s < 2; ++s) {
                    row.SetFolder(s, roots[s] + below + QLatin1Char('/') + name);
                    const bool here = sides >= 2 || sides == s;
                    // A type change: a file on one side where the other has this folder.
                    const bool typeChange = sides >= 2 && s == 1 && oneIn(6);
                    SetSide(row, s, here ? name : QString(), !here ? missing : typeChange ? 0 : Attr::Directory);
                    if (typeChange) row.TypeConflict = row.TypeChange = true;
                }
                path << name;
            } else {
                const QString name = QStringLiteral("f%1.txt").arg(k);
                for (int s = 0; s < 2; ++s) {
                    row.SetFolder(s, roots[s] + below + QLatin1Char('/'));
                    const bool here = sides >= 2 || sides == s;
                    SetSide(row, s, here ? name : QString(), here ? (oneIn(2) ? Attr::Archive : 0) : missing);
                    row.Size[s] = here ? static_cast<int64_t>(random() % 100000) : 0;
                }
                row.DeleteMatch = oneIn(4);
                row.Conflict = sides >= 2 && oneIn(6);
            }
            row.SyncAction = static_cast<int16_t>(static_cast<int>(random() % 3) - 1);
            row.DeletionTravels = sides < 2 && oneIn(5);
            row.Unreadable = oneIn(15);
            row.CaseConflict = oneIn(15);
            if (oneIn(12)) row.TypeConflict = true;
            row.ProposedMark = !oneIn(4);
            row.Selected = row.ProposedMark;
            list.push_back(row);
        }
    }
}

// How a case shows the compare's rows to the count and the plan.
enum class Shown {
    View,         // the window's view list of the result (a view of its rows)
    WholeList,    // the result list itself
    OwnCopy,      // a list of its own holding every other row of the result
    FileFirst,    // a view whose first row is a file: a command on that file alone
};

struct Case {
    const char* name;
    Shown shown;
    int filter1;
    int filter2;
    bool emptyFolders;
};

const Case kCases[] = {
    {"all rows", Shown::View, 0, 0, true},
    {"modified, empty folders hidden", Shown::View, 1, 0, false},
    {"modified in folder 1, present on both sides", Shown::View, 2, 1, true},
    {"modified in folder 2, on one side only", Shown::View, 3, 2, false},
    {"identical", Shown::View, 4, 0, true},
    {"changed on both sides", Shown::View, 5, 0, false},
    {"the result list itself", Shown::WholeList, 0, 0, true},
    {"a list of its own, shorter than the result", Shown::OwnCopy, 0, 0, true},
    {"a view that begins with a file", Shown::FileFirst, 0, 0, true},
};

// The view of a case, its ticks given and taken; counter (when handed in) counts it as it is built.
const ResultList& Show(const Case& c, unsigned seed, FileView& files, ResultList& own, RunCounter* counter) {
    ViewOptions view;
    view.Filter2 = c.filter2;
    view.ShowEmptyFolders = c.emptyFolders;
    files.UpdateFilesView(c.filter1, view, counter);
    if (c.shown == Shown::FileFirst) {
        size_t file = 1;
        while (file < files.Results.size() && files.Results[file].IsFolder()) ++file;
        files.ViewList.ViewRowsOf(files.Results);
        for (size_t i = file; i < files.Results.size(); ++i) files.ViewList.AddViewedRow(i);
    }
    std::mt19937 ticks(seed * 7919u);
    for (size_t i = 1; i < files.ViewList.size(); ++i)
        if (ticks() % 6 == 0) files.ViewList[i].Selected = !files.ViewList[i].Selected;
    if (c.shown == Shown::WholeList) return files.Results;
    if (c.shown == Shown::OwnCopy) {
        own.assign(1, CompareRow());
        for (size_t i = 1; i < files.Results.size(); i += 2) own.push_back(files.Results[i]);
        return own;
    }
    return files.ViewList;
}

TEST(SyncPlanCountsTest, TheCountBoxesCountWhatThePlanCounts) {
    RunCounts seen;  // the largest of each count over all cases, so that each is met
    for (const Case& c : kCases) {
        for (unsigned seed = 1; seed <= 24; ++seed) {
            FileView files;
            FillRandom(files.Results, seed);
            for (int bits = 0; bits < 32; ++bits) {
                SCOPED_TRACE(testing::Message() << c.name << ", seed " << seed << ", options " << bits);
                RunRequest request;
                request.options = SyncOptionSet(bits & 1, bits & 2, bits & 4, bits & 8, bits & 16);
                // Counted while a refresh builds the view, before any tick.
                ResultList own;
                if (c.shown == Shown::View) {
                    RunCounter counter(files.Results, request);
                    ViewOptions view;
                    view.Filter2 = c.filter2;
                    view.ShowEmptyFolders = c.emptyFolders;
                    files.UpdateFilesView(c.filter1, view, &counter);
                    const RunCounts planned = PlanRun(files, request);
                    if (counter.Counted()) EXPECT_EQ(counter.Counts(), planned) << "counted as the view was built";
                    else EXPECT_FALSE(files.ViewList[1].IsFolder());
                }
                const ResultList& shown = Show(c, seed, files, own, nullptr);
                const RunCounts planned = PlanRun(files.Results, shown, request);
                EXPECT_EQ(CountRun(files.Results, shown, request), planned);
                for (size_t s = 0; s < 2; ++s) {
                    seen.CopyFiles[s] = std::max(seen.CopyFiles[s], planned.CopyFiles[s]);
                    seen.CreateFolders[s] = std::max(seen.CreateFolders[s], planned.CreateFolders[s]);
                    seen.DeleteFiles[s] = std::max(seen.DeleteFiles[s], planned.DeleteFiles[s]);
                    seen.DeleteFolders[s] = std::max(seen.DeleteFolders[s], planned.DeleteFolders[s]);
                }
                seen.Conflicts = std::max(seen.Conflicts, planned.Conflicts);
                if (HasFailure()) return;
            }
        }
    }
    // The lists are varied enough that every count has something to count.
    for (size_t s = 0; s < 2; ++s) {
        EXPECT_GT(seen.CopyFiles[s], 0);
        EXPECT_GT(seen.CreateFolders[s], 0);
        EXPECT_GT(seen.DeleteFiles[s], 0);
        EXPECT_GT(seen.DeleteFolders[s], 0);
    }
    EXPECT_GT(seen.Conflicts, 0);
}

}  // namespace
