// Listing folders and reading and setting the attribute word.
//
// Linux has no attribute word, so it is derived: directory from lstat (a link is never a
// folder), hidden from a leading ".", read-only from the owner's write permission. System,
// hidden and archive come from the file system itself where it keeps DOS attributes (vfat
// through its ioctl, NTFS and CIFS through their extended attributes). Elsewhere the archive
// bit is emulated with an extended attribute that records the file's identity stamp (inode,
// modification time, size) at the moment the program cleared the bit: any later change of the
// file, or a new file in its place, no longer matches the stamp and so carries the bit again,
// which is how the bit behaves where it is real. Without extended attributes it is always set.

#include "platform/FileListing.h"

#include "platform/Attributes.h"
#include "platform/BeneathRoot.h"
#include "platform/FaultInjection.h"
#include "platform/PathCodec.h"
#include "platform/SeenCheck.h"

#include <QHash>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include <dirent.h>
#include <sys/syscall.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

thread_local int lastError = 0;

// ---- file system kinds ----

constexpr long VfatMagic = 0x4d44;         // MSDOS_SUPER_MAGIC
constexpr long NtfsMagic = 0x5346544e;     // the classic ntfs driver
constexpr long Ntfs3Magic = 0x7366746e;    // ntfs3
constexpr long CifsMagic = 0xFF534D42;
constexpr long Smb2Magic = 0xFE534D42;
constexpr long SmbMagic = 0x517B;
constexpr long ExfatMagic = 0x2011BAB0;
constexpr long FuseMagic = 0x65735546;
// The casefold flag of a folder on ext4 and f2fs (FS_CASEFOLD_FL of linux/fs.h).
constexpr int CasefoldFlag = 0x40000000;

enum class DosKind { None, Fat, XattrNtfs3, XattrNtfs3g, XattrCifs };

DosKind KindOf(long fsType) {
    switch (fsType) {
    case VfatMagic: return DosKind::Fat;
    case Ntfs3Magic: return DosKind::XattrNtfs3;
    case NtfsMagic: return DosKind::XattrNtfs3g;
    case CifsMagic:
    case Smb2Magic: return DosKind::XattrCifs;
    default: return DosKind::None;
    }
}

const char* DosXattrName(DosKind kind) {
    switch (kind) {
    case DosKind::XattrNtfs3: return "system.dos_attrib";
    case DosKind::XattrNtfs3g: return "system.ntfs_attrib";
    case DosKind::XattrCifs: return "user.cifs.dosattrib";
    default: return nullptr;
    }
}

constexpr uint32_t DosBits = Attr::ReadOnly | Attr::Hidden | Attr::System | Attr::Archive;

// The DOS attributes of a path on a file system that keeps them; false when they could not be
// read (the caller then derives what it can).
bool ReadDosAttributes(DosKind kind, const char* path, bool isLink, uint32_t& out) {
    if (kind == DosKind::None || isLink) return false;
    if (kind == DosKind::Fat) {
        const int fd = ::open(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        uint32_t a = 0;
        const bool ok = ::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &a) == 0;
        ::close(fd);
        if (ok) out = a & DosBits;
        return ok;
    }
    unsigned char buf[4] = {0, 0, 0, 0};
    if (::lgetxattr(path, DosXattrName(kind), buf, sizeof buf) != 4) return false;
    out = (uint32_t(buf[0]) | uint32_t(buf[1]) << 8 | uint32_t(buf[2]) << 16 | uint32_t(buf[3]) << 24) & DosBits;
    return true;
}

// path names the entry through /proc/self/fd (see SetAttributes), which must be followed.
bool WriteDosAttributes(DosKind kind, const char* path, uint32_t bits) {
    if (kind == DosKind::Fat) {
        const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return false;
        uint32_t a = bits & DosBits;
        const bool ok = ::ioctl(fd, FAT_IOCTL_SET_ATTRIBUTES, &a) == 0;
        const int err = errno;
        ::close(fd);
        errno = err;
        return ok;
    }
    uint32_t old = 0;
    unsigned char buf[4] = {0, 0, 0, 0};
    if (::getxattr(path, DosXattrName(kind), buf, sizeof buf) == 4)
        old = uint32_t(buf[0]) | uint32_t(buf[1]) << 8 | uint32_t(buf[2]) << 16 | uint32_t(buf[3]) << 24;
    const uint32_t v = (old & ~DosBits) | (bits & DosBits);
    const unsigned char out[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                  static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
    return ::setxattr(path, DosXattrName(kind), out, sizeof out, 0) == 0;
}

// ---- the emulated archive bit ----

int ArchiveStamp(const struct stat& st, char* buf, size_t size) {
    return std::snprintf(buf, size, "%llu:%lld.%09ld:%lld", static_cast<unsigned long long>(st.st_ino),
                         static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec),
                         static_cast<long long>(st.st_size));
}

