#include "platform/IniFileIo.h"

#include "platform/PathCodec.h"

#include <QStringDecoder>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Windows-1252 code points of the bytes 0x80..0x9F; the five unassigned bytes map to the C1
// control of the same number, as the platform's conversion does.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool WriteAllBytes(int fd, const QByteArray& data) {
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// The file that a write really replaces: the target of a symbolic link, so the link survives.
QByteArray ResolveTarget(const QByteArray& path) {
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* real = ::realpath(path.constData(), nullptr);
        if (real) {
            QByteArray out(real);
            ::free(real);
            return out;
        }
    }
    return path;
}

QByteArray FolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0) return QByteArrayLiteral(".");
    if (slash == 0) return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray NameOf(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

// How often a lock is taken again because the file was replaced while we waited for it. Every
// retry means another writer finished, so this is only reached when the path keeps changing
// under us (or a file system reports no stable inode); the write then fails rather than go ahead
// unlocked.
constexpr int kMaxLockAttempts = 1000;

// Holds the advisory lock on a file's contents for its lifetime, without a lock file of its own:
// nothing is left beside the user's settings and profiles, and nothing ever has to be deleted
// that another process might hold or wait on.
// An existing file is locked itself (flock on its inode). A write replaces the file by a rename,
// so whoever gets the lock checks that the path still names the inode it locked and otherwise
// starts over on the new file. A missing file is stood in for by its folder, checked the same
// way: once the file exists, only its own lock counts, and the writer that created it has
// finished by then (the rename is its last step).
class FileLock {
public:
    explicit FileLock(const QByteArray& target) {
        for (int attempt = 0; attempt < kMaxLockAttempts; ++attempt) {
            struct stat seen {};
            const bool existed = ::stat(target.constData(), &seen) == 0;
            const QByteArray lockPath = existed ? target : FolderOf(target);
            // Non-blocking open: a pipe must not hang the program; flock ignores the flag.
            const int fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                // Not readable (or the folder is missing): the write goes ahead unlocked and will
                // most likely fail on its own, as every other process's does.
                held_ = true;
                return;
            }
            while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
            }
            struct stat locked {};
            struct stat now {};
            const bool lockedOk = ::fstat(fd, &locked) == 0;
            const bool existsNow = ::stat(target.constData(), &now) == 0;
            const bool stillTheSame =
                existed ? (existsNow && lockedOk && now.st_dev == locked.st_dev && now.st_ino == locked.st_ino)
                        : !existsNow;
            if (stillTheSame) {
                fd_ = fd;
                held_ = true;
                return;
            }
            ::close(fd);  // replaced or created meanwhile: lock what the path names now
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    // False when the lock could not be pinned to the file (see kMaxLockAttempts).
    bool Held() const { return held_; }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

private:
    int fd_ = -1;
    bool held_ = false;
};

IniFileIo::RawFile ReadEncoded(const QByteArray& path) {
    IniFileIo::RawFile out;
    // Non-blocking open: a pipe given as a settings or profile path must not hang the program;
    // only regular files are read (the flag does not matter for them).
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return out;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return out;
    }
    out.exists = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        const qint64 room = IniFileIo::MaxFileBytes - out.bytes.size();
        if (n > room) {
            out.bytes.append(buffer, static_cast<qsizetype>(room));
            out.tooLarge = true;
            break;
        }
        out.bytes.append(buffer, static_cast<qsizetype>(n));
    }
    ::close(fd);
    return out;
}

bool WriteAtomically(const QByteArray& target, const QByteArray& contents, bool existed) {
    QByteArray tempPath = FolderOf(target) + "/." + NameOf(target) + ".XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) return false;
    mode_t mode = 0644;
    struct stat st {};
    if (existed && ::stat(target.constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(022);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = WriteAllBytes(fd, contents) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    int why = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        why = errno;
    }
    if (ok && ::rename(tempPath.constData(), target.constData()) != 0) {
        ok = false;
        why = errno;
    }
    if (!ok) {
        ::unlink(tempPath.constData());
        errno = why;  // the caller tells the user why, not what the clean-up did
    }
    return ok;
}

}  // namespace

namespace IniFileIo {

RawFile ReadFile(const QString& path) {
    if (path.isEmpty()) return {};
    return ReadEncoded(PathCodec::Encode(path));
}

bool IsValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString ignored = decoder.decode(bytes);
    return !decoder.hasError();
}

QString DecodeWindows1252(const QByteArray& bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        d[i] = (c >= 0x80 && c < 0xA0) ? QChar(kCp1252High[c - 0x80]) : QChar(c);
    }
    return out;
}

QString DecodeLine(const QByteArray& line) {
    return IsValidUtf8(line) ? QString::fromUtf8(line) : DecodeWindows1252(line);
}

QString DecodeLines(const QByteArray& bytes) {
    // Nearly every file is UTF-8 throughout: one check of the whole, and only a file that fails
    // it is looked at line by line. A line feed never occurs inside a UTF-8 sequence, so the
    // split cannot cut a character.
    if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes);
    QString out;
    out.reserve(bytes.size());
    qsizetype start = 0;
    while (start <= bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) end = bytes.size();
        out += DecodeLine(QByteArray::fromRawData(bytes.constData() + start, end - start));
        if (end < bytes.size()) out += QLatin1Char('\n');
        start = end + 1;
    }
    return out;
}

QString DecodeText(const QByteArray& bytes, bool* hadUtf8Bom) {
    if (hadUtf8Bom) *hadUtf8Bom = false;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (hadUtf8Bom) *hadUtf8Bom = true;
        return DecodeLines(bytes.mid(3));
    }
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        return decoder.decode(bytes.mid(2));
    }
    return DecodeLines(bytes);
}

bool UpdateLocked(const QString& path,
                  const std::function<std::optional<QByteArray>(const RawFile& old)>& change) {
    if (path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    const QByteArray target = ResolveTarget(PathCodec::Encode(path));
    bool ok = true;
    int why = 0;
    {
        FileLock lock(target);
        if (!lock.Held()) {
            errno = ENOLCK;
            return false;
        }
        const RawFile old = ReadEncoded(target);
        if (old.tooLarge) {
            errno = EFBIG;  // rewriting would cut the file
            return false;
        }
        const std::optional<QByteArray> contents = change(old);
        if (contents) ok = WriteAtomically(target, *contents, old.exists);
        why = errno;
    }
    if (!ok) errno = why;  // releasing the lock must not hide the reason
    return ok;
}

bool ReplaceLocked(const QString& path, const QByteArray& contents) {
    if (path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    const QByteArray target = ResolveTarget(PathCodec::Encode(path));
    bool ok = false;
    int why = 0;
    {
        FileLock lock(target);
        if (!lock.Held()) {
            errno = ENOLCK;
            return false;
        }
        struct stat st {};
        const bool existed = ::stat(target.constData(), &st) == 0;
        ok = WriteAtomically(target, contents, existed);
        why = errno;
    }
    if (!ok) errno = why;  // releasing the lock must not hide the reason
    return ok;
}

}  // namespace IniFileIo
