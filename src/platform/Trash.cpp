// The recycle bin is the freedesktop.org Trash. A file goes to the home trash
// ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash) when it lies on the same file system;
// otherwise to the trash at the top of its own file system ($topdir/.Trash/$uid when the
// administrator prepared a sticky .Trash there, else $topdir/.Trash-$uid). Files are moved by
// rename only, never copied across file systems: a trash that cannot take the file is an error
// for the caller, and the file stays where it was.
//
// Order as the trash layout asks: the .trashinfo file is created first (O_EXCL reserves the
// name), then the file is renamed into files/; if that fails the info file is removed again.

#include "platform/BeneathRoot.h"
#include "platform/Clock.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"
#include "platform/SeenCheck.h"

#include <cerrno>

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
        if (trash.isEmpty()) return Fail(EXDEV);
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
        const QByteArray infoPath = trash + "/info/" + trashName + ".trashinfo";
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return Fail(errno);
        }
        const bool written = WriteAll(fd, info);
        const int writeErr = errno;
        if (::close(fd) != 0 || !written) {
            const int err = written ? errno : writeErr;
            ::unlink(infoPath.constData());
            return Fail(err);
        }
        const QByteArray target = trash + "/files/" + trashName;
        struct stat existing {};
        if (::lstat(target.constData(), &existing) == 0) {
            // A file without an info file (left by another program): never overwrite it.
            ::unlink(infoPath.constData());
            continue;
        }
        if (::renameat(folder.fd(), fileName.constData(), AT_FDCWD, target.constData()) != 0) {
            const int err = errno;
            ::unlink(infoPath.constData());
            return Fail(err);
        }
        SetLastError(0);
        return true;
    }
    return Fail(EEXIST);
}

}  // namespace FileSystem