// getxattrat (Linux 6.13) reads an attribute of a name relative to an open folder, which spares
// the walk along the whole path that lgetxattr makes for every file of a listing.
#ifndef SYS_getxattrat
#define SYS_getxattrat 464
#endif
struct XattrArgs {
    uint64_t value;
    uint32_t size;
    uint32_t flags;
};
std::atomic<bool> haveGetxattrat{true};

ssize_t GetXattrAt(int dirFd, const char* name, const char* path, const char* attr, char* buf, size_t size) {
#if defined(__x86_64__) || defined(__aarch64__)
    if (dirFd >= 0 && haveGetxattrat.load(std::memory_order_relaxed)) {
        XattrArgs args{reinterpret_cast<uintptr_t>(buf), static_cast<uint32_t>(size), 0};
        const long n = ::syscall(SYS_getxattrat, dirFd, name, AT_SYMLINK_NOFOLLOW, attr, &args, sizeof args);
        if (n >= 0 || errno != ENOSYS) return static_cast<ssize_t>(n);
        haveGetxattrat.store(false, std::memory_order_relaxed);
    }
#else
    (void)dirFd;
    (void)name;
#endif
    return ::lgetxattr(path, attr, buf, size);
}

// Whether a regular file carries the archive bit. xattrUsable is cleared when the file system
// refuses extended attributes, so that a folder full of files asks only once.
bool ArchiveSet(int dirFd, const char* name, const char* path, const struct stat& st, bool& xattrUsable) {
    if (!xattrUsable) return true;
    char stored[96];
    const ssize_t n = GetXattrAt(dirFd, name, path, FileSystem::ArchiveXattrName, stored, sizeof stored - 1);
    if (n < 0) {
        if (errno == ENOTSUP) xattrUsable = false;
        return true;
    }
    char expected[96];
    const int m = ArchiveStamp(st, expected, sizeof expected);
    return !(n == m && std::memcmp(stored, expected, static_cast<size_t>(n)) == 0);
}

// ---- the attribute word ----

struct AttrContext {
    DosKind dos = DosKind::None;
    bool readArchive = true;
    bool xattrUsable = true;
};

// dirFd (or -1) is the open folder that holds name; fullPath names the same entry.
uint32_t AttributesOf(int dirFd, const char* fullPath, const char* name, const struct stat& st, AttrContext& ctx) {
    const bool isDir = S_ISDIR(st.st_mode);
    const bool isLink = S_ISLNK(st.st_mode);
    uint32_t a = 0;
    if (isDir) a |= Attr::Directory;
    if (name[0] == '.') a |= Attr::Hidden;
    // A link's own permission bits mean nothing (always rwx); it is never read-only.
    if (!isLink && (st.st_mode & S_IWUSR) == 0) a |= Attr::ReadOnly;
    uint32_t dos = 0;
    if (ReadDosAttributes(ctx.dos, fullPath, isLink, dos)) {
        a |= dos & (Attr::Hidden | Attr::System | Attr::ReadOnly);
        if (!isDir) a |= dos & Attr::Archive;
        return a;
    }
    if (!isDir && (!ctx.readArchive || ArchiveSet(dirFd, name, fullPath, st, ctx.xattrUsable))) a |= Attr::Archive;
    return a;
}

const char* BaseName(const QByteArray& path) {
    const char* p = path.constData();
    const char* slash = std::strrchr(p, '/');
    return slash ? slash + 1 : p;
}

QByteArray WithoutTrailingSlash(const QString& path) {
    QByteArray p = PathCodec::Encode(path);
    while (p.size() > 1 && p.endsWith('/')) p.chop(1);
    return p;
}

long FileSystemType(const char* path) {
    struct statfs sf {};
    if (::statfs(path, &sf) != 0) return 0;
    return static_cast<long>(sf.f_type);
}

// ---- letter case ----

