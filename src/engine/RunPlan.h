#pragma once
// What a synchronisation or a popup deletion is about to do, counted before it starts: the
// files and folders each pass will copy, create and delete, and the bytes it will copy. The
// question before a run and the count boxes state these numbers; they follow the same rules as
// the walks of SyncRun.h (ticked rows only, the delete passes apart from the copies).

#include "engine/CompareTypes.h"

#include <array>
#include <cstdint>

struct RunPlan {
    // Indexed by the side copied from: 0 left to right, 1 right to left.
    std::array<int, 2> CopyFiles{0, 0};
    std::array<int, 2> CreateFolders{0, 0};  // created on the other side
    std::array<int64_t, 2> CopyBytes{0, 0};
    // Indexed by the side deleted on.
    std::array<int, 2> DeleteFiles{0, 0};
    std::array<int, 2> DeleteFolders{0, 0};

    bool Copies(int s) const { return CopyFiles[static_cast<size_t>(s)] + CreateFolders[static_cast<size_t>(s)] > 0; }
    bool Deletes(int s) const { return DeleteFiles[static_cast<size_t>(s)] + DeleteFolders[static_cast<size_t>(s)] > 0; }
    bool Empty() const { return !Copies(0) && !Copies(1) && !Deletes(0) && !Deletes(1); }
};

// The passes of the Synchronize button over the whole view list with the five sync options.
// Deletions opposite a root folder that the compare found missing are not planned: the run
// creates that root and copies into it instead. A one-way mirror replaces the entries whose type
// changed: the destination's entry with every file and folder below it among the deletions, the
// source's among the copies.
RunPlan PlanSyncRun(const ResultList& view, const std::array<bool, 5>& syncOptions);
// The popup's deletion on side s over the subtree of view row r (0: the whole list).
RunPlan PlanPopupDelete(const ResultList& view, int s, int r, bool folderOnly);
