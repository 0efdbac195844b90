#include "engine/RunPlan.h"

#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/PlanRules.h"

#include <algorithm>

namespace {

using PassRule::Replaces;

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
        for (size_t i = i0; i < view_.size(); ++i) {
            const CompareRow& row = view_[i];
            if (IsFolderOn(row, s)) {
                // The start folder itself is at level0 and never ends the walk.
                if (i > static_cast<size_t>(r) && EndsWalk(row, s, level0)) break;
                if (PassRule::CreatesFolder(row, s, flags, OnlyOneSidedFor(flags, i, d))) Add(PlannedKind::CreateFolder, i);
            } else if (row.Selected) {
                if (PassRule::CopiesFile(row, s, flags, OnlyOneSidedFor(flags, i, d))) Add(PlannedKind::CopyFile, i);
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
                if (EndsWalk(row, s, level0)) {
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
            if (PassRule::DeletesFile(row, s, flags)) Add(PlannedKind::DeleteFile, i);
        }
        if (!(flags & RunFlag::DeleteMatchOnly)) {
            for (size_t i = stop; i-- > i0;) {
                const CompareRow& row = view_[i];
                if (IsFolderOn(row, s) && PassRule::RemovesFolder(row, s, flags)) Add(PlannedKind::RemoveFolder, i);
            }
        }
        End();
    }

    // The conflicts of a two-way run over the subtree, each before anything else of the run
    // touches its row.
    void ConflictPass() {
        Begin(false, 0, RunFlag::KeepsConflicts);
        WalkSubtree(0, [this](size_t i, const CompareRow& row) {
            if (PassRule::KeepsConflict(row)) Add(PlannedKind::KeepConflict, i);
        });
        End();
    }

    // The deletions that travel to side s: files forward, then folders bottom-up.
    void TravelPass(int s) {
        Begin(false, s, RunFlag::TravellingDeletions);
        std::vector<size_t> folders;
        WalkSubtree(s, [&](size_t i, const CompareRow& row) {
            if (!PassRule::Travels(row, s)) return;
            if (IsFolderOn(row, s)) folders.push_back(i);
            else Add(PlannedKind::DeleteTravelledFile, i);
        });
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) Add(PlannedKind::RemoveTravelledFolder, *it);
        End();
    }

    // The question's counts, in the order the run takes the actions.
    void Count() {
        const bool guarded = plan_.request.kind == RunRequest::Kind::Synchronize;
        std::vector<uint8_t> gone(view_.size(), 0);
        for (const PlannedPass& pass : plan_.Passes) {
            const int s = pass.side;
            for (size_t a = pass.begin; a < pass.end; ++a) {
                const PlannedAction& action = plan_.Actions[a];
                const bool held = guarded && plan_.Pairs.CreatesRootOf(action.row, 1 - s);
                CountAction(plan_, action.kind, view_[action.row], s, held, gone[action.row]);
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
            if (i > static_cast<size_t>(r) && IsFolderOn(row, s) && EndsWalk(row, s, level0)) break;
            visit(i, row);
        }
    }

    // Whether a folder row ends the walk of the request's subtree. A walk of the whole list
    // ends nowhere: the depth of its folders (a count of separators) is not asked for.
    bool EndsWalk(const CompareRow& folderRow, int s, int level0) const {
        const RunRequest& q = plan_.request;
        return (q.row >= 1 || q.folderOnly) && EndsFolderWalk(folderRow, s, q.row, level0, q.folderOnly);
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
    for (const PassSpec& pass : PassesOf(request)) {
        switch (pass.kind) {
        case PassSpec::Kind::Conflicts: planner.ConflictPass(); break;
        case PassSpec::Kind::Travel: planner.TravelPass(pass.side); break;
        case PassSpec::Kind::Delete: planner.DeletePass(pass.side, pass.flags); break;
        case PassSpec::Kind::Copy: planner.CopyPass(pass.side, pass.flags); break;
        }
    }
    planner.Count();
    return plan;
}

RunPlan PlanRun(const FileView& files, const RunRequest& request) {
    return PlanRun(files.Results, files.ViewList, request);
}
