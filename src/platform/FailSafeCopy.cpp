// The fail-safe copy. A new destination is written into an unnamed file (O_TMPFILE) in the
// destination folder and gets its name with one linkat when every byte, the permissions and the
// modification time are in place: a process killed mid-copy leaves nothing behind, and linkat
// never replaces a file that appeared meanwhile (that case is handled as a replacement). An
// existing destination is replaced through a named temporary file beside it, renamed over it in
// one step; so are new files where the file system has no unnamed files. A copy that fails or
// is cancelled at any point removes what it wrote and leaves the old destination exactly as it
// was; a killed process leaves at most a named temporary file, which every later listing
// recognises by the mark the copy set on it and its free lock (never by its name alone) and
// hides, and which the next synchronisation writing there removes (platform/CopyTemporaries.h).
// The data is copied by extents, so that sparse files stay sparse, and the user's extended
// attributes travel with it (platform/CopyData.h). All calls on the destination work relative to
// the open destination folder, so the long path is walked once per file.
//
// Durability against a power cut. rename() is atomic against a crash of the process, but
// after a power cut the file system may have written the rename before the data. The data of a
// temporary file that is renamed over an EXISTING destination is therefore made durable before
// the rename: that is the case where a lost race would destroy the user's old version. Synced
// one by one that costs a journal commit per file (measured on ext4 on a virtual disk: 0.26 ms
// to write and rename a 4 KiB file without it, 8.1 ms with it). A synchronisation therefore
// holds a ReplacementBatch (platform/ReplacementBatch.h): the finished temporary files of up to
// 64 replacements wait, still marked and locked as ours, until one sync makes all their data
// durable, and are then renamed, each after the check against what the compare saw. Outside a
// batch, or when the batch is full, a replacement is synced and renamed on its own. A NEW
// destination is not synced at all: a power cut can cost a new file that is short or empty
// while its source is intact, which the next compare sees as different (size) and copies
// again, and a first copy of 100,000 small files would otherwise be many times slower than cp.
// Nothing the user had is lost in either case.
//
// Each write-type step asks the fault plan in force (platform/FaultPlan.h) before it acts, with
// the destination's path, and fails on the plan's error as on the system's: creating the unnamed
// or temporary file, each data chunk, the sync of a replacement, the checked close, and the final
// link or rename.

#include "platform/CopyData.h"
#include "platform/CopyFolders.h"
#include "platform/CopyTemporaries.h"
#include "platform/FaultInjection.h"
#include "platform/FdGuard.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/RenameOver.h"
#include "platform/ReplacementBatch.h"
#include "platform/SeenCheck.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using FileSystem::Cancelled;
using FileSystem::DoneWithFolders;
using FileSystem::FdGuard;
using FileSystem::FolderStamp;
using FileSystem::MarkTemporary;
using FileSystem::OpenFolder;
using FileSystem::TemporaryName;
using FileSystem::UnmarkTemporary;
using FileSystem::UseFolder;

constexpr qsizetype kNameMax = NAME_MAX;

bool Fail(int err) {
    FileSystem::SetLastError(err != 0 ? err : EIO);
    return false;
}

void SplitPath(const QByteArray& path, QByteArray& folder, QByteArray& name) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) {
        folder = ".";
        name = path;
    } else {
        folder = slash == 0 ? QByteArray("/") : path.left(slash);
        name = path.mid(slash + 1);
    }
}

