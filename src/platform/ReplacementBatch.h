#pragma once
// Replacing existing files in batches. A replaced file's data must be on the disk before its
// new name moves over the old file, or a power cut could leave a short file where the user had
// a whole one. Syncing each file on its own costs a journal commit per file; a batch writes the
// temporary copies of up to kMaxFiles files (or kMaxBytes bytes), makes their data durable
// together, and only then renames them over their destinations, each after the same check as
// a single copy (the destination still what the compare saw, in its folder beneath the root).
//
// While a ReplacementBatch lives on a thread, FileSystem::CopyFile of an existing destination
// leaves the finished temporary file waiting in the batch (LastCopyWaits() tells) instead of
// putting it in place; new files are named at once as before. Waiting files keep the mark and
// the lock of the copy's temporary files, so a killed run leaves them recognisable and the next
// run removes them. Nothing a waiting file replaces has changed yet: discarding the batch (a
// cancel, a failed sync, the batch's end without PutInPlace) removes the temporaries and leaves
// every old destination as it was.

#include "platform/FileSystem.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <vector>

#include <sys/types.h>

namespace FileSystem {

class ReplacementBatch {
public:
    static constexpr size_t kMaxFiles = 64;
    static constexpr int64_t kMaxBytes = int64_t{64} << 20;

    ReplacementBatch();
    // Discards whatever still waits.
    ~ReplacementBatch();
    ReplacementBatch(const ReplacementBatch&) = delete;
    ReplacementBatch& operator=(const ReplacementBatch&) = delete;

    size_t Waiting() const { return waiting_.size(); }
    // No more files fit: the next replacement is synced and renamed on its own, so the caller
    // puts the batch in place now.
    bool Full() const;
    // Makes the data of every waiting file durable (one sync of each file system where that
    // covers the data, else every file's writeback started before the first wait), then renames
    // each over its destination after checking it. Returns, in the order CopyFile left them, 0
    // for a file now in place or the error that kept it out (its old destination unchanged).
    // A failed sync keeps all of them out.
    std::vector<int> PutInPlace();
    // Removes the waiting temporaries; no destination changes.
    void Discard();

    // Used by the fail-safe copy: takes over the finished, still named temporary file fd (in the
    // folder dirFd, which is duplicated) that is to replace path (whose last name lies in dirFd).
    // 0, or the error (the caller keeps fd and removes its temporary).
    int Add(int fd, int dirFd, const QByteArray& temp, const QByteArray& path, const SeenEntry& seen, int64_t bytes,
            bool marked, Replaced replaced);
    // The batch of this thread, or nullptr.
    static ReplacementBatch* Current();

private:
    struct WaitingFile {
        int fd = -1;
        int dirFd = -1;
        QByteArray temp;
        QByteArray path;  // the destination's whole path
        QByteArray name;  // its last name, in dirFd
        SeenEntry seen;
        dev_t device = 0;
        bool marked = false;
        Replaced replaced = Replaced::Discard;
    };
    int MakeDurable();
    static void Remove(WaitingFile& w);

    std::vector<WaitingFile> waiting_;
    int64_t bytes_ = 0;
    ReplacementBatch* previous_ = nullptr;
};

// After a CopyFile on this thread that returned true: the file waits in the thread's batch and
// is not in place yet.
bool LastCopyWaits();
void SetLastCopyWaits(bool waits);

}  // namespace FileSystem
