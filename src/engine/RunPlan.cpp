#include "engine/RunPlan.h"

#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/RowRules.h"

#include <algorithm>

namespace {

bool Replaces(int flags) { return (flags & RunFlag::ReplacesTypeChanges) != 0; }

// For the folder of view row i on side s: the last view row below it when the view shows every
// row of the compare below it and each of them is ticked, and 0 otherwise. Only then may the
// folder go to the trash as one entry: a row filtered out of the view or unticked by the user
// would go with it, unplanned and uncounted by the guards.
size_t LastOfWholeTickedSubtree(const ResultList& view, size_t i, int s) {
    const QString folder = view[i].Folder(s);
    size_t k = i;
    for (size_t j = view.ViewedIndex(i) + 1; j < view.ViewedSize() && view.ViewedRow(j).LiesBelow(s, folder); ++j) {
        ++k;
        if (k >= view.size() || view.ViewedIndex(k) != j) return 0;
        const CompareRow& row = view[k];
        if (!row.Selected || !row.TypeChange || !row.Exists(s)) return 0;
    }
    return k;
}

class Planner {
public:
    Planner(const ResultList& view, RunPlan& plan) : view_(view), plan_(plan) {}

    // Begins a pass over the request's subtree and gives its first view row, or 0 when the pass
    // has ended already: an empty list, or a start row that is a single file, planned here as
    // single (taken whatever its mark or direction).
    size_t StartPass(bool copies, int s, int flags, PlannedKind single) {
        Begin(copies, s, flags);
        const size_t i0 = static_cast<size_t>(std::max(plan_.request.row, 1));
        if (i0 < view_.size() && view_[i0].IsFolder()) return i0;
        if (i0 < view_.size() && !Untouchable(view_[i0], Replaces(flags)) && view_[i0].Exists(s)) Add(single, i0, 0, true);
        End();
        return 0;
    }

    // The rows a copy pass from side s takes, in the order it takes them.
    void CopyPass(int s, int flags) {
        const size_t i0 = StartPass(true, s, flags, PlannedKind::CopyFile);
        if (i0 == 0) return;
        const int r = plan_.request.row;
        const int d = 1 - s;
        const int level0 = Level(view_[i0], s);
        const int16_t away = SyncAction::AwayFrom(s);
        for (size_t i = i0; i < view_.size(); ++i) {
            const CompareRow& row = view_[i];
            if (IsFolderOn(row, s)) {
                // The start folder itself is at level0 and never ends the walk.
                if (i > static_cast<size_t>(r) && EndsFolderWalk(row, s, r, level0, plan_.request.folderOnly)) break;
                if (!OnlyOneSidedFor(flags, i, d) && row.SyncAction == away && row.Selected &&
                    !Untouchable(row, Replaces(flags)) && !row.DeletionTravels)
                    Add(PlannedKind::CreateFolder, i);
            } else if (row.Selected) {
                if ((row.SyncAction == away || (flags & RunFlag::AnyDirection)) &&
                    !(!row.Exists(d) && OnlyOneSidedFor(flags, i, d)) && row.Exists(s) && !Untouchable(row, Replaces(flags)) &&
                    !row.DeletionTravels)
                    Add(PlannedKind::CopyFile, i);
            }
        }
        End();
    }