// Copies the link name in sourceFd as toName in toFd. A new destination is created under its
// own name at once (symlinkat never replaces anything, and a link has no data that could be
// half written); an existing one is replaced by a link made under a temporary name and renamed
// over it. A link cannot carry the mark of our temporary files, so that one is made inside a
// marked temporary folder, which a killed run leaves recognisable as ours.
bool CopySymbolicLink(int sourceFd, const QByteArray& name, const struct stat& st, int toFd, const QByteArray& toName,
                      const QByteArray& toPath, bool replacing, FileSystem::Replaced replaced) {
    using FileSystem::FaultPoint;
    using FileSystem::Faults::At;
    std::vector<char> target(static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + 256);
    ssize_t n;
    for (;;) {
        n = ::readlinkat(sourceFd, name.constData(), target.data(), target.size());
        if (n < 0) return Fail(errno);
        if (static_cast<size_t>(n) < target.size()) break;
        if (target.size() > (size_t{1} << 20)) return Fail(ENAMETOOLONG);
        target.resize(target.size() * 2);
    }
    target[static_cast<size_t>(n)] = '\0';
    const struct timespec times[2] = {st.st_atim, st.st_mtim};

    if (!replacing) {
        if (const int injected = At(FaultPoint::Create, toPath)) return Fail(injected);
        if (::symlinkat(target.data(), toFd, toName.constData()) != 0) return Fail(errno);
        if (::geteuid() == 0) (void)::fchownat(toFd, toName.constData(), st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
        int err = 0;
        if (::utimensat(toFd, toName.constData(), times, AT_SYMLINK_NOFOLLOW) != 0) err = errno;
        if (err == 0) err = At(FaultPoint::Name, toPath);
        if (err != 0) {
            ::unlinkat(toFd, toName.constData(), 0);
            return Fail(err);
        }
        FileSystem::SetLastError(0);
        return true;
    }

    QByteArray holder;
    FdGuard holderFd;
    for (int attempt = 0;; ++attempt) {
        if (const int injected = At(FaultPoint::Create, toPath)) return Fail(injected);
        holder = TemporaryName(toName);
        if (::mkdirat(toFd, holder.constData(), 0700) == 0) break;
        if (errno != EEXIST || attempt > 100) return Fail(errno);
    }
    holderFd.reset(::openat(toFd, holder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    int err = holderFd.get() < 0 ? errno : 0;
    if (err == 0) MarkTemporary(holderFd.get());
    if (err == 0 && ::symlinkat(target.data(), holderFd.get(), "l") != 0) err = errno;
    if (err == 0 && ::geteuid() == 0) (void)::fchownat(holderFd.get(), "l", st.st_uid, st.st_gid, AT_SYMLINK_NOFOLLOW);
    if (err == 0 && ::utimensat(holderFd.get(), "l", times, AT_SYMLINK_NOFOLLOW) != 0) err = errno;
    if (err == 0) err = At(FaultPoint::Name, toPath);
    if (err == 0) err = FileSystem::RenameOver(holderFd.get(), "l", toFd, toName, toPath, replaced);
    if (holderFd.get() >= 0) ::unlinkat(holderFd.get(), "l", 0);
    ::unlinkat(toFd, holder.constData(), AT_REMOVEDIR);
    if (err != 0) return Fail(err);
    FileSystem::SetLastError(0);
    return true;
}

// ---- naming an unnamed file ----

// O_TMPFILE writes into a file that has no name until it is complete: nothing to clean up when
// the process is killed, no rename, and linkat refuses (EEXIST) instead of replacing a file
// that appeared meanwhile. 0 = not tried yet, 1 = usable, -1 = not usable in this process.
std::atomic<int> unnamedFiles{0};
// How linkat can name an open file: by AT_EMPTY_PATH (root, or newer kernels for the file's
// creator) or through /proc. 0 = not known yet, 1 = AT_EMPTY_PATH, 2 = /proc.
std::atomic<int> linkMethod{0};

// Gives the unnamed file fd the name in dirFd; 0 or the errno.
int LinkUnnamed(int fd, int dirFd, const char* name) {
    const int known = linkMethod.load(std::memory_order_relaxed);
    int err = 0;
    if (known != 2) {
        if (::linkat(fd, "", dirFd, name, AT_EMPTY_PATH) == 0) {
            linkMethod.store(1, std::memory_order_relaxed);
            return 0;
        }
        err = errno;
        // Without the privilege AT_EMPTY_PATH answers ENOENT (or EPERM); anything else is real.
        if (known == 1 || (err != ENOENT && err != EPERM)) return err;
    }
    char proc[64];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, proc, dirFd, name, AT_SYMLINK_FOLLOW) == 0) {
        linkMethod.store(2, std::memory_order_relaxed);
        return 0;
    }
    return errno;
}

}  // namespace

void FileSystem::Faults::ForgetUnnamedFileSupport() {
    unnamedFiles.store(0, std::memory_order_relaxed);
    linkMethod.store(0, std::memory_order_relaxed);
}

