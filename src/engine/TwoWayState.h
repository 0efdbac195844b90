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
#include <memory>
#include <vector>

struct MergeOptions;
class FileView;

// A run is two-way when it copies in both directions.
inline bool IsTwoWay(const SyncOptionSet& options) { return options.CopiesFrom(0) && options.CopiesFrom(1); }

// What the compare read of one pair's last run. A compare reads little of it: the remembered
// entries of the rows that are not in step (a row in step needs none to be judged; the run
// checks it against its folder's digest). Where many rows are not in step, every entry is read
// at once.
struct PairMemory {
    QString Root[2];      // the resolved roots, ending with '/'
    size_t FirstRow = 0;  // the pair's rows in the compare's result list: [FirstRow, EndRow)
    size_t EndRow = 0;
    int64_t Id = -1;      // the pair's id in the store; -1 where it has no state (never ran two-way)
    bool Known() const { return Id >= 0; }
    SyncState::StoredEntries Entries;  // the entries read, by path below the roots
    bool ReadWhole = false;            // Entries holds every remembered entry of the pair
    // Per row of the pair (from FirstRow on): an index into Entries, or one of these.
    static constexpr int32_t kAbsent = -1;  // read, and not remembered
    static constexpr int32_t kUnread = -2;  // a row in step, not read
    std::vector<int32_t> Match;
};

// The memory of a compare made for a two-way run; inactive for any other compare, or when the
// store could not be opened (the compare and the run then work as without it).
struct TwoWayMemory {
    bool Active = false;
    QString DatabasePath;
    // The store the compare read, kept open for the run: the pages it read are the ones the run
    // writes. It holds no lock between its calls.
    std::shared_ptr<SyncState::Store> Store;
    std::vector<PairMemory> Pairs;
};

// The place of a row in its pair's memory: the folder below the roots ("" or ending with '/')
// and the name, from the left side where the entry is there (letter case folded where a side's
// file system folds it). A folder row's name is its own; the views point into the row, or into
// folded. Not valid for a pair's root row.
struct MemoryPlace {
    QStringView folder;
    QStringView name;
    QString folded;
    bool valid = false;
};
// Fills place for row (place is not to be copied: its views may point into itself).
void PlaceOf(const CompareRow& row, const PairMemory& pair, MemoryPlace& place);
// Fills place with a path below the roots, split after its last '/' (the views point into path).
void SplitInto(QStringView path, MemoryPlace& place);
// What a row holds now, in the form the store keeps (times as UTC seconds: the compare's local
// times less the offset in force at the scan). Side s of the result is taken from side from[s]
// of the row.
SyncState::StoredEntry StoredFormOf(const CompareRow& row, const int from[2], int64_t utcOffsetSeconds);

// Reads what the compare needs of a pair's memory (pair.Id set) for its rows, and
// fills pair.Match. False when the store could not be read.
bool ReadMemory(SyncState::Store& store, const ResultList& rows, PairMemory& pair);

// Judges the rows of one pair against its memory as read (a pair without state is left as the
// merge made it): a file changed on both sides, or deleted on one and changed on the other,
// becomes a Conflict; a file changed on one side only is copied from that side, whichever is
// newer; with propagateDeletions an entry deleted on one side and unchanged on the other is
// marked DeletionTravels (a folder only when everything below it is). Returns the conflicts
// found.
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
// sides; all pairs in one transaction. A folder whose digest does not come out as the changes
// known make it is read and written anew (TwoWayRemember.cpp). False with a text when the store
// could not be written (the state of the run before stays).
bool RememberRun(const FileView& files, const std::vector<uint8_t>* done, QString& error);
