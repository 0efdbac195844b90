// The fail-safe copy. The data goes into a temporary file beside the destination; only when
// every byte, the permissions and the modification time are in place does one rename put it
// over the destination. A copy that fails or is cancelled at any point removes its temporary
// file and leaves the old destination exactly as it was; a process killed mid-copy leaves at
// most a temporary file, which the next run recognises by its name and removes.
//
// Durability against a power cut. rename() is atomic against a crash of the process, but
// after a power cut the file system may have written the rename before the data. We therefore
// fdatasync() the temporary file before renaming it over an EXISTING destination: that is the
// case where a lost race would destroy the user's old version. A NEW destination is not
// synced one by one. A per-file fdatasync costs a journal commit: measured on ext4 on a virtual
// disk, writing and renaming a 4 KiB file took 0.26 ms without it and 8.1 ms with it, so a
// first copy of 100,000 small files would be about 30 times slower than cp; and what a power cut can cost there is a new file that is short or
// empty while its source is intact, which the next compare sees as different (size) and copies
// again. Nothing the user had is lost in either case.
//
// Write-type calls counted by FileSystem::FailNthWriteForTests: creating the temporary file,
// each data chunk, and the final rename.

#include "platform/CopyNames.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <QHash>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kTempPrefix[] = ".~tandor-";
constexpr char kTempSuffix[] = ".tmp";
constexpr qsizetype kNameMax = NAME_MAX;
// Read/write chunks: big enough that the system call cost vanishes, small enough that the
// progress window moves and Cancel answers within a fraction of a second on slow media.
constexpr size_t kChunk = size_t{1} << 20;
// copy_file_range moves data inside the kernel; bigger steps, still with progress and cancel.
constexpr size_t kRangeStep = size_t{8} << 20;

std::atomic<unsigned> tempCounter{0};

// Pairs of (source device, destination device) where FICLONE is known not to work, so that a
// run of 100,000 small files does not pay a failing ioctl for each of them.
struct DevicePair {
    dev_t from;
    dev_t to;
};
thread_local std::vector<DevicePair> noReflink;

bool ReflinkKnownUnsupported(dev_t from, dev_t to) {
    return std::any_of(noReflink.begin(), noReflink.end(),
                       [&](const DevicePair& p) { return p.from == from && p.to == to; });
}

