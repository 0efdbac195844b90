#include "platform/CopyData.h"

#include "platform/FaultInjection.h"

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

// Read/write chunks: big enough that the system call cost vanishes, small enough that the
// progress window moves and Cancel answers within a fraction of a second on slow media.
constexpr size_t kChunk = size_t{1} << 20;
// copy_file_range moves data inside the kernel; bigger steps, still with progress and cancel.
constexpr size_t kRangeStep = size_t{8} << 20;
// st_blocks counts units of this size, whatever the file system's block size.
constexpr int64_t kStatBlockSize = 512;

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

// Writes all of buf at offset; 0 or the errno.
int WriteAllAt(int fd, const char* buf, size_t len, off_t offset) {
    while (len > 0) {
        const ssize_t n = ::pwrite(fd, buf, len, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        buf += n;
        offset += n;
        len -= static_cast<size_t>(n);
    }
    return 0;
}

// One pass over the source's data: the extents one after the other, each in chunks.
class DataCopy {
public:
    DataCopy(int in, int out, int64_t size, const QByteArray& destination, const FileSystem::CopyProgress& progress,
             const std::atomic<bool>* cancel)
        : in_(in), out_(out), size_(size), destination_(destination), progress_(progress), cancel_(cancel) {}

    // Copies [from, to); 0 or the errno. shrank is set when the source ended before to.
    int Extent(int64_t from, int64_t to, bool& shrank) {
        int64_t at = from;
        while (at < to) {
            if (FileSystem::Cancelled(cancel_)) return ECANCELED;
            if (const int injected = FileSystem::Faults::At(FileSystem::FaultPoint::Data, destination_)) return injected;
            ssize_t n;
            if (useRange_) {
                const auto want = static_cast<size_t>(std::min<int64_t>(to - at, static_cast<int64_t>(kRangeStep)));
                loff_t inOffset = at;
                loff_t outOffset = at;
                n = ::copy_file_range(in_, &inOffset, out_, &outOffset, want, 0);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    if (!copiedAny_ && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                                        errno == EBADF || errno == EPERM)) {
                        useRange_ = false;  // not between these file systems: plain reads and writes
                        continue;
                    }
                    return errno;
                }
            } else {
                thread_local std::vector<char> buffer;
                if (buffer.size() < kChunk) buffer.resize(kChunk);
                const auto want = static_cast<size_t>(std::min<int64_t>(to - at, static_cast<int64_t>(kChunk)));
                n = ::pread(in_, buffer.data(), want, at);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return errno;
                }
                if (n > 0) {
                    if (const int err = WriteAllAt(out_, buffer.data(), static_cast<size_t>(n), at)) return err;
                }
            }
            if (n == 0) {
                shrank = true;  // the source ended early: the check afterwards tells
                return 0;
            }
            copiedAny_ = true;
            at += n;
            if (progress_) progress_(size_, at);
        }
        return 0;
    }

    // Copies the data extents only; the holes between them stay holes, and the file gets its
    // full length at the end. 0 or the errno.
    int Sparse() {
        int64_t at = 0;
        while (at < size_) {
            const off_t data = ::lseek(in_, at, SEEK_DATA);
            if (data < 0) {
                if (errno == ENXIO) break;  // a hole up to the end
                if (at > 0 || errno != EINVAL) return errno;
                bool shrank = false;  // a file system that cannot say where data lies: all of it
                return Extent(0, size_, shrank);
            }
            off_t hole = ::lseek(in_, data, SEEK_HOLE);
            if (hole < 0 || hole > size_) hole = size_;
            bool shrank = false;
            if (const int err = Extent(data, hole, shrank)) return err;
            if (shrank) return 0;
            at = hole;
        }
        if (::ftruncate(out_, size_) != 0) return errno;
        if (progress_) progress_(size_, size_);
        return 0;
    }

private:
    int in_;
    int out_;
    int64_t size_;
    const QByteArray& destination_;
    const FileSystem::CopyProgress& progress_;
    const std::atomic<bool>* cancel_;
    bool useRange_ = true;
    bool copiedAny_ = false;
};

// Whether the source moved since src was taken: its size or modification time differ.
bool SourceMoved(int in, const struct stat& src) {
    struct stat now {};
    if (::fstat(in, &now) != 0) return true;
    return now.st_size != src.st_size || now.st_mtim.tv_sec != src.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != src.st_mtim.tv_nsec;
}

bool IsUserAttribute(const char* name) {
    static const char* const kNotTheUsers[] = {"user.tandor.", "user.cifs."};
    if (std::strncmp(name, "user.", 5) != 0) return false;
    return std::none_of(std::begin(kNotTheUsers), std::end(kNotTheUsers),
                        [&](const char* prefix) { return std::strncmp(name, prefix, std::strlen(prefix)) == 0; });
}

// Calls get(buffer, size) until the buffer is large enough; the length, or -1.
template <typename Get>
ssize_t IntoBuffer(std::vector<char>& buffer, Get get) {
    for (;;) {
        const ssize_t n = get(buffer.data(), buffer.size());
        if (n >= 0 || errno != ERANGE) return n;
        const ssize_t needed = get(nullptr, 0);
        if (needed < 0) return -1;
        buffer.resize(static_cast<size_t>(needed) + 1);
    }
}

}  // namespace

namespace FileSystem {

bool Cancelled(const std::atomic<bool>* cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

int CopyFileData(int in, int out, const struct stat& src, dev_t toDevice, const QByteArray& destination,
                 const CopyProgress& progress, const std::atomic<bool>* cancel) {
    const int64_t size = src.st_size;
    if (Cancelled(cancel)) return ECANCELED;

    int err = -1;
    // A reflink shares the blocks (btrfs, xfs): instant, no extra space, holes kept.
    if (size > 0 && !ReflinkKnownUnsupported(src.st_dev, toDevice)) {
        if (const int injected = Faults::At(FaultPoint::Data, destination)) return injected;
        if (::ioctl(out, FICLONE, in) == 0) {
            if (progress) progress(size, size);
            err = 0;
        } else {
            noReflink.push_back({src.st_dev, toDevice});
        }
    }
    if (err < 0) {
        DataCopy copy(in, out, size, destination, progress, cancel);
        // Fewer blocks than the length needs: the file has holes. Only then is it worth asking
        // where its data lies; a file without holes is copied straight through.
        const bool sparse = src.st_blocks * kStatBlockSize < size;
        bool shrank = false;
        err = sparse ? copy.Sparse() : copy.Extent(0, size, shrank);
    }
    if (err == 0 && SourceMoved(in, src)) err = ErrChangedSinceCompare;
    return err;
}

void CopyUserAttributes(int in, int out) {
    thread_local std::vector<char> names(4096);
    const ssize_t listed = IntoBuffer(names, [&](char* b, size_t n) { return ::flistxattr(in, b, n); });
    if (listed <= 0) return;  // none, the usual case: one call
    thread_local std::vector<char> value(256);
    for (const char* name = names.data(); name < names.data() + listed; name += std::strlen(name) + 1) {
        if (!IsUserAttribute(name)) continue;
        const ssize_t length = IntoBuffer(value, [&](char* b, size_t n) { return ::fgetxattr(in, name, b, n); });
        if (length >= 0) (void)::fsetxattr(out, name, value.data(), static_cast<size_t>(length), 0);
    }
}

}  // namespace FileSystem