// The file system type that /proc/self/mountinfo gives for the mount of device dev ("fuseblk",
// "fuse.gvfsd-fuse" ...), or empty.
QByteArray MountedTypeOf(dev_t dev) {
    FILE* f = std::fopen("/proc/self/mountinfo", "re");
    if (!f) return {};
    const QByteArray wanted = QByteArray::number(major(dev)) + ':' + QByteArray::number(minor(dev));
    QByteArray type;
    char* line = nullptr;
    size_t size = 0;
    while (::getline(&line, &size, f) > 0) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        const QList<QByteArray> fields = QByteArray(line).trimmed().split(' ');
        if (fields.size() < 3 || fields[2] != wanted) continue;
        const qsizetype dash = fields.indexOf("-");
        if (dash >= 0 && dash + 1 < fields.size()) type = fields[dash + 1];
    }
    std::free(line);
    std::fclose(f);
    return type;
}

// A user-space file system folds case where it stands for one that does: ntfs-3g and the
// exfat driver mount as "fuseblk", and a GVfs share lies below "smb-share:".
bool FuseFoldsCase(dev_t dev, const QByteArray& path) {
    const QByteArray type = MountedTypeOf(dev);
    if (type == "fuseblk" || type.contains("ntfs") || type.contains("exfat")) return true;
    return type == "fuse.gvfsd-fuse" && path.contains("/smb-share:");
}

std::mutex foldingMutex;
std::vector<QString>& FoldingFoldersForTests() {
    static std::vector<QString> folders;
    return folders;
}

bool FoldsCaseForTests(const QString& folder) {
    std::lock_guard<std::mutex> lock(foldingMutex);
    for (const QString& f : FoldingFoldersForTests()) {
        if (folder == f || (folder.startsWith(f) && (f.endsWith(QLatin1Char('/')) || folder[f.size()] == u'/')))
            return true;
    }
    return false;
}

bool Fail(int err) {
    lastError = err;
    return false;
}

}  // namespace