class FdGuard {
public:
    explicit FdGuard(int fd = -1) : fd_(fd) {}
    ~FdGuard() { Close(); }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    void reset(int fd) { Close(); fd_ = fd; }
    // Closes now and reports the close error (a network file system reports write errors here).
    int Close() {
        if (fd_ < 0) return 0;
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int fd_;
};

bool Fail(int err) {
    FileSystem::SetLastError(err != 0 ? err : EIO);
    return false;
}

// The temporary name for a destination name: ".~tandor-<pid>-<counter>-<name>.tmp", with the
// name cut (at a character boundary) so that the whole stays within NAME_MAX bytes.
QByteArray TemporaryName(const QByteArray& finalName) {
    const QByteArray head = QByteArray(kTempPrefix) + QByteArray::number(static_cast<qlonglong>(::getpid())) + '-' +
                            QByteArray::number(tempCounter.fetch_add(1) + 1u) + '-';
    const QByteArray tail(kTempSuffix);
    const qsizetype room = kNameMax - head.size() - tail.size();
    QByteArray name = finalName;
    if (name.size() > room) {
        qsizetype len = room;
        while (len > 0 && (static_cast<unsigned char>(name[len]) & 0xC0) == 0x80) --len;
        name.truncate(len);
    }
    return head + name + tail;
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

QByteArray JoinPath(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

// Writes all of buf; 0 or the errno.
int WriteAll(int fd, const char* buf, size_t len) {
    while (len > 0) {
        const ssize_t n = ::write(fd, buf, len);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        buf += n;
        len -= static_cast<size_t>(n);
    }
    return 0;
}

// Copies the data of in to out; 0 or the errno (ECANCELED when cancelled).
int CopyData(int in, int out, const struct stat& src, dev_t toDevice, const FileSystem::CopyProgress& progress,
             const std::atomic<bool>* cancel) {
    const int64_t size = src.st_size;
    if (Cancelled(cancel)) return ECANCELED;

    // A reflink shares the blocks (btrfs, xfs): instant and no extra space. Not while a test
    // has armed a write fault, so that the fault hits a counted data chunk.
    if (size > 0 && !FileSystem::Faults::Armed() && !ReflinkKnownUnsupported(src.st_dev, toDevice)) {
        if (::ioctl(out, FICLONE, in) == 0) {
            if (progress) progress(size, size);
            return 0;
        }
        noReflink.push_back({src.st_dev, toDevice});
    }

    bool useRange = true;
    thread_local std::vector<char> buffer;
    int64_t copied = 0;
    while (copied < size) {
        if (Cancelled(cancel)) return ECANCELED;
        if (const int injected = FileSystem::Faults::TakeWriteFault()) return injected;
        if (useRange) {
            const size_t want = static_cast<size_t>(std::min<int64_t>(size - copied, static_cast<int64_t>(kRangeStep)));
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, want, 0);
            if (n < 0) {
                if (errno == EINTR) continue;
                if (copied == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                                    errno == EBADF || errno == EPERM)) {
                    useRange = false;  // not between these file systems: plain reads and writes
                    continue;
                }
                return errno;
            }
            if (n == 0) break;  // the source shrank since we looked at it
            copied += n;
        } else {
            if (buffer.size() < kChunk) buffer.resize(kChunk);
            const ssize_t n = ::read(in, buffer.data(), kChunk);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) break;
            if (const int err = WriteAll(out, buffer.data(), static_cast<size_t>(n))) return err;
            copied += n;
        }
        if (progress) progress(size, copied);
    }
    return 0;
}

bool CopySymbolicLink(const QByteArray& from, const QByteArray& to, const struct stat& st) {
    std::vector<char> target(static_cast<size_t>(std::max<off_t>(st.st_size, 0)) + 256);
    ssize_t n;
    for (;;) {
        n = ::readlink(from.constData(), target.data(), target.size());
        if (n < 0) return Fail(errno);
        if (static_cast<size_t>(n) < target.size()) break;
        if (target.size() > (size_t{1} << 20)) return Fail(ENAMETOOLONG);
        target.resize(target.size() * 2);
    }
    target[static_cast<size_t>(n)] = '\0';

    QByteArray folder, name;
    SplitPath(to, folder, name);
    QByteArray temp;
    for (int attempt = 0;; ++attempt) {
        if (const int injected = FileSystem::Faults::TakeWriteFault()) return Fail(injected);
        temp = JoinPath(folder, TemporaryName(name));
        if (::symlink(target.data(), temp.constData()) == 0) break;
        if (errno != EEXIST || attempt > 100) return Fail(errno);
    }
    if (::geteuid() == 0) (void)::lchown(temp.constData(), st.st_uid, st.st_gid);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    int err = 0;
    if (::utimensat(AT_FDCWD, temp.constData(), times, AT_SYMLINK_NOFOLLOW) != 0) err = errno;
    if (err == 0) err = FileSystem::Faults::TakeWriteFault();
    if (err == 0 && ::rename(temp.constData(), to.constData()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.constData());
        return Fail(err);
    }
    FileSystem::SetLastError(0);
    return true;
}

