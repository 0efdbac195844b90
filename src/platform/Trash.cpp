// The recycle bin is the freedesktop.org Trash. A file goes to the home trash
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) when it lies on the same file system;
// otherwise to the trash at the top of its own file system ($topdir/.Trash/$uid when the
// administrator prepared a sticky .Trash there, else $topdir/.Trash-$uid). Files are moved by
// rename only, never copied across file systems: a trash that cannot take the file is an error
// for the caller, and the file stays where it was.
//
// Order as the trash layout asks: the .trashinfo file is created first (O_EXCL reserves the
// name), then the file is renamed into files/; if that fails the info file is removed again.
// A version that a copy replaces (with undo allowed) gets its name in files/ by a hard link, so
// that it stays at its place until the new version's rename takes the name (RenameOver).

#include "platform/BeneathRoot.h"
#include "platform/Clock.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/RenameOver.h"
#include "platform/SeenCheck.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Fail(int err) {
    FileSystem::SetLastError(err != 0 ? err : EIO);
    return false;
}

bool IsDirectory(const QByteArray& path, bool allowSymlink = false) {
    struct stat st {};
    const int rc = allowSymlink ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st);
    return rc == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p with the given mode for the levels it creates.
bool MakeFolders(const QByteArray& path, mode_t mode) {
    if (IsDirectory(path, true)) return true;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !MakeFolders(path.left(slash), mode)) return false;
    return ::mkdir(path.constData(), mode) == 0 || errno == EEXIST;
}

QByteArray HomeTrash() {
    QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !dataHome.startsWith('/')) {
        const QByteArray home = qgetenv("HOME");
        if (home.isEmpty()) return {};
        dataHome = home + "/.local/share";
    }
    return dataHome + "/Trash";
}

// The mount point holding path: walk up while the device stays the same.
QByteArray TopDirectory(const QByteArray& path, dev_t device) {
    QByteArray current = path;
    for (;;) {
        const qsizetype slash = current.lastIndexOf('/');
        if (slash <= 0) return "/";
        const QByteArray parent = current.left(slash);
        struct stat st {};
        if (::lstat(parent.constData(), &st) != 0 || st.st_dev != device) return current;
        current = parent;
    }
}

// The trash folder on the file system of the file; empty when none can be used.
QByteArray VolumeTrash(const QByteArray& topDir) {
    const QByteArray base = topDir == "/" ? QByteArray() : topDir;
    const QByteArray uid = QByteArray::number(static_cast<qulonglong>(::getuid()));
    const QByteArray shared = base + "/.Trash";
    struct stat st {};
    // The shared .Trash counts only when it is a real sticky folder (not a link planted there).
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const QByteArray mine = shared + '/' + uid;
        if (MakeFolders(mine + "/files", 0700) && MakeFolders(mine + "/info", 0700)) return mine;
    }
    const QByteArray own = base + "/.Trash-" + uid;
    if (::lstat(own.constData(), &st) == 0) {
        if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) return {};
    } else if (::mkdir(own.constData(), 0700) != 0) {
        return {};
    }
    if (MakeFolders(own + "/files", 0700) && MakeFolders(own + "/info", 0700)) return own;
    return {};
}

QByteArray AbsolutePath(const QByteArray& path) {
    if (path.startsWith('/')) return path;
    char buf[4096];
    if (!::getcwd(buf, sizeof buf)) return path;
    return QByteArray(buf) + '/' + path;
}

QByteArray InfoText(const QByteArray& pathForInfo) {
    // Path= holds the bytes percent-encoded like a URL path; '/' stays as it is.
    const QByteArray encoded = pathForInfo.toPercentEncoding("/");
    const QByteArray date = Clock::Now().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    return "[Trash Info]\nPath=" + encoded + "\nDeletionDate=" + date + "\n";
}

