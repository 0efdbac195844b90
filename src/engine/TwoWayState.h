#pragma once
// The memory of two-way pairs in a compare and a run. A two-way run copies both ways, and with
// the newest file winning it would overwrite an edit that the other side's (newer) edit
// follows, and copy back what one side deleted. The compare therefore judges every row against
// what both sides held after the pair's last run (platform/SyncStateStore.h): changed on both
// sides is a conflict whose two versions are kept, deleted on one side and unchanged on the other
// is a deletion that may travel. The run writes what is in step after it, in one transaction.

#include "config/SyncOptions.h"
#include "engine/CompareTypes.h"
#include "platform/SyncStateStore.h"

#include <QString>

#include <cstdint>
#include <vector>

struct MergeOptions;
class FileView;

// A run is two-way when it copies in both directions.
inline bool IsTwoWay(const SyncOptionSet& options) { return options.CopiesFrom(0) && options.CopiesFrom(1); }

// What the compare read of one pair's last run.
struct PairMemory {
    QString Root[2];      // the resolved roots, ending with '/'
    size_t FirstRow = 0;  // the pair's rows in the compare's result list: [FirstRow, EndRow)
    size_t EndRow = 0;
    bool Known = false;   // the store held state for the pair (it ran two-way before)
    SyncState::StoredEntries Entries;
};

// The memory of a compare made for a two-way run; inactive for any other compare, or when the
// store could not be opened (the compare and the run then work as without it).
struct TwoWayMemory {
    bool Active = false;
    QString DatabasePath;
    std::vector<PairMemory> Pairs;
};

// The key of a row in its pair's memory: its path below the roots, from the left side where
// the entry is there (letter case folded where a side's file system folds it). Empty for a
// pair's root row.
QString MemoryKeyOf(const CompareRow& row, const PairMemory& pair);
// What a row holds now, in the form the store keeps (times as UTC seconds). Side s of the
// result is taken from side from[s] of the row.
SyncState::StoredEntry StoredFormOf(const CompareRow& row, const int from[2]);

// Judges the rows of one pair against its memory (a pair without state is left as the merge
// made it): a file changed on both sides, or deleted on one and changed on the other, becomes a
// Conflict; a file changed on one side only is copied from that side, whichever is newer; with
// propagateDeletions an entry deleted on one side and unchanged on the other is marked
// DeletionTravels (a folder only when everything below it is). Returns the conflicts found.
int JudgeAgainstMemory(ResultList& rows, const PairMemory& pair, const MergeOptions& options, bool propagateDeletions);

// What a run did to a row, per side (SyncJob::rowDone): bit << side of the side copied from,
// created from, deleted on.
namespace RowDone {
constexpr uint8_t CopiedFrom = 1;      // << s: the file was copied from side s
constexpr uint8_t CreatedFrom = 4;     // << s: the folder was created from side s
constexpr uint8_t DeletedOn = 16;      // << s: the entry was deleted on side s
constexpr uint8_t ConflictNotKept = 64;  // the overwritten version could not be kept: left alone
}  // namespace RowDone

// After a run over files (done: per row of files.ViewList, what happened to it; null when
// nothing ran): writes what every pair of the memory holds now where it is in step, keeps the
// remembered entry where the run left a row as it was, and forgets what is gone from both
// sides; all pairs in one transaction. False with a text when the store could not be written
// (the state of the run before stays).
bool RememberRun(const FileView& files, const std::vector<uint8_t>* done, QString& error);
