#pragma once
// The file system as the engine sees it. Paths are QStrings decoded with PathCodec. Every call
// that can fail returns false (or an invalid value) and leaves the error number for LastError().
// Symbolic links are never followed; sockets, pipes and devices are never listed.

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace FileSystem {

// errno of the last failed call of this thread; 0 after success.
int LastError();
void SetLastError(int err);
// The system's message text for an error number.
QString ErrorText(int err);
// The named checks: path not found (3), folder not empty (145), file in use (32).
bool IsPathNotFound(int err);
bool IsFolderNotEmpty(int err);
bool IsFileInUse(int err);

// Error numbers beyond errno for conditions the program detects itself. They lie above every
// errno value; ErrorText gives an English text, the engine's error report the user's language.
constexpr int ErrChangedSinceCompare = 0x7401;  // the entry is no longer what the compare saw
constexpr int ErrUnsafePath = 0x7402;           // the path leads through a link or out of its root
constexpr int ErrTypeConflict = 0x7403;         // a folder on one side, a file, link or special entry on the other
constexpr int ErrCaseConflict = 0x7404;         // names that differ only in letter case cannot be told apart
bool IsProgramError(int err);

// ---- attributes and listing (scanner) ----

// Attribute word of a path (by lstat); Attr::Invalid when it does not exist.
uint32_t GetAttributes(const QString& path);

struct ListedEntry {
    QString name;
    uint32_t attributes = 0;
    int64_t mtimeSeconds = 0;  // seconds since the epoch (UTC)
    int64_t size = 0;
};
// Lists a folder; false when it cannot be opened (LastError set). Only regular files, folders
// and symbolic links are listed; "." and ".." are not.
bool ListFolder(const QString& folder, std::vector<ListedEntry>& out);

// ---- changes (file operations) ----
// While a RootScope (platform/BeneathRoot.h) lives, every change below works only beneath the
// registered roots and never through a symbolic link; a link in the way fails with
// ErrUnsafePath.

// What the compare saw of an entry that is about to be replaced or deleted. Checked right
// before the change with one look at the open folder: an entry that is no longer what the
// compare saw fails with ErrChangedSinceCompare, a folder or a pipe, socket or device where a
// file is to go with ErrTypeConflict, and the entry stays as it is.
struct SeenEntry {
    enum class Kind : uint8_t { NotChecked, Absent, Folder, File };  // File: a file or a link
    Kind kind = Kind::NotChecked;
    int64_t size = 0;
    int64_t mtimeSeconds = 0;  // seconds since the epoch (UTC)
};

// Sets read-only, hidden (where the file system keeps it), system and archive bits.
bool SetAttributes(const QString& path, uint32_t attributes, const SeenEntry& seen = {});
bool DeleteFile(const QString& path, const SeenEntry& seen = {});
bool MoveToTrash(const QString& path, const SeenEntry& seen = {});
// Creates the folder (last level only) with the template folder's attributes. A file, link or
// special file of that name fails with ErrTypeConflict; an existing folder with EEXIST.
bool CreateFolderFrom(const QString& folder, const QString& templateFolder);
bool RemoveFolder(const QString& folder);
bool FolderExists(const QString& folder);

// The fail-safe copy: data goes to a file beside the destination that has no name yet (or a
// temporary name), permissions and modification time follow, then one link gives a new
// destination its name, or one rename puts the temporary file over an existing destination.
// A failed or cancelled copy leaves the old destination untouched and no temporary file.
// progress(totalSize, copiedSoFar) is called after each chunk; cancel is polled between chunks
// (a cancelled copy fails with ECANCELED).
using CopyProgress = std::function<void(int64_t total, int64_t copied)>;
// What becomes of the version a copy replaces. ToTrash: it goes to the trash in the step that
// puts the new version in its place, once the new one is complete and durable, so that either
// version is always at the destination's name or in the trash; a trash that cannot take it
// fails the copy and leaves the old version where it was.
enum class Replaced : uint8_t { Discard, ToTrash };
// destinationSeen: what the compare saw at the destination (Absent for a new file); a copy
// whose destination changed since fails as described at SeenEntry and writes nothing.
bool CopyFile(const QString& source, const QString& destination, const CopyProgress& progress,
              const std::atomic<bool>* cancel, const SeenEntry& destinationSeen = {},
              Replaced replaced = Replaced::Discard);

// What an entry whose name has the form of the copy's temporary names is. A name of that form
// alone is not enough (a user may own such a file); the entry must also carry the mark only the
// copy sets (or, where the file system keeps no marks, name a process that no longer runs). It is
// alive while a copy holds its lock, stale once the lock is free: a killed copy's leftover,
// whatever process has the pid in its name now. On a network file system, where another
// machine's lock cannot be seen, it is stale only when it is also more than a day old. The
// scanner never lists a temporary entry, alive or stale.
enum class CopyTemporaryState { NotOurs, Alive, Stale };
CopyTemporaryState CopyTemporaryStateOf(const QString& folder, const QString& name);
bool IsCopyTemporary(const QString& folder, const QString& name);
// Whether a name has the form of the copy's temporary names (a cheap test before the look at
// the entry that CopyTemporaryStateOf makes).
bool IsCopyTemporaryName(const QString& name);
// Removes the stale temporary entries of earlier (killed) runs from a folder, beneath the
// registered roots and through no link; removed counts them. Never a user's file of such a name,
// never one a running copy holds. False (LastError set) when the folder could not be read or an
// entry could not be removed.
bool RemoveStaleCopyTemporaries(const QString& folder, int& removed);

}  // namespace FileSystem