namespace {

// Closes the written file; 0 or the error of the close, which on a network file system is where
// a write that never arrived is reported.
int CheckedClose(FdGuard& out, const QByteArray& path) {
    const int err = out.Close();
    return err != 0 ? err : FileSystem::Faults::At(FileSystem::FaultPoint::Close, path);
}

// Makes the data of a file that is to replace path durable before its rename; 0 or the error.
int DataMadeDurable(int fd, const QByteArray& path) {
    if (const int injected = FileSystem::Faults::At(FileSystem::FaultPoint::Sync, path)) return injected;
    return ::fdatasync(fd) == 0 ? 0 : errno;
}

// Result of one attempt: done, failed (errno in err), or "retry with a named temporary file"
// (the unnamed file could not be created or named in this process).
enum class Attempt { Done, Failed, RetryNamed };

struct CopyJob {
    int in = -1;
    const struct stat* src = nullptr;
    OpenFolder* folder = nullptr;
    QByteArray name;  // the destination's name in the folder
    const QByteArray* path = nullptr;  // the whole destination path, for the fault plan
    bool replacing = false;
    FileSystem::Replaced replaced = FileSystem::Replaced::Discard;  // what becomes of the old version
    const FileSystem::SeenEntry* seen = nullptr;  // what the compare saw at the destination
    bool knewFolder = false;
    FolderStamp before;
    const FileSystem::CopyProgress* progress = nullptr;
    const std::atomic<bool>* cancel = nullptr;
    bool waits = false;  // left waiting in the thread's replacement batch
};

// Owner, permissions and times of the finished data; 0 or the errno.
// created: the new file as it was created (owner and mode), so that only what differs is set.
int SetMetadata(int out, const struct stat& src, const struct stat& created) {
    static const uid_t euid = ::geteuid();
    bool chowned = false;
    if ((created.st_uid != src.st_uid || created.st_gid != src.st_gid) && euid == 0) {
        (void)::fchown(out, src.st_uid, src.st_gid);
        chowned = true;  // which clears set-id bits: the mode is set again below
    }
    // Permissions cannot be kept on every file system (vfat refuses); the data and the time
    // stamp are what the next compare relies on.
    if (chowned || (created.st_mode & 07777) != (src.st_mode & 07777)) (void)::fchmod(out, src.st_mode & 07777);
    const struct timespec times[2] = {src.st_atim, src.st_mtim};
    return ::futimens(out, times) != 0 ? errno : 0;
}

Attempt CopyUnnamed(CopyJob& job, int& err) {
    using FileSystem::FaultPoint;
    using FileSystem::Faults::At;
    const int dirFd = job.folder->fd.get();
    // Created with the source's permission bits: an unnamed file is reachable by no one, and
    // where the umask keeps them no chmod is needed afterwards.
    const int injected = At(FaultPoint::CreateUnnamed, *job.path);
    FdGuard out(injected ? -1 : ::openat(dirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, job.src->st_mode & 0777));
    if (out.get() < 0) {
        err = injected ? injected : errno;
        // The file system has no unnamed files: the named temporary file does the same job.
        if (err == EOPNOTSUPP || err == EISDIR || err == EINVAL) {
            unnamedFiles.store(-1, std::memory_order_relaxed);
            return Attempt::RetryNamed;
        }
        return Attempt::Failed;
    }
    struct stat mine {};
    OpenFolder& folder = *job.folder;
    const mode_t requested = job.src->st_mode & 0777;
    if (folder.creationKnown && folder.requestedMode == requested) {
        mine.st_mode = folder.createdMode;
        mine.st_uid = folder.createdUid;
        mine.st_gid = folder.createdGid;
    } else {
        err = ::fstat(out.get(), &mine) == 0 ? 0 : errno;
        if (err == 0) {
            folder.creationKnown = true;
            folder.requestedMode = requested;
            folder.createdMode = mine.st_mode & 07777;
            folder.createdUid = mine.st_uid;
            folder.createdGid = mine.st_gid;
        }
    }
    if (err == 0) err = FileSystem::CopyFileData(job.in, out.get(), *job.src, job.folder->st.st_dev, *job.path, *job.progress,
                                            job.cancel);
    if (err == 0) FileSystem::CopyUserAttributes(job.in, out.get());
    if (err == 0) err = SetMetadata(out.get(), *job.src, mine);
    if (err == 0 && Cancelled(job.cancel)) err = ECANCELED;
    if (err == 0) err = At(FaultPoint::Name, *job.path);
    if (err != 0) return Attempt::Failed;  // closing the unnamed file discards it

    err = LinkUnnamed(out.get(), dirFd, job.name.constData());
    if (err == 0) {
        unnamedFiles.store(1, std::memory_order_relaxed);
        if (const int closeErr = CheckedClose(out, *job.path)) {
            // The data may not have arrived (a file system that reports write errors on
            // close): take back the name we gave, unless another file took it since (ours
            // carries the source's size and nanosecond modification time).
            struct stat named {};
            if (::fstatat(dirFd, job.name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(named.st_mode) &&
                named.st_size == job.src->st_size && named.st_mtim.tv_sec == job.src->st_mtim.tv_sec &&
                named.st_mtim.tv_nsec == job.src->st_mtim.tv_nsec)
                ::unlinkat(dirFd, job.name.constData(), 0);
            err = closeErr;
            return Attempt::Failed;
        }
        return Attempt::Done;
    }
    if (err == EEXIST && job.seen->kind != FileSystem::SeenEntry::Kind::NotChecked) {
        // Something took the name since the compare: not ours to replace.
        struct stat there {};
        err = ::fstatat(dirFd, job.name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0
                  ? FileSystem::SeenMismatch(&there, *job.seen)
                  : FileSystem::ErrChangedSinceCompare;
        if (err == 0) err = FileSystem::ErrChangedSinceCompare;
        return Attempt::Failed;
    }
    if (err == EEXIST) {
        // Another process created the destination since we looked: replace it as any existing
        // destination is replaced, synced first and renamed over in one step. Named, the file
        // carries the temporary mark until the rename.
        const bool marked = MarkTemporary(out.get());
        QByteArray temp;
        for (int attempt = 0;; ++attempt) {
            temp = TemporaryName(job.name);
            err = LinkUnnamed(out.get(), dirFd, temp.constData());
            if (err == 0) break;
            if (err != EEXIST || attempt > 100) return Attempt::Failed;
        }
        err = DataMadeDurable(out.get(), *job.path);
        if (err == 0 && marked) UnmarkTemporary(out.get());
        if (const int closeErr = CheckedClose(out, *job.path); err == 0) err = closeErr;
        if (err == 0) err = FileSystem::RenameOver(dirFd, temp, dirFd, job.name, *job.path, job.replaced);
        if (err != 0) {
            ::unlinkat(dirFd, temp.constData(), 0);
            return Attempt::Failed;
        }
        return Attempt::Done;
    }
    // Naming is impossible here (no /proc, no privilege): named temporary files from now on,
    // unless naming worked before, in which case this is a real failure.
    if (unnamedFiles.load(std::memory_order_relaxed) != 1 && linkMethod.load(std::memory_order_relaxed) == 0 &&
        (err == ENOENT || err == EPERM || err == EACCES)) {
        unnamedFiles.store(-1, std::memory_order_relaxed);
        return Attempt::RetryNamed;
    }
    return Attempt::Failed;
}

// Renames the finished temporary file to the destination's name; 0 or the error. Right before,
// the destination is checked once more against what the compare saw (a copy of a large file
// takes a while, and a user may save the file meanwhile); a new file never replaces one that
// appeared since.
int PutInPlace(const CopyJob& job, int dirFd, const QByteArray& temp) {
    const FileSystem::SeenEntry& seen = *job.seen;
    if (seen.kind != FileSystem::SeenEntry::Kind::NotChecked && job.replacing) {
        struct stat now {};
        const bool present = ::fstatat(dirFd, job.name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0;
        if (const int err = FileSystem::SeenMismatch(present ? &now : nullptr, seen)) return err;
    }
    if (seen.kind != FileSystem::SeenEntry::Kind::NotChecked && !job.replacing) {
        if (::renameat2(dirFd, temp.constData(), dirFd, job.name.constData(), RENAME_NOREPLACE) == 0) return 0;
        if (errno == EEXIST) return FileSystem::ErrChangedSinceCompare;
        if (errno != EINVAL && errno != ENOSYS) return errno;
        // The file system cannot refuse to replace: look, then rename.
        struct stat now {};
        if (::fstatat(dirFd, job.name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0) return FileSystem::ErrChangedSinceCompare;
    }
    return FileSystem::RenameOver(dirFd, temp, dirFd, job.name, *job.path, job.replaced);
}

Attempt CopyNamed(CopyJob& job, int& err) {
    const int dirFd = job.folder->fd.get();
    QByteArray temp;
    FdGuard out;
    for (int attempt = 0;; ++attempt) {
        if (const int injected = FileSystem::Faults::At(FileSystem::FaultPoint::Create, *job.path)) {
            err = injected;
            return Attempt::Failed;
        }
        temp = TemporaryName(job.name);
        // O_EXCL: two runs never share a temporary file, whatever their names.
        out.reset(::openat(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (out.get() >= 0) break;
        if (errno != EEXIST || attempt > 100) {
            err = errno;
            return Attempt::Failed;
        }
    }
    const bool marked = MarkTemporary(out.get());

    struct stat created {};
    err = ::fstat(out.get(), &created) == 0 ? 0 : errno;
    if (err == 0) err = FileSystem::CopyFileData(job.in, out.get(), *job.src, job.folder->st.st_dev, *job.path, *job.progress,
                                            job.cancel);
    if (err == 0) FileSystem::CopyUserAttributes(job.in, out.get());
    if (err == 0) err = SetMetadata(out.get(), *job.src, created);
    // A replacement waits in the thread's batch, which syncs many files at once and renames
    // them afterwards (platform/ReplacementBatch.h); without a batch, or with a full one, it is
    // synced on its own here.
    FileSystem::ReplacementBatch* batch = job.replacing ? FileSystem::ReplacementBatch::Current() : nullptr;
    if (batch && batch->Full()) batch = nullptr;
    if (err == 0 && batch) {
        if (Cancelled(job.cancel)) err = ECANCELED;
        if (err == 0)
            err = batch->Add(out.get(), dirFd, temp, *job.path, *job.seen, static_cast<int64_t>(job.src->st_size), marked,
                             job.replaced);
        if (err == 0) {
            out.Release();
            job.waits = true;
            return Attempt::Done;
        }
    }
    if (err == 0 && job.replacing) err = DataMadeDurable(out.get(), *job.path);
    // The finished file is the user's: it gets its name without our mark. (Between the close
    // and the rename another run's scan may list it as a file: it never removes it.)
    if (err == 0 && marked) UnmarkTemporary(out.get());
    if (const int closeErr = CheckedClose(out, *job.path); err == 0) err = closeErr;
    if (err == 0 && Cancelled(job.cancel)) err = ECANCELED;
    if (err == 0) err = FileSystem::Faults::At(FileSystem::FaultPoint::Name, *job.path);
    if (err == 0) err = PutInPlace(job, dirFd, temp);
    if (err != 0) {
        ::unlinkat(dirFd, temp.constData(), 0);
        return Attempt::Failed;
    }
    return Attempt::Done;
}

bool CopyFileInFolders(const QString& source, const QString& destination, const FileSystem::CopyProgress& progress,
                       const std::atomic<bool>* cancel, const FileSystem::SeenEntry& seen, FileSystem::Replaced replaced) {
    const QByteArray from = PathCodec::Encode(source);
    const QByteArray to = PathCodec::Encode(destination);
    if (Cancelled(cancel)) return Fail(ECANCELED);

    QByteArray sourceFolderPath, sourceName;
    SplitPath(from, sourceFolderPath, sourceName);
    if (sourceName.isEmpty()) return Fail(EISDIR);
    OpenFolder& sourceFolder = FileSystem::SourceFolder();
    if (!UseFolder(sourceFolderPath, sourceFolder)) return Fail(errno);
    const int sourceFd = sourceFolder.fd.get();
    struct stat src {};
    if (::fstatat(sourceFd, sourceName.constData(), &src, AT_SYMLINK_NOFOLLOW) != 0) return Fail(errno);
    if (S_ISDIR(src.st_mode)) return Fail(EISDIR);
    if (!S_ISREG(src.st_mode) && !S_ISLNK(src.st_mode)) return Fail(EINVAL);  // sockets, pipes, devices are never opened

    FdGuard in;
    if (S_ISREG(src.st_mode)) {
        in.reset(::openat(sourceFd, sourceName.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (in.get() < 0) return Fail(errno);
        if (::fstat(in.get(), &src) != 0) return Fail(errno);
        if (!S_ISREG(src.st_mode)) return Fail(EINVAL);
    }

    QByteArray folderPath, name;
    SplitPath(to, folderPath, name);
    if (name.isEmpty()) return Fail(EISDIR);
    if (name.size() > kNameMax) return Fail(ENAMETOOLONG);
    OpenFolder& destinationFolder = FileSystem::DestinationFolder();
    if (!UseFolder(folderPath, destinationFolder)) return Fail(errno);
    // No look is needed where the name is to be free: the compare saw nothing there, and every
    // way a new file gets its name (linkat, symlinkat, a rename that does not replace) refuses a
    // name that was taken since. Likewise where the letter-case check found it absent just now.
    // A destination the compare saw is looked at, to check it against what the compare saw.
    const bool expectAbsent = seen.kind == FileSystem::SeenEntry::Kind::Absent;
    const bool knownAbsent = expectAbsent || (destinationFolder.checkedAbsent && destinationFolder.checkedName == name &&
                                              seen.kind != FileSystem::SeenEntry::Kind::File &&
                                              seen.kind != FileSystem::SeenEntry::Kind::Folder);
    destinationFolder.checkedAbsent = false;
    OpenFolder& folder = destinationFolder;

    struct stat old {};
    bool replacing = false;
    if (!knownAbsent) {
        replacing = ::fstatat(folder.fd.get(), name.constData(), &old, AT_SYMLINK_NOFOLLOW) == 0;
        if (!replacing && errno != ENOENT) return Fail(errno);
    }
    if (const int err = FileSystem::SeenMismatch(replacing ? &old : nullptr, seen)) return Fail(err);
    if (replacing && S_ISDIR(old.st_mode)) return Fail(EISDIR);
    if (replacing && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode)) return Fail(FileSystem::ErrTypeConflict);

    if (S_ISLNK(src.st_mode)) {
        if (CopySymbolicLink(sourceFd, sourceName, src, folder.fd.get(), name, to, replacing, replaced)) return true;
        if (!expectAbsent || FileSystem::LastError() != EEXIST) return false;
        // Something took the name since the compare: say what stands there.
        struct stat there {};
        const bool present = ::fstatat(folder.fd.get(), name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0;
        const int err = present ? FileSystem::SeenMismatch(&there, seen) : 0;
        return Fail(err != 0 ? err : FileSystem::ErrChangedSinceCompare);
    }

    CopyJob job;
    job.in = in.get();
    job.src = &src;
    job.folder = &folder;
    job.name = name;
    job.path = &to;
    job.replacing = replacing;
    job.replaced = replaced;
    job.seen = &seen;
    job.progress = &progress;
    job.cancel = cancel;
    // The folder as the name cache knew it (at the letter-case check), before our file changes it.
    job.knewFolder = FileSystem::FolderNamesKept(folder.path);
    if (job.knewFolder) job.before = FileSystem::StampOf(folder.st);

    int err = 0;
    Attempt result = Attempt::RetryNamed;
    if (!replacing && unnamedFiles.load(std::memory_order_relaxed) >= 0) {
        result = CopyUnnamed(job, err);
        if (result == Attempt::RetryNamed && ::lseek(in.get(), 0, SEEK_SET) != 0) {
            err = errno;
            result = Attempt::Failed;
        }
    }
    if (result == Attempt::RetryNamed) result = CopyNamed(job, err);
    if (result != Attempt::Done) return Fail(err);
    // A waiting replacement adds no name the letter-case check sees (its temporary is ours), so
    // the folder's names are current as for any copy.
    if (job.knewFolder) FileSystem::NoteWrittenName(folder.path, job.before, folder.fd.get(), name);
    FileSystem::SetLastCopyWaits(job.waits);
    FileSystem::SetLastError(0);
    return true;
}

}  // namespace

namespace FileSystem {

bool CopyFile(const QString& source, const QString& destination, const CopyProgress& progress,
              const std::atomic<bool>* cancel, const SeenEntry& destinationSeen, Replaced replaced) {
    SetLastCopyWaits(false);
    const bool ok = CopyFileInFolders(source, destination, progress, cancel, destinationSeen, replaced);
    const int err = LastError();
    DoneWithFolders();
    SetLastError(err);
    return ok;
}

}  // namespace FileSystem
