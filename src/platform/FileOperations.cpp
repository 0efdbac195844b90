// The single-item changes of a synchronisation: delete a file, create a folder after a
// template, remove an empty folder, test a folder. Every failure leaves its errno for
// FileSystem::LastError(); the engine turns it into the one error report.

#include "platform/CopyNames.h"
#include "platform/FaultInjection.h"
#include "platform/FileSystem.h"
#include "platform/PathCodec.h"

#include <atomic>
#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace {
std::atomic<int> faultCountdown{0};
std::atomic<int> faultError{0};

bool Fail(int err) {
    FileSystem::SetLastError(err != 0 ? err : EIO);
    return false;
}

bool Succeed() {
    FileSystem::SetLastError(0);
    return true;
}
}  // namespace

namespace FileSystem {

namespace Faults {
int TakeWriteFault() {
    // Relaxed is enough: tests arm the fault on the thread that then runs the operation.
    int left = faultCountdown.load(std::memory_order_relaxed);
    if (left <= 0) return 0;
    faultCountdown.store(left - 1, std::memory_order_relaxed);
    return left == 1 ? faultError.load(std::memory_order_relaxed) : 0;
}

bool Armed() { return faultCountdown.load(std::memory_order_relaxed) > 0; }
}  // namespace Faults

void FailNthWriteForTests(int n, int err) {
    faultError.store(err != 0 ? err : EIO, std::memory_order_relaxed);
    faultCountdown.store(n, std::memory_order_relaxed);
}

bool DeleteFile(const QString& path) {
    if (const int injected = Faults::TakeWriteFault()) return Fail(injected);
    const QByteArray p = PathCodec::Encode(path);
    // unlink never follows a symbolic link and refuses folders (EISDIR), which is what a file
    // row wants: a folder that took a file's place since the compare is not removed here.
    if (::unlink(p.constData()) != 0) return Fail(errno);
    return Succeed();
}

bool CreateFolderFrom(const QString& folder, const QString& templateFolder) {
    if (const int injected = Faults::TakeWriteFault()) return Fail(injected);
    mode_t mode = 0777;  // narrowed by the umask, as for any new folder
    struct stat st {};
    const QByteArray t = PathCodec::Encode(templateFolder);
    if (!templateFolder.isEmpty() && ::lstat(t.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        // The template's permissions, but always writable and searchable by the owner: the
        // run is about to copy the folder's contents into it, and a folder copied from a
        // read-only template would otherwise refuse every file.
        mode = (st.st_mode & 07777) | S_IRWXU;
    }
    const QByteArray p = PathCodec::Encode(folder);
    if (::mkdir(p.constData(), mode) != 0) return Fail(errno);
    // mkdir applies the umask; the template's bits are meant literally (as a copy would keep
    // them), so set them again. A failure here leaves a usable folder and is not an error.
    if (mode != 0777) (void)::chmod(p.constData(), mode);
    NoteCreatedFolder(folder);
    return Succeed();
}

bool RemoveFolder(const QString& folder) {
    if (const int injected = Faults::TakeWriteFault()) return Fail(injected);
    const QByteArray p = PathCodec::Encode(folder);
    if (::rmdir(p.constData()) != 0) return Fail(errno);
    return Succeed();
}

bool FolderExists(const QString& folder) {
    const QByteArray p = PathCodec::Encode(folder);
    struct stat st {};
    // lstat: a symbolic link that points at a folder is a link, not a folder of the tree; the
    // run must not create or fill anything through it.
    if (::lstat(p.constData(), &st) != 0) return Fail(errno);
    if (!S_ISDIR(st.st_mode)) return Fail(ENOTDIR);
    return Succeed();
}

}  // namespace FileSystem
