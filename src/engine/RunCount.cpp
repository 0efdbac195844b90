// The count boxes' counts of a run: the planner's rules walked row by row instead of pass by
// pass. A plan of the whole list holds an action per row it touches and the pair of every row;
// counted here, a row is looked at once and forgotten. What a row's actions count depends only
// on that row, its pair and the actions of the same row before them (a copy of a file that a
// deletion removed counts not), so the passes are taken in the run's order within each row.

#include "engine/RunCounter.h"

#include "engine/FileView.h"

RunCounter::RunCounter(const ResultList& results, const RunRequest& request)
    : results_(results), passes_(PassesOf(request)), guarded_(request.kind == RunRequest::Kind::Synchronize),
      wholeList_(request.row == 0 && !request.folderOnly) {}

const FolderPairRows::Pair& RunCounter::PairAt(size_t j) {
    for (; nextPairRow_ <= j; ++nextPairRow_) {
        const CompareRow& row = results_[nextPairRow_];
        if (FolderPairRows::BeginsPair(row, nextPairRow_ == 1)) pair_ = FolderPairRows::Begun(row);
    }
    return pair_;
}

void RunCounter::Take(size_t i, size_t j, const CompareRow& row) {
    // A walk of the whole list starts at its first row, a folder, and ends nowhere.
    if (i == 1 && !row.IsFolder()) wholeList_ = false;
    if (!wholeList_) return;
    const FolderPairRows::Pair& pair = PairAt(j);
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
}

RunCounts CountRun(const ResultList& results, const ResultList& view, const RunRequest& request) {
    RunCounter counter(results, request);
    for (size_t i = 1; i < view.size() && counter.Counted(); ++i) {
        // Where the row stands in the compare's list (FolderPairRows::Of maps a view the same
        // way); a view that was not built from that list is planned.
        const CompareRow& row = view[i];
        size_t j = i;
        if (view.IsView()) {
            j = view.ViewedIndex(i);
            if (j >= results.size() || &results[j] != &row) return PlanRun(results, view, request);
        } else if (view.size() != results.size()) {
            return PlanRun(results, view, request);
        }
        counter.Take(i, j, row);
    }
    return counter.Counted() ? counter.Counts() : PlanRun(results, view, request);
}

RunCounts CountRun(const FileView& files, const RunRequest& request) {
    return CountRun(files.Results, files.ViewList, request);
}
