// The temporary entries of the fail-safe copy: their names, their mark, and how a later run
// tells a killed copy's leftovers from a running copy's work and from a user's file.

#include "platform/CopyTemporaries.h"

#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"
#include "platform/FdGuard.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <ctime>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr char kTempPrefix[] = ".~tandor-";
constexpr char kTempSuffix[] = ".tmp";
constexpr qsizetype kNameMax = NAME_MAX;
constexpr const char* kTempMark = FileSystem::CopyTemporaryMark;
// Where a lock held on another machine cannot be seen, a temporary entry this old is no longer
// being written by anyone: no copy runs for a day without touching its file.
constexpr time_t kRemoteStaleSeconds = 24 * 60 * 60;

std::atomic<unsigned> tempCounter{0};

// Parses ".~tandor-<pid>-<counter>-<name>.tmp"; the pid, or 0 when the name is not of that form.
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

// File systems shared between machines: a lock taken on another client may not show here, and
// the pid in a name may be another machine's.
bool IsNetworkFileSystem(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return true;  // unknown: the careful answer
    switch (static_cast<unsigned long>(fs.f_type)) {
    case NFS_SUPER_MAGIC:
    case SMB_SUPER_MAGIC:
    case 0xFF534D42UL:  // cifs
    case 0xFE534D42UL:  // smb2
    case 0x65735546UL:  // fuse (sshfs and other remote folders)
    case CODA_SUPER_MAGIC:
    case AFS_SUPER_MAGIC:
    case 0x00C36400UL:  // ceph
    case V9FS_MAGIC:
    case NCP_SUPER_MAGIC: return true;
    default: return false;
    }
}

}  // namespace

namespace FileSystem {

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

bool MarkTemporary(int fd) {
    // Locked before it is marked: a marked entry whose lock is free is a killed copy's.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    return ::fsetxattr(fd, kTempMark, "1", 1, 0) == 0;
}

void UnmarkTemporary(int fd) { (void)::fremovexattr(fd, kTempMark); }

bool HasTemporaryNameForm(const QByteArray& name) { return TemporaryOwner(name) != 0; }

TempState ClassifyTemporary(int dirFd, const QByteArray& name, int* lockedFd) {
    const long pid = TemporaryOwner(name);
    if (pid == 0) return TempState::NotOurs;
    struct stat st {};
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return TempState::NotOurs;
    // Only files (the data) and folders (holding a new link) are made under these names.
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return TempState::NotOurs;
    const int fd = ::openat(dirFd, name.constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (S_ISDIR(st.st_mode) ? O_DIRECTORY : 0));
    if (fd < 0) return TempState::NotOurs;
    char value = 0;
    const bool marked = ::fgetxattr(fd, kTempMark, &value, 1) >= 0;
    const bool noMarks = !marked && (errno == ENOTSUP || errno == EOPNOTSUPP);
    TempState state = TempState::NotOurs;
    if (marked || noMarks) {
        const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        // The mark with a free lock is a killed copy's leftover, whoever has the pid in its name
        // now (in a container every run is pid 1). Without marks only the name is left to go by,
        // and its pid must not run. Where another machine's lock is invisible, only age tells.
        bool stale = free && (marked || !ProcessIsRunning(pid));
        if (stale && IsNetworkFileSystem(fd)) stale = ::time(nullptr) - st.st_mtime > kRemoteStaleSeconds;
        state = stale ? TempState::Stale : TempState::Alive;
    }
    if (state == TempState::Stale && lockedFd) *lockedFd = fd;
    else ::close(fd);
    return state;
}

bool IsCopyTemporaryName(const QString& name) {
    return name.startsWith(QLatin1String(kTempPrefix)) && TemporaryOwner(PathCodec::Encode(name)) != 0;
}

CopyTemporaryState CopyTemporaryStateOf(const QString& folder, const QString& name) {
    if (!IsCopyTemporaryName(name)) return CopyTemporaryState::NotOurs;
    QByteArray path = PathCodec::Encode(folder);
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    FdGuard dir(::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return CopyTemporaryState::NotOurs;
    return ClassifyTemporary(dir.get(), PathCodec::Encode(name));
}

bool IsCopyTemporary(const QString& folder, const QString& name) {
    return CopyTemporaryStateOf(folder, name) != CopyTemporaryState::NotOurs;
}

bool RemoveStaleCopyTemporaries(const QString& folder, int& removed) {
    removed = 0;
    QByteArray path = PathCodec::Encode(folder);
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    // Beneath the run's roots and through no link, as every change of a run.
    const FdGuard at(OpenFolderBeneathRoot(path));
    if (at.get() < 0) return false;
    const int dirFd = ::openat(at.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) {
        SetLastError(errno);
        return false;
    }
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        SetLastError(errno);
        ::close(dirFd);
        return false;
    }
    std::vector<QByteArray> candidates;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (TemporaryOwner(name) != 0) candidates.push_back(name);
    }
    int firstError = 0;
    for (const QByteArray& name : candidates) {
        int fd = -1;
        if (ClassifyTemporary(dirFd, name, &fd) != TempState::Stale) continue;
        // Held locked while it goes, so that no copy takes it up meanwhile. A folder holds the
        // link a killed copy was about to put in place.
        struct stat st {};
        const bool isFolder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
        if (isFolder) ::unlinkat(fd, "l", 0);
        if (::unlinkat(dirFd, name.constData(), isFolder ? AT_REMOVEDIR : 0) == 0) ++removed;
        else if (firstError == 0) firstError = errno;
        ::close(fd);
    }
    ::closedir(dir);
    SetLastError(firstError);
    return firstError == 0;
}

}  // namespace FileSystem
