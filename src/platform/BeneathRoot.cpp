// Opening folders beneath the registered roots. openat2 with RESOLVE_BENEATH and
// RESOLVE_NO_SYMLINKS resolves a whole relative path in one call and refuses any link and any
// way out of the root; where the kernel lacks it (before 5.6) the path is walked one component
// at a time with O_NOFOLLOW. The root handles are opened once per scope and closed with it, so
// a folder costs one call and nothing keeps a volume busy after the run.

#include "platform/BeneathRoot.h"

#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <atomic>
#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Root {
    QByteArray path;  // without trailing '/', except "/" itself
    int fd = -1;      // opened when first needed
};
thread_local std::vector<Root> roots;

// The folder of the last single change, kept while roots are registered.
struct KeptFolder {
    QByteArray path;
    int fd = -1;
};
thread_local KeptFolder kept;

void CloseKept() {
    if (kept.fd >= 0) ::close(kept.fd);
    kept.fd = -1;
    kept.path.clear();
}

// The kernel has openat2 until it answers ENOSYS (or refuses the resolve flags) once.
std::atomic<bool> haveOpenat2{true};

int Failed(int err) {
    FileSystem::SetLastError(err);
    errno = err;
    return -1;
}

QByteArray WithoutTrailingSlash(QByteArray path) {
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    return path;
}

bool IsBelow(const QByteArray& path, const QByteArray& root) {
    if (root == "/") return path.startsWith('/');
    return path.size() > root.size() && path.startsWith(root) && path[root.size()] == '/';
}

// The registered root that holds path: the longest one, so that a pair whose root lies inside
// another pair's root is resolved from its own root.
Root* RootOf(const QByteArray& path) {
    Root* best = nullptr;
    for (Root& r : roots) {
        if (r.path.isEmpty()) continue;  // the mark where a scope begins
        if ((path == r.path || IsBelow(path, r.path)) && (!best || r.path.size() > best->path.size())) best = &r;
    }
    return best;
}

// One component at a time, never following a link; 0 or the error.
int WalkBeneath(int rootFd, const QByteArray& relative, int& out) {
    int current = ::fcntl(rootFd, F_DUPFD_CLOEXEC, 0);
    if (current < 0) return errno;
    for (const QByteArray& part : relative.split('/')) {
        if (part.isEmpty() || part == ".") continue;
        if (part == "..") {
            ::close(current);
            return FileSystem::ErrUnsafePath;
        }
        const int next = ::openat(current, part.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            int err = errno;
            struct stat st {};
            // O_NOFOLLOW with O_DIRECTORY answers ENOTDIR for a link: tell it from a file.
            if (err == ELOOP ||
                (err == ENOTDIR && ::fstatat(current, part.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)))
                err = FileSystem::ErrUnsafePath;
            ::close(current);
            return err;
        }
        ::close(current);
        current = next;
    }
    out = current;
    return 0;
}

// openat2 beneath the root; 0 or the error, ENOSYS when the kernel cannot do it.
int OpenBeneath(int rootFd, const QByteArray& relative, const QByteArray& folder, int& out) {
    if (!haveOpenat2.load(std::memory_order_relaxed)) return ENOSYS;
    struct open_how how {};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int injected = FileSystem::Faults::At(FileSystem::FaultPoint::OpenBeneath, folder);
        const long fd = injected ? -1 : ::syscall(SYS_openat2, rootFd, relative.constData(), &how, sizeof how);
        if (fd >= 0) {
            out = static_cast<int>(fd);
            return 0;
        }
        const int err = injected ? injected : errno;
        if (err == EAGAIN || err == EINTR) continue;  // a rename elsewhere raced the lookup
        if (err == ENOSYS || err == E2BIG || err == EINVAL) {
            haveOpenat2.store(false, std::memory_order_relaxed);
            return ENOSYS;
        }
        // ELOOP: a link in the way; EXDEV: ".." would leave the root.
        if (err == ELOOP || err == EXDEV) return FileSystem::ErrUnsafePath;
        return err;
    }
    return ENOSYS;  // still racing: the walk settles it
}

}  // namespace

