#include "platform/ReplacementBatch.h"

#include "platform/CopyNames.h"
#include "platform/FaultInjection.h"
#include "platform/RenameOver.h"
#include "platform/SeenCheck.h"

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

thread_local FileSystem::ReplacementBatch* current = nullptr;
thread_local bool lastCopyWaits = false;

#ifndef XFS_SUPER_MAGIC
#define XFS_SUPER_MAGIC 0x58465342
#endif
#ifndef F2FS_SUPER_MAGIC
#define F2FS_SUPER_MAGIC 0xF2F52010
#endif

// File systems whose syncfs writes every dirty file's data and then commits and flushes the
// disk's cache, so that one call covers the whole batch. Elsewhere (FAT, network and FUSE file
// systems) syncfs may leave data in the disk's cache or in a server's, and each file is synced.
bool SyncfsCoversData(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case EXT4_SUPER_MAGIC:  // also ext2 and ext3
    case XFS_SUPER_MAGIC:
    case BTRFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:  // nothing to write: the call returns at once
        return true;
    default:
        return false;
    }
}

// One sync system call for the destination path; 0 or the error.
int Sync(int (*call)(int), int fd, const QByteArray& path) {
    if (const int injected = FileSystem::Faults::At(FileSystem::FaultPoint::Sync, path)) return injected;
    return call(fd) == 0 ? 0 : errno;
}

}  // namespace

namespace FileSystem {

bool LastCopyWaits() { return lastCopyWaits; }
void SetLastCopyWaits(bool waits) { lastCopyWaits = waits; }

ReplacementBatch::ReplacementBatch() : previous_(current) { current = this; }

ReplacementBatch::~ReplacementBatch() {
    Discard();
    current = previous_;
}

ReplacementBatch* ReplacementBatch::Current() { return current; }

bool ReplacementBatch::Full() const { return waiting_.size() >= kMaxFiles || bytes_ >= kMaxBytes; }

int ReplacementBatch::Add(int fd, int dirFd, const QByteArray& temp, const QByteArray& path, const SeenEntry& seen,
                          int64_t bytes, bool marked, Replaced replaced) {
    WaitingFile w;
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errno;
    // The folder stays open with the file: the rename happens relative to the very folder the
    // copy checked, whatever the copy opens next.
    w.dirFd = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (w.dirFd < 0) return errno;
    w.fd = fd;
    w.temp = temp;
    w.path = path;
    w.name = path.mid(path.lastIndexOf('/') + 1);
    w.seen = seen;
    w.device = st.st_dev;
    w.marked = marked;
    w.replaced = replaced;
    waiting_.push_back(std::move(w));
    bytes_ += bytes;
    return 0;
}

void ReplacementBatch::Remove(WaitingFile& w) {
    if (w.fd >= 0) ::close(w.fd);
    w.fd = -1;
    if (!w.temp.isEmpty()) ::unlinkat(w.dirFd, w.temp.constData(), 0);
    ::close(w.dirFd);
    w.dirFd = -1;
}

void ReplacementBatch::Discard() {
    for (WaitingFile& w : waiting_) Remove(w);
    waiting_.clear();
    bytes_ = 0;
}

// One sync per file system where syncfs covers the data; elsewhere every file's writeback is
// started first and then waited for file by file, so the waits overlap.
int ReplacementBatch::MakeDurable() {
    std::vector<dev_t> done;
    for (size_t i = 0; i < waiting_.size(); ++i) {
        const dev_t device = waiting_[i].device;
        if (std::find(done.begin(), done.end(), device) != done.end()) continue;
        done.push_back(device);
        if (SyncfsCoversData(waiting_[i].fd)) {
            if (const int err = Sync(::syncfs, waiting_[i].fd, waiting_[i].path)) return err;
            continue;
        }
        for (size_t j = i; j < waiting_.size(); ++j)
            if (waiting_[j].device == device)
                (void)::sync_file_range(waiting_[j].fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        for (size_t j = i; j < waiting_.size(); ++j)
            if (waiting_[j].device == device)
                if (const int err = Sync(::fdatasync, waiting_[j].fd, waiting_[j].path)) return err;
    }
    return 0;
}

std::vector<int> ReplacementBatch::PutInPlace() {
    std::vector<int> results(waiting_.size(), 0);
    if (waiting_.empty()) return results;
    if (const int err = MakeDurable()) {
        std::fill(results.begin(), results.end(), err);
        Discard();
        return results;
    }
    for (size_t i = 0; i < waiting_.size(); ++i) {
        WaitingFile& w = waiting_[i];
        // The finished file is the user's: it gets its name without our mark.
        if (w.marked) (void)::fremovexattr(w.fd, CopyTemporaryMark);
        int err = ::close(w.fd) == 0 ? Faults::At(FaultPoint::Close, w.path) : errno;
        w.fd = -1;
        if (err == 0) err = Faults::At(FaultPoint::Name, w.path);
        if (err == 0) {
            // The destination may have changed while the batch filled (a user saving the file).
            struct stat now {};
            const bool present = ::fstatat(w.dirFd, w.name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0;
            err = SeenMismatch(present ? &now : nullptr, w.seen);
        }
        if (err == 0) err = RenameOver(w.dirFd, w.temp, w.dirFd, w.name, w.path, w.replaced);
        if (err == 0) w.temp.clear();  // in place: nothing left to remove
        results[i] = err;
        Remove(w);
    }
    waiting_.clear();
    bytes_ = 0;
    return results;
}

}  // namespace FileSystem
