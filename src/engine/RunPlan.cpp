#include "engine/RunPlan.h"

#include "engine/RowRules.h"

#include <algorithm>
#include <vector>

RunPlan PlanSyncRun(const ResultList& view, const std::array<bool, 5>& option) {
    RunPlan plan;
    const size_t n = view.size();
    const bool replaces = ReplacesTypeChanges(option);
    // Per row: bit s when a delete pass removes the entry on side s before the copies.
    std::vector<uint8_t> gone(n, 0);
    // Per row: the row's pair lacks its root on side s (bit s) at the compare.
    std::vector<uint8_t> rootMissing(n, 0);
    uint8_t missing = 0;
    for (size_t i = 1; i < n; ++i) {
        const CompareRow& row = view[i];
        if (IsRootRow(row)) {
            missing = 0;
            for (int s = 0; s < 2; ++s)
                if (row.Attributes[s] == Attr::Invalid) missing |= static_cast<uint8_t>(1u << s);
        }
        rootMissing[i] = missing;
    }

    for (int s = 0; s < 2; ++s) {
        const int d = 1 - s;
        const auto bit = static_cast<uint8_t>(1u << s);
        const bool deleteOneSided = option[static_cast<size_t>(3 + s)];
        const bool copyFrom = option[static_cast<size_t>(s)];
        for (size_t i = 1; i < n; ++i) {
            const CompareRow& row = view[i];
            if (!row.Selected || !row.Exists(s) || Untouchable(row, replaces)) continue;
            // Nothing is deleted opposite a missing root: that side is created and filled.
            const bool held = (rootMissing[i] & (1u << d)) != 0;
            if (IsFolderOn(row, s)) {
                // The forward walk starts at row 2; the backward one removes folders.
                if (deleteOneSided && !row.Exists(d) && !held) {
                    ++plan.DeleteFolders[static_cast<size_t>(s)];
                    gone[i] |= bit;
                }
                continue;
            }
            if (i < 2) continue;
            if (deleteOneSided && !row.Exists(d)) {
                if (!held) {
                    ++plan.DeleteFiles[static_cast<size_t>(s)];
                    gone[i] |= bit;
                }
            } else if (copyFrom && row.DeleteMatch) {
                // The delete masks on the copy's source side: deleted there, not copied.
                if (!held) {
                    ++plan.DeleteFiles[static_cast<size_t>(s)];
                    gone[i] |= bit;
                }
            }
        }
    }

    for (int s = 0; s < 2; ++s) {
        if (!option[static_cast<size_t>(s)]) continue;
        const int d = 1 - s;
        const int16_t away = SyncAction::AwayFrom(s);
        const bool onlyOneSided = option[static_cast<size_t>(3 + s)];
        for (size_t i = 1; i < n; ++i) {
            const CompareRow& row = view[i];
            if (!row.Selected || row.SyncAction != away || Untouchable(row, replaces)) continue;
            // Toward a root that this run creates, one-sided entries are copied all the same.
            const bool restricted = onlyOneSided && (rootMissing[i] & (1u << d)) == 0;
            if (IsFolderOn(row, s)) {
                if (!restricted) ++plan.CreateFolders[static_cast<size_t>(s)];
                continue;
            }
            if (!row.Exists(s) || (gone[i] & (1u << s))) continue;
            if (!row.Exists(d) && restricted) continue;
            ++plan.CopyFiles[static_cast<size_t>(s)];
            plan.CopyBytes[static_cast<size_t>(s)] += row.Size[s];
        }
    }
    return plan;
}

RunPlan PlanPopupDelete(const ResultList& view, int s, int r, bool folderOnly) {
    RunPlan plan;
    const auto side = static_cast<size_t>(s);
    const size_t i0 = static_cast<size_t>(std::max(r, 1));
    if (i0 >= view.size()) return plan;
    const CompareRow& start = view[i0];
    if (!start.IsFolder()) {
        // A single file row is deleted whatever its mark.
        if (start.Exists(s) && !Untouchable(start, false)) ++plan.DeleteFiles[side];
        return plan;
    }
    const int level0 = Level(start, s);
    size_t stop = view.size();
    for (size_t i = static_cast<size_t>(std::max(r + 1, 2)); i < view.size(); ++i) {
        const CompareRow& row = view[i];
        if (IsFolderOn(row, s)) {
            if (EndsFolderWalk(row, s, r, level0, folderOnly)) {
                stop = i;
                break;
            }
            continue;
        }
        if (row.Exists(s) && row.Selected && !Untouchable(row, false)) ++plan.DeleteFiles[side];
    }
    for (size_t i = i0; i < stop; ++i) {
        const CompareRow& row = view[i];
        if (IsFolderOn(row, s) && row.Exists(s) && row.Selected && !Untouchable(row, false)) ++plan.DeleteFolders[side];
    }
    return plan;
}