namespace FileSystem {

RootScope::RootScope(const QStringList& list) {
    // An empty marker keeps the scope alive even without roots: then nothing may be written.
    roots.push_back(Root{QByteArray(), -1});
    for (const QString& r : list) {
        const QByteArray path = WithoutTrailingSlash(PathCodec::Encode(r));
        if (path.startsWith('/')) roots.push_back(Root{path, -1});
    }
}

RootScope::~RootScope() {
    CloseKept();
    // Pops this scope's roots: everything after the last marker.
    while (!roots.empty()) {
        const Root r = roots.back();
        roots.pop_back();
        if (r.fd >= 0) ::close(r.fd);
        if (r.path.isEmpty()) break;
    }
}

bool RootsRegistered() { return !roots.empty(); }

QStringList RegisteredRoots() {
    QStringList list;
    for (const Root& r : roots)
        if (!r.path.isEmpty()) list << PathCodec::Decode(r.path);
    return list;
}


int OpenFolderBeneathRoot(const QByteArray& folderPath) {
    const QByteArray folder = WithoutTrailingSlash(folderPath);
    if (folder.isEmpty()) return Failed(ENOENT);
    if (roots.empty()) {
        const int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        return fd >= 0 ? fd : Failed(errno);
    }
    Root* root = RootOf(folder);
    if (!root) return Failed(ErrUnsafePath);
    if (root->fd < 0) {
        root->fd = ::open(root->path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (root->fd < 0) return Failed(errno);
    }
    if (folder == root->path) {
        const int fd = ::fcntl(root->fd, F_DUPFD_CLOEXEC, 0);
        return fd >= 0 ? fd : Failed(errno);
    }
    const QByteArray relative = folder.mid(root->path == "/" ? 1 : root->path.size() + 1);
    int fd = -1;
    int err = OpenBeneath(root->fd, relative, folder, fd);
    if (err == ENOSYS) err = WalkBeneath(root->fd, relative, fd);
    if (err != 0) return Failed(err);
    return fd;
}

int OpenParentBeneathRoot(const QByteArray& pathIn, QByteArray& name) {
    const QByteArray path = WithoutTrailingSlash(pathIn);
    const qsizetype slash = path.lastIndexOf('/');
    name = slash < 0 ? path : path.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..") return Failed(EINVAL);
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    if (!roots.empty()) {
        const Root* root = RootOf(path);
        if (root && root->path == path) {
            // The root itself (to be created or tested): its parent is outside every tree.
            const int fd = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            return fd >= 0 ? fd : Failed(errno);
        }
    }
    return OpenFolderBeneathRoot(folder);
}

void Faults::ForgetOpenat2Support() { haveOpenat2.store(true, std::memory_order_relaxed); }

}  // namespace FileSystem

namespace FileSystem {

ParentFolder::~ParentFolder() {
    if (owned_ && fd_ >= 0) ::close(fd_);
}

ParentFolder ParentForChange(const QByteArray& pathIn, QByteArray& name) {
    if (roots.empty()) return ParentFolder(OpenParentBeneathRoot(pathIn, name), true);
    const QByteArray path = WithoutTrailingSlash(pathIn);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash <= 0 ? QByteArray() : path.left(slash);
    const Root* root = RootOf(path);
    // The root itself is not beneath a root: its parent is opened anew each time.
    if (folder.isEmpty() || !root || root->path == path) return ParentFolder(OpenParentBeneathRoot(path, name), true);
    name = path.mid(slash + 1);
    if (name.isEmpty() || name == "." || name == "..") return ParentFolder(Failed(EINVAL), true);
    if (kept.fd >= 0 && kept.path == folder) return ParentFolder(kept.fd, false);
    const int fd = OpenFolderBeneathRoot(folder);
    if (fd < 0) return ParentFolder(-1, true);
    CloseKept();
    kept.fd = fd;
    kept.path = folder;
    return ParentFolder(fd, false);
}

void ForgetKeptFolder() { CloseKept(); }

}  // namespace FileSystem