namespace FileSystem {

int LastError() { return lastError; }
void SetLastError(int err) { lastError = err; }

bool IsProgramError(int err) { return err >= ErrChangedSinceCompare && err <= ErrCaseConflict; }

QString ErrorText(int err) {
    switch (err) {
    case ErrChangedSinceCompare: return QStringLiteral("The entry was changed after the compare.");
    case ErrUnsafePath: return QStringLiteral("The path leads through a symbolic link or out of its root folder.");
    case ErrTypeConflict: return QStringLiteral("A folder on one side has a file, link or special file of the same name on the other.");
    case ErrCaseConflict: return QStringLiteral("Names that differ only in letter case cannot be told apart here.");
    default: break;
    }
    char buf[256];
    // The GNU strerror_r returns the text, which may or may not live in buf.
    const char* text = ::strerror_r(err, buf, sizeof buf);
    return QString::fromLocal8Bit(text);
}

bool IsPathNotFound(int err) { return err == ENOENT || err == ENOTDIR; }
bool IsFolderNotEmpty(int err) { return err == ENOTEMPTY || err == EEXIST; }
bool IsFileInUse(int err) { return err == EBUSY || err == ETXTBSY; }

uint32_t GetAttributes(const QString& path) {
    const QByteArray p = WithoutTrailingSlash(path);
    struct stat st {};
    if (p.isEmpty() || ::lstat(p.constData(), &st) != 0) {
        lastError = p.isEmpty() ? ENOENT : errno;
        return Attr::Invalid;
    }
    AttrContext ctx;
    if (!S_ISLNK(st.st_mode)) ctx.dos = KindOf(FileSystemType(p.constData()));
    lastError = 0;
    return AttributesOf(-1, p.constData(), BaseName(p), st, ctx);
}

uint32_t GetRootAttributes(const QString& path) {
    const uint32_t a = GetAttributes(path);
    if (a == Attr::Invalid || (a & Attr::Directory) != 0) return a;
    const QByteArray p = WithoutTrailingSlash(path);
    struct stat st {};
    if (::stat(p.constData(), &st) == 0 && S_ISDIR(st.st_mode)) return a | Attr::Directory;
    return a;
}

int64_t CurrentUtcOffsetSeconds() {
    const time_t now = ::time(nullptr);
    struct tm local {};
    ::localtime_r(&now, &local);
    return static_cast<int64_t>(local.tm_gmtoff);
}

namespace {

// The entries of an open folder, read straight from the kernel in large blocks: one call for
// most folders (and one that finds the end), without the calls a directory stream adds when it
// is opened (a stat and two of fcntl per folder).
class FolderEntries {
public:
    explicit FolderEntries(int fd) : fd_(fd) {
        thread_local std::vector<char> block(BlockBytes);
        buffer_ = block.data();
    }
    // The next entry; null at the end (errno 0) or on an error (errno set).
    const dirent64* Next() {
        if (at_ >= filled_) {
            const ssize_t n = ::getdents64(fd_, buffer_, BlockBytes);
            if (n <= 0) {
                if (n == 0) errno = 0;
                return nullptr;
            }
            filled_ = static_cast<size_t>(n);
            at_ = 0;
        }
        const auto* e = reinterpret_cast<const dirent64*>(buffer_ + at_);
        at_ += e->d_reclen;
        return e;
    }

private:
    static constexpr size_t BlockBytes = 64 * 1024;
    int fd_;
    char* buffer_ = nullptr;
    size_t filled_ = 0;
    size_t at_ = 0;
};

}  // namespace

bool ListFolder(const QString& folder, std::vector<ListedEntry>& out) {
    return ListFolder(folder, out, ListOptions{});
}

bool ListFolder(const QString& folder, std::vector<ListedEntry>& out, const ListOptions& options) {
    out.clear();
    const QByteArray dir = WithoutTrailingSlash(folder);
    if (dir.isEmpty()) return Fail(ENOENT);
    if (const int injected = Faults::At(FaultPoint::OpenListing, dir)) return Fail(injected);

    // O_NOFOLLOW: a folder of the tree that was replaced by a link since its parent was listed
    // is not entered; the listing never leaves the tree.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (options.followLink ? 0 : O_NOFOLLOW);
    const int fd = ::open(dir.constData(), flags);
    if (fd < 0) return Fail(errno == ELOOP ? ENOTDIR : errno);
    FolderEntries entries(fd);

    AttrContext ctx;
    ctx.readArchive = options.readArchive;
    {
        struct statfs sf {};
        if (::fstatfs(fd, &sf) == 0) ctx.dos = KindOf(static_cast<long>(sf.f_type));
    }

    // Full path buffer for the calls that take a path (extended attributes).
    QByteArray full = dir;
    if (!full.endsWith('/')) full.append('/');
    const qsizetype base = full.size();

    errno = 0;
    while (const dirent64* e = entries.Next()) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
        if (const int injected = Faults::At(FaultPoint::ReadListing, dir)) {
            errno = injected;
            break;
        }
        const size_t len = std::strlen(name);
        // Sockets, pipes and devices are never listed; their type is known without a stat.
        if (e->d_type != DT_REG && e->d_type != DT_DIR && e->d_type != DT_LNK && e->d_type != DT_UNKNOWN) {
            if (options.specialNames)
                options.specialNames->push_back(PathCodec::Decode(name, static_cast<qsizetype>(len)));
            continue;
        }
        struct stat st {};
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;  // vanished meanwhile
        if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode) && !S_ISLNK(st.st_mode)) {
            if (options.specialNames)
                options.specialNames->push_back(PathCodec::Decode(name, static_cast<qsizetype>(len)));
            continue;
        }
        if (options.skipFolder && S_ISDIR(st.st_mode) && static_cast<uint64_t>(st.st_ino) == options.skipFolder->inode &&
            static_cast<uint64_t>(st.st_dev) == options.skipFolder->device)
            continue;

        // The whole path only serves the calls that read attributes by path.
        if (ctx.dos != DosKind::None || ctx.readArchive) {
            full.truncate(base);
            full.append(name, static_cast<qsizetype>(len));
        }

        ListedEntry entry;
        entry.name = PathCodec::Decode(name, static_cast<qsizetype>(len));
        entry.attributes = AttributesOf(fd, full.constData(), name, st, ctx);
        if (!S_ISDIR(st.st_mode)) {
            entry.mtimeSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
            entry.size = static_cast<int64_t>(st.st_size);
        }
        out.push_back(std::move(entry));
        errno = 0;
    }
    const int readErr = errno;
    ::close(fd);
    if (readErr != 0) {
        // A listing that broke off in the middle is not a listing: the caller must not take
        // the missing names for deleted ones.
        out.clear();
        return Fail(readErr);
    }
    lastError = 0;
    return true;
}