    // The rows a delete pass on side s takes: files forward (a mirror's replaced folder as one
    // entry where it may go whole), then folders bottom-up, so that the deepest go first.
    void DeletePass(int s, int flags) {
        const size_t i0 = StartPass(false, s, flags, PlannedKind::DeleteFile);
        if (i0 == 0) return;
        const int r = plan_.request.row;
        const int d = 1 - s;
        const int level0 = Level(view_[i0], s);
        const bool oneSided = (flags & RunFlag::OnlyOneSided) != 0;
        const bool trashesWhole = Settings().AllowUndo && Replaces(flags) && oneSided;
        size_t stop = view_.size();
        for (size_t i = static_cast<size_t>(std::max(r + 1, 2)); i < view_.size(); ++i) {
            const CompareRow& row = view_[i];
            if (IsFolderOn(row, s)) {
                if (EndsFolderWalk(row, s, r, level0, plan_.request.folderOnly)) {
                    stop = i;
                    break;
                }
                // A folder that a mirror replaces by a file or link goes to the trash as it is, so
                // that it comes back whole; what the user left out of it keeps it from there. The
                // rows below stay planned one by one for a run whose guards hold the side.
                if (trashesWhole && row.TypeChange && row.Exists(s) && !row.Exists(d) && row.Selected &&
                    !Untouchable(row, true))
                    if (const size_t last = LastOfWholeTickedSubtree(view_, i, s)) Add(PlannedKind::TrashFolder, i, last);
                continue;
            }
            if (row.Exists(s) && row.Selected && !(row.Exists(d) && oneSided) &&
                !((flags & RunFlag::DeleteMatchOnly) && !row.DeleteMatch) && !Untouchable(row, Replaces(flags)))
                Add(PlannedKind::DeleteFile, i);
        }
        if (!(flags & RunFlag::DeleteMatchOnly)) {
            for (size_t i = stop; i-- > i0;) {
                const CompareRow& row = view_[i];
                if (IsFolderOn(row, s) && row.Exists(s) && row.Selected && !(row.Exists(d) && oneSided) &&
                    !Untouchable(row, Replaces(flags)))
                    Add(PlannedKind::RemoveFolder, i);
            }
        }
        End();
    }

    // The conflicts of a two-way run over the subtree, each before anything else of the run
    // touches its row.
    void ConflictPass() {
        Begin(false, 0, RunFlag::KeepsConflicts);
        WalkSubtree(0, [this](size_t i, const CompareRow& row) {
            if (row.Conflict && row.Selected && !row.IsFolder() && !Untouchable(row, false))
                Add(PlannedKind::KeepConflict, i);
        });
        End();
    }

    // The deletions that travel to side s: files forward, then folders bottom-up.
    void TravelPass(int s) {
        Begin(false, s, RunFlag::TravellingDeletions);
        const int d = 1 - s;
        auto travels = [s, d](const CompareRow& row) {
            return row.DeletionTravels && row.Exists(s) && !row.Exists(d) && row.Selected && !Untouchable(row, false);
        };
        std::vector<size_t> folders;
        WalkSubtree(s, [&](size_t i, const CompareRow& row) {
            if (!travels(row)) return;
            if (IsFolderOn(row, s)) folders.push_back(i);
            else Add(PlannedKind::DeleteTravelledFile, i);
        });
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) Add(PlannedKind::RemoveTravelledFolder, *it);
        End();
    }

    // The question's counts: every deletion once, none opposite a missing root (the run holds
    // those), and no copy of a file that a deletion before it removes.
    void Count() {
        const bool guarded = plan_.request.kind == RunRequest::Kind::Synchronize;
        std::vector<uint8_t> gone(view_.size(), 0);
        for (const PlannedPass& pass : plan_.Passes) {
            const int s = pass.side;
            const auto side = static_cast<size_t>(s);
            const auto bit = static_cast<uint8_t>(1u << s);
            for (size_t a = pass.begin; a < pass.end; ++a) {
                const PlannedAction& action = plan_.Actions[a];
                const CompareRow& row = view_[action.row];
                const bool held = guarded && plan_.Pairs.CreatesRootOf(action.row, 1 - s);
                switch (action.kind) {
                case PlannedKind::CopyFile:
                    if (gone[action.row] & bit) break;
                    ++plan_.CopyFiles[side];
                    plan_.CopyBytes[side] += row.Size[s];
                    break;
                case PlannedKind::CreateFolder: ++plan_.CreateFolders[side]; break;
                case PlannedKind::DeleteFile:
                    if (held || (gone[action.row] & bit)) break;
                    gone[action.row] |= bit;
                    ++plan_.DeleteFiles[side];
                    break;
                case PlannedKind::RemoveFolder:
                    if (!held) ++plan_.DeleteFolders[side];
                    break;
                case PlannedKind::TrashFolder: break;  // its rows are counted one by one
                case PlannedKind::KeepConflict: ++plan_.Conflicts; break;
                case PlannedKind::DeleteTravelledFile: ++plan_.DeleteFiles[side]; break;
                case PlannedKind::RemoveTravelledFolder: ++plan_.DeleteFolders[side]; break;
                }
            }
        }
    }

private:
    // Calls visit for every row of the request's subtree as side s sees it (the start row
    // included; a file row alone).
    template <typename Visit>
    void WalkSubtree(int s, Visit visit) {
        const int r = plan_.request.row;
        const size_t i0 = static_cast<size_t>(std::max(r, 1));
        if (i0 >= view_.size()) return;
        const CompareRow& start = view_[i0];
        if (!start.IsFolder()) return visit(i0, start);
        const int level0 = Level(start, s);
        for (size_t i = i0; i < view_.size(); ++i) {
            const CompareRow& row = view_[i];
            if (i > static_cast<size_t>(r) && IsFolderOn(row, s) && EndsFolderWalk(row, s, r, level0, plan_.request.folderOnly))
                break;
            visit(i, row);
        }
    }

