#include "engine/SyncJob.h"

#include "engine/ConflictCopies.h"
#include "engine/FileOperations.h"
#include "engine/TwoWayState.h"
#include "engine/RowRules.h"
#include "platform/CopyWorkers.h"
#include "platform/FileSystem.h"
#include "platform/ReplacementBatch.h"

#include <algorithm>

SyncJob::SyncJob(ResultList& view_, RunHost& host_, std::atomic<bool>& cancel_)
    : view(view_), host(host_), cancel(cancel_), rowDone(view_.size(), 0) {}

SyncJob::~SyncJob() = default;

RunGuards& SyncJob::Guard(const RunPlan& plan) { return guards.emplace(plan); }

void SyncJob::Publish() {
    tally.Cancelled = cancel.load();
    Run().Tally = tally;
}

void SyncJob::CountHeld(size_t row, int side) {
    if (guards && guards->DeletionDeclined(row, side)) ++tally.Declined;
    else ++tally.Skipped;
}

void SyncJob::RunPass(const RunPlan& plan, const PlannedPass& pass) {
    if (pass.copies) CopyPass(plan, pass);
    else if (pass.flags & RunFlag::KeepsConflicts) KeepConflicts(plan, pass);
    else DeletePass(plan, pass);
}

bool SyncJob::StillToCopy(const RunPlan& plan, const PlannedPass& pass, const PlannedAction& action) const {
    if (action.single) return true;
    const CompareRow& row = view[action.row];
    const int d = 1 - pass.side;
    // Toward a root folder that this run creates, one-sided entries are copied all the same.
    const bool onlyOneSided = (pass.flags & RunFlag::OnlyOneSided) && !plan.Pairs.CreatesRootOf(action.row, d);
    return row.Exists(pass.side) && !(!row.Exists(d) && onlyOneSided);
}

void SyncJob::CountCopies(const RunPlan& plan, const PlannedPass& pass) {
    for (size_t a = pass.begin; a < pass.end; ++a) {
        const PlannedAction& action = plan.Actions[a];
        if (action.kind != PlannedKind::CopyFile || !StillToCopy(plan, pass, action)) continue;
        totalBytes += view[action.row].Size[pass.side];
        ++tally.CopiesPlanned;
    }
}

void SyncJob::DeletePass(const RunPlan& plan, const PlannedPass& pass) {
    const int s = pass.side;
    const int d = 1 - s;
    const bool oneSided = (pass.flags & RunFlag::OnlyOneSided) != 0;
    // The folders this pass moved to the trash whole (or tried to): first and last view row.
    std::vector<std::pair<size_t, size_t>> trashedWhole;
    auto trashed = [&trashedWhole](size_t i) {
        return std::any_of(trashedWhole.begin(), trashedWhole.end(),
                           [i](const auto& range) { return i >= range.first && i <= range.second; });
    };
    for (size_t a = pass.begin; a < pass.end; ++a) {
        const PlannedAction& action = plan.Actions[a];
        const size_t i = action.row;
        if (action.single) {
            // A single file row is deleted whatever its mark.
            if (Held(i, s)) CountHeld(i, s);
            else DeleteOneFile(*this, s, static_cast<int>(i));
            continue;
        }
        if (Cancelled()) return;
        CompareRow& row = view[i];
        switch (action.kind) {
        case PlannedKind::TrashFolder:
            // A folder inside one that went to the trash whole went with it.
            if (trashed(i) || Held(i, s)) break;  // held: its rows are held one by one
            TrashWholeFolder(*this, s, static_cast<int>(i), static_cast<int>(action.last - i));
            trashedWhole.emplace_back(i, action.last);
            break;
        case PlannedKind::DeleteFile:
            // An earlier pass deleted it already.
            if (trashed(i) || !row.Exists(s) || (row.Exists(d) && oneSided)) break;
            if (Held(i, s)) {
                CountHeld(i, s);
                break;
            }
            DeleteOneFile(*this, s, static_cast<int>(i));
            // The later copy pass must not copy what this pass deleted (delete masks).
            row.SetName(s, QString());
            break;
        case PlannedKind::RemoveFolder:
            // A folder that still holds something stays (the report ignores "folder not empty").
            if (trashed(i)) break;
            if (Held(i, s)) CountHeld(i, s);
            else RemoveOneFolder(*this, s, static_cast<int>(i));
            break;
        case PlannedKind::DeleteTravelledFile:
            if (!row.Exists(s) || row.Exists(d)) break;
            if (Held(i, s)) {
                CountHeld(i, s);
                break;
            }
            DeleteOneFile(*this, s, static_cast<int>(i));
            break;
        case PlannedKind::RemoveTravelledFolder:
            if (Held(i, s)) CountHeld(i, s);
            else RemoveOneFolder(*this, s, static_cast<int>(i));
            break;
        case PlannedKind::CopyFile:
        case PlannedKind::CreateFolder:
        case PlannedKind::KeepConflict: break;  // not in a delete pass
        }
    }
}

void SyncJob::KeepConflicts(const RunPlan& plan, const PlannedPass& pass) {
    for (size_t a = pass.begin; a < pass.end; ++a) {
        if (Cancelled()) return;
        const PlannedAction& action = plan.Actions[a];
        if (action.kind != PlannedKind::KeepConflict) continue;
        if (KeepConflictVersions(*this, static_cast<int>(action.row))) ++tally.Conflicts;
        else rowDone[action.row] |= RowDone::ConflictNotKept;
    }
}

void SyncJob::CopyPass(const RunPlan& plan, const PlannedPass& pass) {
    const int s = pass.side;
    const int d = 1 - s;
    SetArchiveSwitches(*this, s);
    const CopyBatchScope batch(*this);
    // Rows before this one lie below a folder that was to take the place of an entry of another
    // type and could not be created (that entry is still there): nothing below it is copied.
    size_t notReplacedEnd = 0;
    for (size_t a = pass.begin; a < pass.end; ++a) {
        const PlannedAction& action = plan.Actions[a];
        const size_t i = action.row;
        if (action.single) {
            // A single file row is copied whatever its direction and mark, into its folder.
            if (!FileSystem::FolderExists(FolderWithoutSlash(view[i].Folder(d))))
                CreateDestinationFolder(*this, s, static_cast<int>(i));
            CopyOneFile(*this, s, static_cast<int>(i));
            continue;
        }
        if (Cancelled()) break;
        if (i < notReplacedEnd) continue;
        const CompareRow& row = view[i];
        if (action.kind == PlannedKind::CreateFolder) {
            if (CreateDestinationFolder(*this, s, static_cast<int>(i)) || !row.TypeChange) continue;
            size_t j = i + 1;
            for (; j < view.size() && view[j].LiesBelow(s, row.Folder(s)); ++j) {
                const CompareRow& below = view[j];
                if (!IsFolderOn(below, s) && below.Selected && below.Exists(s)) ++tally.Skipped;
            }
            notReplacedEnd = j;
        } else if (action.kind == PlannedKind::CopyFile && StillToCopy(plan, pass, action)) {
            // A version that could not be kept is not overwritten either.
            if (i < rowDone.size() && (rowDone[i] & RowDone::ConflictNotKept)) continue;
            CopyOneFile(*this, s, static_cast<int>(i));
        }
    }
    // Before anything that relies on the files (the next pass, the end of the run or of the
    // popup's copy); after a cancel this discards the waiting replacements.
    FinishWaitingCopies(*this);
}