// Parses ".~tandor-<pid>-<counter>-<name>.tmp"; the pid, or 0 when the name is not ours.
long TemporaryOwner(const QByteArray& name) {
    const qsizetype prefixLen = static_cast<qsizetype>(sizeof(kTempPrefix) - 1);
    if (!name.startsWith(kTempPrefix) || !name.endsWith(kTempSuffix)) return 0;
    qsizetype i = prefixLen;
    long pid = 0;
    const qsizetype pidStart = i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') {
        if (pid > 100000000) return 0;
        pid = pid * 10 + (name[i] - '0');
        ++i;
    }
    if (i == pidStart || i >= name.size() || name[i] != '-') return 0;
    const qsizetype counterStart = ++i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9') ++i;
    if (i == counterStart || i >= name.size() || name[i] != '-') return 0;
    if (name.size() < i + 1 + static_cast<qsizetype>(sizeof(kTempSuffix) - 1)) return 0;
    return pid > 0 ? pid : 0;
}

bool ProcessIsRunning(long pid) {
    if (pid == static_cast<long>(::getpid())) return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}


// ---- names of destination folders, for the letter-case check ----

struct FolderStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime {};
    bool operator==(const FolderStamp& o) const {
        return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

bool StampOf(const QByteArray& folder, FolderStamp& stamp) {
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    stamp = {st.st_dev, st.st_ino, st.st_mtim};
    return true;
}

struct FolderNames {
    FolderStamp stamp;
    QHash<QString, QStringList> byFoldedName;
};

// A handful of folders is enough: a run copies folder by folder.
constexpr qsizetype kCachedFolders = 64;
thread_local QHash<QByteArray, FolderNames> folderNames;

QByteArray FolderKey(const QString& folder) {
    QByteArray key = PathCodec::Encode(folder);
    while (key.size() > 1 && key.endsWith('/')) key.chop(1);
    return key;
}

FolderNames* ReadFolderNames(const QByteArray& folder) {
    FolderStamp stamp;
    if (!StampOf(folder, stamp)) {
        folderNames.remove(folder);
        return nullptr;
    }
    auto it = folderNames.find(folder);
    if (it != folderNames.end() && it->stamp == stamp) return &*it;

    DIR* dir = ::opendir(folder.constData());
    if (!dir) return nullptr;
    FolderNames names;
    names.stamp = stamp;
    bool sawTemporary = false;
    while (const dirent* e = ::readdir(dir)) {
        const char* n = e->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
        const QByteArray raw(n);
        if (raw.startsWith(kTempPrefix)) {
            sawTemporary = true;
            continue;
        }
        const QString name = PathCodec::Decode(raw);
        names.byFoldedName[name.toCaseFolded()].append(name);
    }
    ::closedir(dir);
    if (sawTemporary && FileSystem::RemoveStaleCopyTemporaries(PathCodec::Decode(folder)) > 0)
        StampOf(folder, names.stamp);
    if (folderNames.size() >= kCachedFolders) folderNames.clear();
    return &*folderNames.insert(folder, std::move(names));
}

// After the copy renamed a new name into folder: when the cached names were current just
// before, they are current now with that name added.
void NoteWrittenName(const QByteArray& folder, const FolderStamp& before, const QByteArray& name) {
    auto it = folderNames.find(folder);
    if (it == folderNames.end()) return;
    FolderStamp after;
    if (!(it->stamp == before) || !StampOf(folder, after)) {
        folderNames.erase(it);
        return;
    }
    const QString decoded = PathCodec::Decode(name);
    QStringList& same = it->byFoldedName[decoded.toCaseFolded()];
    if (!same.contains(decoded)) same.append(decoded);
    it->stamp = after;
}

}  // namespace