    // The "only one-sided" restriction of a copy pass, except toward a root folder that this run
    // creates: the entries opposite it are copied where the direction allows, never deleted.
    bool OnlyOneSidedFor(int flags, size_t row, int destination) const {
        return (flags & RunFlag::OnlyOneSided) && !plan_.Pairs.CreatesRootOf(row, destination);
    }
    void Begin(bool copies, int side, int flags) {
        plan_.Passes.push_back({copies, side, flags, plan_.Actions.size(), plan_.Actions.size()});
    }
    void End() { plan_.Passes.back().end = plan_.Actions.size(); }
    void Add(PlannedKind kind, size_t row, size_t last = 0, bool single = false) {
        plan_.Actions.push_back({static_cast<uint32_t>(row), static_cast<uint32_t>(last), kind, single});
    }

    const ResultList& view_;
    RunPlan& plan_;
};

}  // namespace

RunPlan PlanRun(const ResultList& results, const ResultList& view, const RunRequest& request) {
    RunPlan plan;
    plan.request = request;
    plan.Pairs = FolderPairRows::Of(results, view);
    Planner planner(view, plan);
    switch (request.kind) {
    case RunRequest::Kind::Synchronize: {
        const SyncOptionSet& option = request.options;
        const int mirror = ReplacesTypeChanges(option) ? RunFlag::ReplacesTypeChanges : 0;
        // A two-way run keeps the versions its copies overwrite before anything changes, and
        // deletes what the other side deleted since the last run (rows the compare marked).
        if (option.CopiesFrom(0) && option.CopiesFrom(1)) {
            planner.ConflictPass();
            for (int s = 0; s < 2; ++s) planner.TravelPass(s);
        }
        // One-sided entries deleted where they are, instead of being copied; then per direction
        // the delete masks on the source side; then the copies, left to right always first.
        for (int s = 0; s < 2; ++s)
            if (option.DeletesOneSidedOn(s)) planner.DeletePass(s, mirror | RunFlag::OnlyOneSided);
        for (int s = 0; s < 2; ++s)
            if (option.CopiesFrom(s)) planner.DeletePass(s, mirror | RunFlag::DeleteMatchOnly);
        for (int s = 0; s < 2; ++s)
            if (option.CopiesFrom(s))
                planner.CopyPass(s, mirror | (option.DeletesOneSidedOn(s) ? RunFlag::OnlyOneSided : 0));
        break;
    }
    case RunRequest::Kind::Copy: planner.CopyPass(request.side, RunFlag::AnyDirection); break;
    case RunRequest::Kind::Delete: planner.DeletePass(request.side, 0); break;
    }
    planner.Count();
    return plan;
}

RunPlan PlanRun(const FileView& files, const RunRequest& request) {
    return PlanRun(files.Results, files.ViewList, request);
}
