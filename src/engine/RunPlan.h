#pragma once
// What a command is about to do, made by one walk over the rows before anything changes: the
// planned actions in the order the run takes them, grouped in passes, with their counts. The
// question before a run states the counts, the guards count the deletions from it, and the run
// carries out its actions; a run never does what its plan does not list.

#include "config/SyncOptions.h"
#include "engine/CompareTypes.h"
#include "engine/FolderPairRows.h"

#include <array>
#include <cstdint>
#include <vector>

class FileView;

// Bits of a pass.
namespace RunFlag {
constexpr int OnlyOneSided = 2;     // copies: skip entries missing on the destination, create no
                                    // folders; deletions: only entries missing on the other side
constexpr int AnyDirection = 4;     // copies: marked files whatever their direction
constexpr int DeleteMatchOnly = 8;  // deletions: only files matching the delete masks
constexpr int ReplacesTypeChanges = 16;  // the run is a one-way mirror, whose rows of a type
                                         // change are one-sided rows (RowRules.h)
constexpr int KeepsConflicts = 32;       // the versions a two-way run's copies overwrite are kept
constexpr int TravellingDeletions = 64;  // deletions made on the other side since the last run
}  // namespace RunFlag

enum class PlannedKind : uint8_t {
    CopyFile,      // copy the file of the row from the pass's side to the other
    CreateFolder,  // create the folder of the row on the other side (in place of a file or link
                   // there when the row's type changed)
    DeleteFile,    // delete the file of the row on the pass's side
    RemoveFolder,  // remove the folder of the row on the pass's side, if it is empty by then
    TrashFolder,   // a mirror's type change: the folder goes to the trash whole, rows up to `last`
    KeepConflict,  // a file changed on both sides since the last run: the version that the copy
                   // overwrites is first copied to a conflict name on both sides (a file deleted
                   // on one side and changed on the other is only reported: the copy brings it back)
    DeleteTravelledFile,    // delete the file on the pass's side: the other side deleted it
    RemoveTravelledFolder,  // remove the folder on the pass's side, if it is empty by then
};

struct PlannedAction {
    uint32_t row = 0;
    uint32_t last = 0;  // TrashFolder: the last view row that goes with the folder
    PlannedKind kind = PlannedKind::CopyFile;
    bool single = false;  // the command's start row is this file: taken whatever its mark or direction
};

struct PlannedPass {
    bool copies = false;  // a copy pass; else a delete pass
    int side = 0;         // copied from, or deleted on
    int flags = 0;        // RunFlag bits
    size_t begin = 0, end = 0;  // its actions in RunPlan::Actions
};

// What a command is asked to do: the passes of the sync options, or the popup's plain copy or
// deletion on one side, over the subtree of view row Row (0: the whole list; a folder row: it
// and the rows below it, or its own files only with FolderOnly; a file row: that file alone).
struct RunRequest {
    enum class Kind { Synchronize, Copy, Delete } kind = Kind::Synchronize;
    SyncOptionSet options = kStartSyncOptions;  // Synchronize
    int side = 0;                               // Copy and Delete
    int row = 0;
    bool folderOnly = false;
};

// The counts the question states. Indexed by the side copied from: 0 left to right, 1 right to
// left.
struct RunCounts {
    std::array<int, 2> CopyFiles{0, 0};
    std::array<int, 2> CreateFolders{0, 0};  // created on the other side
    std::array<int64_t, 2> CopyBytes{0, 0};
    // Indexed by the side deleted on. Deletions opposite a root folder that the compare found
    // missing are not counted: the run creates that root and copies into it instead.
    std::array<int, 2> DeleteFiles{0, 0};
    std::array<int, 2> DeleteFolders{0, 0};
    // Files changed on both sides of a two-way pair since its last run, whose versions are kept.
    int Conflicts = 0;

    bool Copies(int s) const { return CopyFiles[static_cast<size_t>(s)] + CreateFolders[static_cast<size_t>(s)] > 0; }
    bool Deletes(int s) const { return DeleteFiles[static_cast<size_t>(s)] + DeleteFolders[static_cast<size_t>(s)] > 0; }
    bool Empty() const { return !Copies(0) && !Copies(1) && !Deletes(0) && !Deletes(1) && Conflicts == 0; }
    bool operator==(const RunCounts&) const = default;
};

struct RunPlan : RunCounts {
    RunRequest request;
    std::vector<PlannedAction> Actions;
    std::vector<PlannedPass> Passes;
    FolderPairRows Pairs;
};

// The plan of a request over the files' view list (files.Results tells the pairs). Every walk of a
// one-way mirror replaces the entries whose type changed: the destination's entry with
// everything below it among the deletions, the source's among the copies.
RunPlan PlanRun(const FileView& files, const RunRequest& request);
// The same over a list that is its own compare result (tests, the popup on a list of its own).
RunPlan PlanRun(const ResultList& results, const ResultList& view, const RunRequest& request);

// The counts of PlanRun's plan, without the plan: the count boxes ask for them after every
// refresh, tick and option change. A request over the whole list is counted in one walk over the
// rows by the planner's rules, holding no action and nothing per row; any other is planned.
RunCounts CountRun(const FileView& files, const RunRequest& request);
RunCounts CountRun(const ResultList& results, const ResultList& view, const RunRequest& request);
