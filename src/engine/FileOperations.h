#pragma once
// The single-item operations of a synchronisation on one row of the view list and one side,
// and the one error report that every failed file-system call goes through.

#include "engine/CompareTypes.h"

#include <cstdint>

class RunHost;

// Bits of the operation code handed to ReportOperationError: which paths the report quotes.
namespace OpCode {
constexpr int FirstFolder = 1;    // first path := Folder[side]
constexpr int FirstName = 2;      // first path += Name[side]
constexpr int SecondFolder = 4;   // second path := Folder[1-side]
constexpr int SecondName = 8;     // second path += Name[side]
// The codes in use: the paths they quote, and an upper bit that names the kind of operation
// (not interpreted; it keeps the codes of the log apart).
constexpr int SetSourceAttributes = 16 | FirstFolder | FirstName;        // 19
constexpr int DeleteFile = 32 | FirstFolder | FirstName;                 // 35
constexpr int RemoveFolder = FirstFolder;                                // 1
constexpr int CreateFolder = 64 | SecondFolder;                          // 68
constexpr int CopyFile = 128 | FirstFolder | FirstName | SecondFolder | SecondName;  // 143
constexpr int SetDestinationAttributes = 16 | SecondFolder | SecondName;  // 28
}  // namespace OpCode

class SyncJob;

// Deletes Folder[side] + Name[side]: into the trash with AllowUndo, else for good (clearing the
// read-only bit first, and setting it again when the delete fails). A file that is no longer
// what the compare saw is left alone and reported.
void DeleteOneFile(SyncJob& job, int side, int row);
// Removes the folder row's folder on side; "not empty" is no error (something stays in it).
void RemoveOneFolder(SyncJob& job, int side, int row);
// Creates the destination folder Folder[1-s] with Folder[s] as its template. False when it is
// not there afterwards (reported), or when the run stopped before it.
bool CreateDestinationFolder(SyncJob& job, int s, int row);
// Moves the folder row's folder on side with everything in it to the trash as one entry, for a
// folder that a one-way mirror replaces; entriesBelow (the files and folders of the view below
// it) count as deleted with it. False when it stays (reported).
bool TrashWholeFolder(SyncJob& job, int side, int row, int entriesBelow);
// Copies Folder[s] + Name[s] to the other side, with the attribute clean-up before and the
// archive resets after. A destination that is no longer what the compare saw (or a name that
// something took since) is left alone and reported.
void CopyOneFile(SyncJob& job, int s, int row);
// A replacement of an existing file waits in the batch of the copy pass in progress
// (FileSystem::ReplacementBatch): its data is made durable together with the others' before it
// is renamed into place, and its report (tally, log line, error, archive resets, progress)
// follows only then. One CopyBatchScope lives around each copy pass; the pass calls
// FinishWaitingCopies before anything that needs the files in place and at its end. The scope's
// end discards whatever still waits (no destination changes unreported).
class CopyBatchScope {
public:
    explicit CopyBatchScope(SyncJob& job);
    ~CopyBatchScope();
    CopyBatchScope(const CopyBatchScope&) = delete;
    CopyBatchScope& operator=(const CopyBatchScope&) = delete;

private:
    SyncJob& job_;
};
// Puts the waiting replacements in place and reports each by what happened to it; after a
// cancel they are discarded instead, every old destination intact.
void FinishWaitingCopies(SyncJob& job);

// Progress of the copy in work; reason 0 is "chunk finished". Always answers continue (true);
// cancelling goes through the cancel flag.
bool CopyProgressCallback(RunHost& host, int64_t totalSize, int64_t copied, int reason);
// The one error report. result > 0 is success; otherwise the last system error is ignored,
// shown (or recorded for the next start in a run without questions) and logged. Returns the
// error number, or 0 when there was no failure or it is ignored.
int ReportOperationError(int result, int operationCode, int side, int row, ResultList& view);

// Sets the job's archive switches for copies from side s (profile's medium sides and reset
// switches).
void SetArchiveSwitches(SyncJob& job, int s);

// A folder path without its trailing '/' ("/" stays "/").
QString FolderWithoutSlash(QString folder);

// The root folders of the pairs in a list: the folders of the rows that name no entry on
// either side (each pair's first row), without trailing '/'.
QStringList RootsOfRows(const ResultList& view);

// The destination path a copy from side s writes: Folder[1-s] + Name[s], except that a row
// matching two names that differ only in case writes into the existing Name[1-s].
QString CopyDestinationPath(const CompareRow& row, int s);