bool SetAttributes(const QString& path, uint32_t attributes, const SeenEntry& seen) {
    const QByteArray p = WithoutTrailingSlash(path);
    if (p.isEmpty()) return Fail(ENOENT);
    if (const int injected = Faults::At(FaultPoint::Attributes, p)) return Fail(injected);
    QByteArray name;
    const ParentFolder folder = ParentForChange(p, name);
    if (folder.fd() < 0) return Fail(FileSystem::LastError());
    // The entry itself, never the file a link points at: O_PATH with O_NOFOLLOW opens a link
    // as a link, and every change below goes through this handle.
    const int fd = ::openat(folder.fd(), name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (err == ENOENT && seen.kind != SeenEntry::Kind::NotChecked) return Fail(SeenMismatch(nullptr, seen));
        return Fail(err);
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) return Fail(errno);
    if (const int err = SeenMismatch(&st, seen)) return Fail(err);
    // A link has no attributes of its own here; chmod would change the file it points at.
    if (S_ISLNK(st.st_mode)) {
        lastError = 0;
        return true;
    }
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) return Fail(ErrTypeConflict);
    // The handle as a path the calls below accept (an O_PATH handle serves no fchmod or
    // fsetxattr); /proc resolves it to the very entry opened above.
    char proc[64];
    std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd);

    const DosKind dos = KindOf(FileSystemType(proc));
    if (dos != DosKind::None) {
        if (!WriteDosAttributes(dos, proc, attributes)) return Fail(errno);
        lastError = 0;
        return true;
    }

    const mode_t oldMode = st.st_mode & 07777;
    mode_t mode = oldMode;
    if (attributes & Attr::ReadOnly) mode &= static_cast<mode_t>(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else mode |= S_IWUSR;

    if (!S_ISDIR(st.st_mode)) {
        // The archive mark is written while the file is still writable: an ordinary user may
        // not set an extended attribute on a file without write permission, so a read-only
        // file is opened up for the moment of the write (the owner may always change the mode).
        mode_t current = oldMode;
        if ((oldMode & S_IWUSR) == 0 && ::chmod(proc, oldMode | S_IWUSR) == 0) current = oldMode | S_IWUSR;
        int err = 0;
        if (attributes & Attr::Archive) {
            if (::removexattr(proc, ArchiveXattrName) != 0 && errno != ENODATA && errno != ENOTSUP) err = errno;
        } else {
            // Stamp the file as it is now; chmod changes only its ctime, which the stamp ignores.
            char stamp[96];
            const int n = ArchiveStamp(st, stamp, sizeof stamp);
            if (::setxattr(proc, ArchiveXattrName, stamp, static_cast<size_t>(n), 0) != 0 && errno != ENOTSUP)
                err = errno;
        }
        if (mode != current && ::chmod(proc, mode) != 0 && err == 0) err = errno;
        if (err != 0) return Fail(err);
        lastError = 0;
        return true;
    }
    if (mode != oldMode && ::chmod(proc, mode) != 0) return Fail(errno);
    lastError = 0;
    return true;
}

bool IdentityOfFolder(const QString& path, FolderIdentity& out) {
    const QByteArray p = WithoutTrailingSlash(path);
    struct stat st {};
    if (p.isEmpty() || ::stat(p.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    out.device = static_cast<uint64_t>(st.st_dev);
    out.inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool FolderFoldsCase(const QString& folder) {
    QByteArray p = WithoutTrailingSlash(folder);
    if (p.isEmpty()) return false;
    if (FoldsCaseForTests(PathCodec::Decode(p))) return true;
    int fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    // A folder still to be made (AutoCreate) gets the letter case rules of the folder it will
    // be made in.
    while (fd < 0 && errno == ENOENT && p.lastIndexOf('/') > 0) {
        p.truncate(p.lastIndexOf('/'));
        fd = ::open(p.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    }
    if (fd < 0) return false;
    bool folds = false;
    struct statfs sf {};
    struct stat st {};
    if (::fstatfs(fd, &sf) == 0) {
        switch (static_cast<long>(sf.f_type)) {
        case VfatMagic:
        case ExfatMagic:
        case NtfsMagic:
        case Ntfs3Magic:
        case CifsMagic:
        case Smb2Magic:
        case SmbMagic: folds = true; break;
        case FuseMagic: folds = ::fstat(fd, &st) == 0 && FuseFoldsCase(st.st_dev, p); break;
        default: {
            // ext4 and f2fs fold case per folder; the flag passes to the folders made in it.
            int flags = 0;
            folds = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & CasefoldFlag) != 0;
        }
        }
    }
    ::close(fd);
    return folds;
}

void SetCaseFoldingFoldersForTests(const std::vector<QString>& folders) {
    std::lock_guard<std::mutex> lock(foldingMutex);
    FoldingFoldersForTests() = folders;
}

}  // namespace FileSystem