bool WriteAll(int fd, const QByteArray& data) {
    const char* p = data.constData();
    size_t left = static_cast<size_t>(data.size());
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// A name in the trash that the info file reserves: the entry goes to `target` next, or the info
// file is removed again.
struct TrashSlot {
    QByteArray infoPath;
    QByteArray target;
    void Release() const { ::unlink(infoPath.constData()); }
};

// Reserves a place in the trash on the file system of file (st: its lstat), its info file
// written; 0 or the error.
int ReserveTrashSlot(const QByteArray& file, const struct stat& st, TrashSlot& slot) {
    QByteArray trash;
    QByteArray pathForInfo = file;
    const QByteArray home = HomeTrash();
    struct stat homeStat {};
    if (!home.isEmpty() && MakeFolders(home + "/files", 0700) && MakeFolders(home + "/info", 0700) &&
        ::stat((home + "/files").constData(), &homeStat) == 0 && homeStat.st_dev == st.st_dev) {
        trash = home;
    } else {
        const QByteArray top = TopDirectory(file, st.st_dev);
        trash = VolumeTrash(top);
        if (trash.isEmpty()) return EXDEV;
        // Paths in a volume's trash are relative to its top, so the volume can move.
        if (top != "/" && file.startsWith(top + '/')) pathForInfo = file.mid(top.size() + 1);
    }

    const qsizetype slash = file.lastIndexOf('/');
    QByteArray baseName = file.mid(slash + 1);
    // Room for ".trashinfo" and a counter within NAME_MAX; cut at a character boundary.
    constexpr qsizetype kRoom = 255 - 10 - 8;
    if (baseName.size() > kRoom) {
        qsizetype len = kRoom;
        while (len > 0 && (static_cast<unsigned char>(baseName[len]) & 0xC0) == 0x80) --len;
        baseName.truncate(len);
    }
    const QByteArray info = InfoText(pathForInfo);
    for (int n = 1; n < 10000; ++n) {
        QByteArray trashName = baseName;
        if (n > 1) {
            // name.2.ext keeps the extension, so the file still opens with its program.
            const qsizetype dot = baseName.lastIndexOf('.');
            const QByteArray suffix = '.' + QByteArray::number(n);
            trashName = dot > 0 ? baseName.left(dot) + suffix + baseName.mid(dot) : baseName + suffix;
        }
        slot.infoPath = trash + "/info/" + trashName + ".trashinfo";
        const int fd = ::open(slot.infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return errno;
        }
        const bool written = WriteAll(fd, info);
        const int writeErr = errno;
        if (::close(fd) != 0 || !written) {
            const int err = written ? errno : writeErr;
            slot.Release();
            return err;
        }
        slot.target = trash + "/files/" + trashName;
        struct stat existing {};
        if (::lstat(slot.target.constData(), &existing) == 0) {
            // A file without an info file (left by another program): never overwrite it.
            slot.Release();
            continue;
        }
        return 0;
    }
    return EEXIST;
}

// Whether linkat's error says that this file system keeps no second name for a file.
bool NoHardLinks(int err) { return err == EPERM || err == EOPNOTSUPP || err == EMLINK || err == ENOSYS; }

}  // namespace

namespace FileSystem {

bool MoveToTrash(const QString& path, const SeenEntry& seen) {
    QByteArray file = AbsolutePath(PathCodec::Encode(path));
    while (file.size() > 1 && file.endsWith('/')) file.chop(1);
    if (const int injected = Faults::At(FaultPoint::Trash, file)) return Fail(injected);
    // The file is taken from its folder opened beneath the run's root; only the trash, which
    // belongs to the user and not to the synchronised tree, is reached by its path.
    QByteArray fileName;
    const ParentFolder folder = ParentForChange(file, fileName);
    if (folder.fd() < 0) return false;
    struct stat st {};
    if (::fstatat(folder.fd(), fileName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT || seen.kind == SeenEntry::Kind::NotChecked) return Fail(errno);
        return Fail(SeenMismatch(nullptr, seen));
    }
    if (const int err = SeenMismatch(&st, seen)) return Fail(err);

    TrashSlot slot;
    if (const int err = ReserveTrashSlot(file, st, slot)) return Fail(err);
    if (::renameat(folder.fd(), fileName.constData(), AT_FDCWD, slot.target.constData()) != 0) {
        const int err = errno;
        slot.Release();
        return Fail(err);
    }
    SetLastError(0);
    return true;
}

int RenameOver(int fromFd, const QByteArray& temp, int dirFd, const QByteArray& name, const QByteArray& path,
               Replaced replaced) {
    if (replaced == Replaced::Discard)
        return ::renameat(fromFd, temp.constData(), dirFd, name.constData()) == 0 ? 0 : errno;
    // The rename is asked about once more here, after the old version went to the trash.
    const auto rename = [&] {
        if (const int injected = Faults::At(FaultPoint::Name, path)) return injected;
        return ::renameat(fromFd, temp.constData(), dirFd, name.constData()) == 0 ? 0 : errno;
    };
    struct stat old {};
    if (::fstatat(dirFd, name.constData(), &old, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT ? rename() : errno;
    if (const int injected = Faults::At(FaultPoint::Trash, path)) return injected;
    TrashSlot slot;
    if (const int err = ReserveTrashSlot(AbsolutePath(path), old, slot)) return err;
    // A second name in the trash keeps the old version while the rename replaces the first, so
    // that it is at its place or in the trash at every moment.
    const int linkErr = Faults::At(FaultPoint::TrashLink, path);
    if (linkErr == 0 && ::linkat(dirFd, name.constData(), AT_FDCWD, slot.target.constData(), 0) == 0) {
        const int err = rename();
        if (err != 0) {
            ::unlink(slot.target.constData());
            slot.Release();
        }
        return err;
    }
    const int err = linkErr ? linkErr : errno;
    if (!NoHardLinks(err)) {
        slot.Release();
        return err;
    }
    // No hard links here (FAT, some network file systems): the old version moves into the trash,
    // and back should the new one fail to take its name. The new version is complete meanwhile.
    if (::renameat(dirFd, name.constData(), AT_FDCWD, slot.target.constData()) != 0) {
        const int moveErr = errno;
        slot.Release();
        return moveErr;
    }
    if (const int renameErr = rename()) {
        if (::renameat2(AT_FDCWD, slot.target.constData(), dirFd, name.constData(), RENAME_NOREPLACE) == 0)
            slot.Release();
        return renameErr;
    }
    return 0;
}

}  // namespace FileSystem
