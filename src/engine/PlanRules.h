#pragma once
// The rules of a run, row by row: which passes a request makes and in which order, what each
// pass takes of one row, and how the planned actions count. The planner walks them pass by pass
// to list the actions a run carries out; the count boxes walk them row by row to count the same
// actions without listing them (RunCount.cpp). Both read these rules, so the boxes show what a
// run would do.

#include "engine/RowRules.h"
#include "engine/RunPlan.h"

#include <array>
#include <cstddef>
#include <cstdint>

struct PassSpec {
    enum class Kind : uint8_t { Conflicts, Travel, Delete, Copy } kind = Kind::Copy;
    int side = 0;
    int flags = 0;  // RunFlag bits
};

// The passes of a request in the order the run takes them (at most nine).
struct PassList {
    std::array<PassSpec, 9> items{};
    size_t count = 0;
    const PassSpec* begin() const { return items.data(); }
    const PassSpec* end() const { return items.data() + count; }
    void Add(PassSpec::Kind kind, int side, int flags) { items[count++] = {kind, side, flags}; }
};

inline PassList PassesOf(const RunRequest& request) {
    PassList list;
    switch (request.kind) {
    case RunRequest::Kind::Synchronize: {
        const SyncOptionSet& option = request.options;
        const int mirror = ReplacesTypeChanges(option) ? RunFlag::ReplacesTypeChanges : 0;
        // A two-way run keeps the versions its copies overwrite before anything changes, and
        // deletes what the other side deleted since the last run (rows the compare marked).
        if (option.CopiesFrom(0) && option.CopiesFrom(1)) {
            list.Add(PassSpec::Kind::Conflicts, 0, RunFlag::KeepsConflicts);
            for (int s = 0; s < 2; ++s) list.Add(PassSpec::Kind::Travel, s, RunFlag::TravellingDeletions);
        }
        // One-sided entries deleted where they are, instead of being copied; then per direction
        // the delete masks on the source side; then the copies, left to right always first.
        for (int s = 0; s < 2; ++s)
            if (option.DeletesOneSidedOn(s)) list.Add(PassSpec::Kind::Delete, s, mirror | RunFlag::OnlyOneSided);
        for (int s = 0; s < 2; ++s)
            if (option.CopiesFrom(s)) list.Add(PassSpec::Kind::Delete, s, mirror | RunFlag::DeleteMatchOnly);
        for (int s = 0; s < 2; ++s)
            if (option.CopiesFrom(s))
                list.Add(PassSpec::Kind::Copy, s, mirror | (option.DeletesOneSidedOn(s) ? RunFlag::OnlyOneSided : 0));
        break;
    }
    case RunRequest::Kind::Copy: list.Add(PassSpec::Kind::Copy, request.side, RunFlag::AnyDirection); break;
    case RunRequest::Kind::Delete: list.Add(PassSpec::Kind::Delete, request.side, 0); break;
    }
    return list;
}

// What one pass takes of one row of its walk. oneSidedHere: the pass's "only one-sided"
// restriction holds for the row (RunFlag::OnlyOneSided, except toward a root folder that the
// run creates).
namespace PassRule {

inline bool Replaces(int flags) { return (flags & RunFlag::ReplacesTypeChanges) != 0; }

inline bool KeepsConflict(const CompareRow& row) {
    return row.Conflict && row.Selected && !row.IsFolder() && !Untouchable(row, false);
}

// A deletion made on the other side since the last run, carried out on side s.
inline bool Travels(const CompareRow& row, int s) {
    return row.DeletionTravels && row.Exists(s) && !row.Exists(1 - s) && row.Selected && !Untouchable(row, false);
}

// A copy pass from side s on a folder row of side s.
inline bool CreatesFolder(const CompareRow& row, int s, int flags, bool oneSidedHere) {
    return !oneSidedHere && row.SyncAction == SyncAction::AwayFrom(s) && row.Selected && !Untouchable(row, Replaces(flags)) &&
           !row.DeletionTravels;
}

// A copy pass from side s on any other row.
inline bool CopiesFile(const CompareRow& row, int s, int flags, bool oneSidedHere) {
    return row.Selected && (row.SyncAction == SyncAction::AwayFrom(s) || (flags & RunFlag::AnyDirection)) &&
           !(!row.Exists(1 - s) && oneSidedHere) && row.Exists(s) && !Untouchable(row, Replaces(flags)) && !row.DeletionTravels;
}

// A delete pass on side s on a row that is no folder there.
inline bool DeletesFile(const CompareRow& row, int s, int flags) {
    const bool oneSided = (flags & RunFlag::OnlyOneSided) != 0;
    return row.Exists(s) && row.Selected && !(row.Exists(1 - s) && oneSided) &&
           !((flags & RunFlag::DeleteMatchOnly) && !row.DeleteMatch) && !Untouchable(row, Replaces(flags));
}

// A delete pass on side s on a folder row of side s (a pass of the delete masks removes none).
inline bool RemovesFolder(const CompareRow& row, int s, int flags) {
    const bool oneSided = (flags & RunFlag::OnlyOneSided) != 0;
    return !(flags & RunFlag::DeleteMatchOnly) && row.Exists(s) && row.Selected && !(row.Exists(1 - s) && oneSided) &&
           !Untouchable(row, Replaces(flags));
}

}  // namespace PassRule

// The question's counts, taken action by action in the run's order: every deletion once, none
// opposite a missing root (the run holds those: held), and no copy of a file that a deletion
// before it removes. gone: the sides on which the action's row was deleted already (bit 1 << s).
inline void CountAction(RunCounts& counts, PlannedKind kind, const CompareRow& row, int s, bool held, uint8_t& gone) {
    const auto side = static_cast<size_t>(s);
    const auto bit = static_cast<uint8_t>(1u << s);
    switch (kind) {
    case PlannedKind::CopyFile:
        if (gone & bit) break;
        ++counts.CopyFiles[side];
        counts.CopyBytes[side] += row.Size[s];
        break;
    case PlannedKind::CreateFolder: ++counts.CreateFolders[side]; break;
    case PlannedKind::DeleteFile:
        if (held || (gone & bit)) break;
        gone |= bit;
        ++counts.DeleteFiles[side];
        break;
    case PlannedKind::RemoveFolder:
        if (!held) ++counts.DeleteFolders[side];
        break;
    case PlannedKind::TrashFolder: break;  // its rows are counted one by one
    case PlannedKind::KeepConflict: ++counts.Conflicts; break;
    case PlannedKind::DeleteTravelledFile: ++counts.DeleteFiles[side]; break;
    case PlannedKind::RemoveTravelledFolder: ++counts.DeleteFolders[side]; break;
    }
}
