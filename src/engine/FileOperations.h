#pragma once
// The single-item operations of a synchronisation on one row of the view list and one side,
// and the one error report that every failed file-system call goes through.

#include "engine/CompareTypes.h"

#include <cstdint>

// Bits of the operation code handed to ReportOperationError: which paths the report quotes.
namespace OpCode {
constexpr int FirstFolder = 1;    // first path := Folder[side]
constexpr int FirstName = 2;      // first path += Name[side]
constexpr int SecondFolder = 4;   // second path := Folder[1-side]
constexpr int SecondName = 8;     // second path += Name[side]
// The codes in use (the upper bits name the kind of operation and are not interpreted).
constexpr int SetSourceAttributes = 19;
constexpr int DeleteFile = 35;
constexpr int RemoveFolder = 1;
constexpr int CreateFolder = 68;
constexpr int CopyFile = 143;
constexpr int SetDestinationAttributes = 28;
}  // namespace OpCode

// Bits of the run flags of the walks (the counting bit also reaches the single operations).
namespace RunFlag {
constexpr int Counting = 1;         // CopyRows: add sizes to TotalBytes, change nothing;
                                    // DeleteRows: note what would be deleted, change nothing
constexpr int OnlyOneSided = 2;     // CopyRows: skip entries missing on the destination, create
                                    // no folders; DeleteRows: only entries missing on the other side
constexpr int AnyDirection = 4;     // CopyRows: copy marked files whatever their direction
constexpr int DeleteMatchOnly = 8;  // DeleteRows: only files matching the delete masks
constexpr int ReplacesTypeChanges = 16;  // both: the run is a one-way mirror, whose rows of a
                                         // type change are one-sided rows (RowRules.h)
}  // namespace RunFlag

// Deletes Folder[side] + Name[side]: into the trash with AllowUndo, else for good (clearing the
// read-only bit first, and setting it again when the delete fails). A file that is no longer
// what the compare saw is left alone and reported.
void DeleteOneFile(int side, int row, ResultList& view);
// Removes the folder row's folder on side; "not empty" is no error (something stays in it).
void RemoveOneFolder(int side, int row, ResultList& view);
// Creates the destination folder Folder[1-s] with Folder[s] as its template (not when counting).
// False when it is not there afterwards (reported), or when the run stopped before it.
bool CreateDestinationFolder(int s, int row, int flags, ResultList& view);
// Moves the folder row's folder on side with everything in it to the trash as one entry, for a
// folder that a one-way mirror replaces; entriesBelow (the files and folders of the view below
// it) count as deleted with it. False when it stays (reported).
bool TrashWholeFolder(int side, int row, int entriesBelow, ResultList& view);
// Copies Folder[s] + Name[s] to the other side, with the attribute clean-up before and the
// archive resets after; a counting pass only adds the size to TotalBytes. A destination that is
// no longer what the compare saw (or a name that something took since) is left alone and
// reported.
void CopyOneFile(int s, int row, int flags, ResultList& view);
// A replacement of an existing file waits in the batch of the copy walk in progress
// (FileSystem::ReplacementBatch): its data is made durable together with the others' before it
// is renamed into place, and its report (tally, log line, error, archive resets, progress)
// follows only then. One CopyBatchScope lives around each walk of copies; the walk calls
// FinishWaitingCopies before anything that needs the files in place and at its end. The scope's
// end discards whatever still waits (no destination changes unreported).
class CopyBatchScope {
public:
    CopyBatchScope();
    ~CopyBatchScope();
    CopyBatchScope(const CopyBatchScope&) = delete;
    CopyBatchScope& operator=(const CopyBatchScope&) = delete;

private:
    bool owner_ = false;  // false inside another scope, which keeps collecting
};
// Puts the waiting replacements in place and reports each by what happened to it; after a
// cancel they are discarded instead, every old destination intact.
void FinishWaitingCopies();

// Progress of the copy in work; reason 0 is "chunk finished". Always answers continue (true);
// cancelling goes through the cancel flag.
bool CopyProgressCallback(int64_t totalSize, int64_t copied, int reason);
// The one error report. result > 0 is success; otherwise the last system error is ignored,
// shown (or recorded for the next start in a run without questions) and logged. Returns the
// error number, or 0 when there was no failure or it is ignored.
int ReportOperationError(int result, int operationCode, int side, int row, ResultList& view);

// Sets the archive switches of the run state for copies from side s (profile's medium sides
// and reset switches).
void SetArchiveSwitches(int s);

// The root folders of the pairs in a list: the folders of the rows that name no entry on
// either side (each pair's first row), without trailing '/'.
QStringList RootsOfRows(const ResultList& view);

// The destination path a copy from side s writes: Folder[1-s] + Name[s], except that a row
// matching two names that differ only in case writes into the existing Name[1-s].
QString CopyDestinationPath(const CompareRow& row, int s);