namespace FileSystem {

bool CopyFile(const QString& source, const QString& destination, const CopyProgress& progress,
              const std::atomic<bool>* cancel) {
    const QByteArray from = PathCodec::Encode(source);
    const QByteArray to = PathCodec::Encode(destination);
    if (Cancelled(cancel)) return Fail(ECANCELED);

    struct stat src {};
    if (::lstat(from.constData(), &src) != 0) return Fail(errno);
    if (S_ISLNK(src.st_mode)) return CopySymbolicLink(from, to, src);
    if (S_ISDIR(src.st_mode)) return Fail(EISDIR);
    if (!S_ISREG(src.st_mode)) return Fail(EINVAL);  // sockets, pipes, devices are never opened

    FdGuard in(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.get() < 0) return Fail(errno);
    if (::fstat(in.get(), &src) != 0) return Fail(errno);
    if (!S_ISREG(src.st_mode)) return Fail(EINVAL);

    QByteArray folder, name;
    SplitPath(to, folder, name);
    if (name.isEmpty()) return Fail(EISDIR);
    struct stat old {};
    const bool replacing = ::lstat(to.constData(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) return Fail(EISDIR);

    // The folder as the name cache knew it, before our temporary file changes it.
    FolderStamp before;
    const bool knewFolder = folderNames.contains(folder) && StampOf(folder, before);

    QByteArray temp;
    FdGuard out;
    for (int attempt = 0;; ++attempt) {
        if (const int injected = Faults::TakeWriteFault()) return Fail(injected);
        temp = JoinPath(folder, TemporaryName(name));
        // O_EXCL: two runs never share a temporary file, whatever their names.
        out.reset(::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (out.get() >= 0) break;
        if (errno != EEXIST || attempt > 100) return Fail(errno);
    }
    // The lock tells a cleaning run that this temporary file is alive even where the pid in
    // its name means nothing (another machine writing into a shared folder).
    (void)::flock(out.get(), LOCK_EX | LOCK_NB);

    struct stat outStat {};
    int err = ::fstat(out.get(), &outStat) == 0 ? 0 : errno;
    if (err == 0) err = CopyData(in.get(), out.get(), src, outStat.st_dev, progress, cancel);
    if (err == 0) {
        if (::geteuid() == 0) (void)::fchown(out.get(), src.st_uid, src.st_gid);
        // Permissions cannot be kept on every file system (vfat refuses); the data and the
        // time stamp are what the next compare relies on.
        (void)::fchmod(out.get(), src.st_mode & 07777);
        const struct timespec times[2] = {src.st_atim, src.st_mtim};
        if (::futimens(out.get(), times) != 0) err = errno;
    }
    if (err == 0 && replacing && ::fdatasync(out.get()) != 0) err = errno;
    if (const int closeErr = out.Close(); err == 0) err = closeErr;
    if (err == 0 && Cancelled(cancel)) err = ECANCELED;
    if (err == 0) err = Faults::TakeWriteFault();
    if (err == 0 && ::rename(temp.constData(), to.constData()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.constData());
        return Fail(err);
    }
    if (knewFolder) NoteWrittenName(folder, before, name);
    SetLastError(0);
    return true;
}

QString FindCaseVariant(const QString& folder, const QString& name) {
    const FolderNames* names = ReadFolderNames(FolderKey(folder));
    if (!names) return {};
    const auto it = names->byFoldedName.constFind(name.toCaseFolded());
    if (it == names->byFoldedName.constEnd()) return {};
    for (const QString& other : *it)
        if (other != name) return other;
    return {};
}

bool IsCopyTemporaryName(const QString& name) {
    return name.startsWith(QLatin1String(kTempPrefix)) && TemporaryOwner(PathCodec::Encode(name)) != 0;
}

int RemoveStaleCopyTemporaries(const QString& folder) {
    const QByteArray path = PathCodec::Encode(folder);
    const int dirFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    std::vector<QByteArray> stale;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        const long pid = TemporaryOwner(name);
        if (pid != 0 && !ProcessIsRunning(pid)) stale.push_back(name);
    }
    int removed = 0;
    for (const QByteArray& name : stale) {
        struct stat st {};
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISLNK(st.st_mode)) {
            if (::unlinkat(dirFd, name.constData(), 0) == 0) ++removed;
            continue;
        }
        if (!S_ISREG(st.st_mode)) continue;  // only what the copy itself creates
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        // A copy that still holds its lock is alive, whatever its pid says.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(dirFd, name.constData(), 0) == 0) ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

}  // namespace FileSystem
