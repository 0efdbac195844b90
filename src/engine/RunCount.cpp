// The count boxes' counts of a run: the planner's rules walked row by row instead of pass by
// pass. A plan of the whole list holds an action per row it touches and the pair of every row;
// counted here, a row is looked at once and forgotten, so a refresh or a tick of a long list
// allocates nothing per row. What a row's actions count depends only on that row and the
// actions of the same row before them (a copy of a file that a deletion removed counts not), so
// the passes are taken in the run's order within each row.

#include "engine/FileView.h"
#include "engine/PlanRules.h"

namespace {

// Follows the folder pairs of the compare's list as a walk passes its rows in order.
class PairCursor {
public:
    explicit PairCursor(const ResultList& results) : results_(results) {}

    // The pair of row j of the compare's list; j never goes back.
    const FolderPairRows::Pair& At(size_t j) {
        for (; next_ <= j; ++next_) {
            const CompareRow& row = results_[next_];
            if (FolderPairRows::BeginsPair(row, first_)) pair_ = FolderPairRows::Begun(row);
            first_ = false;
        }
        return pair_;
    }

private:
    const ResultList& results_;
    size_t next_ = 1;
    bool first_ = true;
    FolderPairRows::Pair pair_;
};

// Counts what the passes do with view row i. False when the row is none of the compare's list
// (the view was not built from it): the caller then plans instead.
class RowCounter {
public:
    RowCounter(const ResultList& results, const ResultList& view, const RunRequest& request)
        : results_(results), view_(view), passes_(PassesOf(request)),
          guarded_(request.kind == RunRequest::Kind::Synchronize), pairs_(results) {}

    bool Count(size_t i) {
        const CompareRow& row = view_[i];
        // Where the row stands in the compare's list (FolderPairRows::Of maps a view the same way).
        size_t j = i;
        if (view_.IsView()) {
            j = view_.ViewedIndex(i);
            if (j >= results_.size() || &results_[j] != &row) return false;
        } else if (view_.size() != results_.size()) {
            return false;
        }
        const FolderPairRows::Pair& pair = pairs_.At(j);
        uint8_t gone = 0;
        for (const PassSpec& pass : passes_) {
            const int s = pass.side;
            const int d = 1 - s;
            const bool held = guarded_ && pair.RootMissing[d];
            auto count = [&](PlannedKind kind) { CountAction(counts_, kind, row, s, held, gone); };
            switch (pass.kind) {
            case PassSpec::Kind::Conflicts:
                if (PassRule::KeepsConflict(row)) count(PlannedKind::KeepConflict);
                break;
            case PassSpec::Kind::Travel:
                if (PassRule::Travels(row, s))
                    count(IsFolderOn(row, s) ? PlannedKind::RemoveTravelledFolder : PlannedKind::DeleteTravelledFile);
                break;
            case PassSpec::Kind::Delete:
                // The walk of the files begins below the first row, which is the start folder.
                if (IsFolderOn(row, s)) {
                    if (PassRule::RemovesFolder(row, s, pass.flags)) count(PlannedKind::RemoveFolder);
                } else if (i >= 2 && PassRule::DeletesFile(row, s, pass.flags)) {
                    count(PlannedKind::DeleteFile);
                }
                break;
            case PassSpec::Kind::Copy: {
                const bool oneSidedHere = (pass.flags & RunFlag::OnlyOneSided) && !pair.RootMissing[d];
                if (IsFolderOn(row, s)) {
                    if (PassRule::CreatesFolder(row, s, pass.flags, oneSidedHere)) count(PlannedKind::CreateFolder);
                } else if (PassRule::CopiesFile(row, s, pass.flags, oneSidedHere)) {
                    count(PlannedKind::CopyFile);
                }
                break;
            }
            }
        }
        return true;
    }

    const RunCounts& Counts() const { return counts_; }

private:
    const ResultList& results_;
    const ResultList& view_;
    const PassList passes_;
    const bool guarded_;
    PairCursor pairs_;
    RunCounts counts_;
};

}  // namespace

RunCounts CountRun(const ResultList& results, const ResultList& view, const RunRequest& request) {
    // A walk of the whole list starts at its first row, a folder, and ends nowhere. A start row
    // of another kind (a file: that file alone) or a subtree is planned.
    const bool wholeList = request.row == 0 && !request.folderOnly && (view.size() < 2 || view[1].IsFolder());
    if (wholeList) {
        RowCounter counter(results, view, request);
        bool counted = true;
        for (size_t i = 1; i < view.size() && counted; ++i) counted = counter.Count(i);
        if (counted) return counter.Counts();
    }
    return PlanRun(results, view, request);
}

RunCounts CountRun(const FileView& files, const RunRequest& request) {
    return CountRun(files.Results, files.ViewList, request);
}
