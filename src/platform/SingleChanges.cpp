// The single-item changes of a synchronisation: delete a file, create a folder after a
// template, remove an empty folder, test a folder, each relative to its folder opened beneath
// the run's root. Every failure leaves its errno for
// FileSystem::LastError(); the engine turns it into the one error report.

#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"
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

bool Succeed() {
    FileSystem::SetLastError(0);
    return true;
}

}  // namespace

namespace FileSystem {

bool DeleteFile(const QString& path, const SeenEntry& seen) {
    const QByteArray encoded = PathCodec::Encode(path);
    if (const int injected = Faults::At(FaultPoint::Delete, encoded)) return Fail(injected);
    QByteArray name;
    const ParentFolder folder = ParentForChange(encoded, name);
    if (folder.fd() < 0) return false;
    if (seen.kind != SeenEntry::Kind::NotChecked) {
        struct stat st {};
        const bool present = ::fstatat(folder.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (!present && errno != ENOENT) return Fail(errno);
        if (const int err = SeenMismatch(present ? &st : nullptr, seen)) return Fail(err);
    }
    // unlinkat without AT_REMOVEDIR never follows a link and refuses folders (EISDIR), which is
    // what a file row wants: a folder that took a file's place since the compare stays.
    if (::unlinkat(folder.fd(), name.constData(), 0) != 0) return Fail(errno);
    return Succeed();
}

bool CreateFolderFrom(const QString& folderPath, const QString& templateFolder) {
    const QByteArray encoded = PathCodec::Encode(folderPath);
    if (const int injected = Faults::At(FaultPoint::MakeFolder, encoded)) return Fail(injected);
    mode_t mode = 0777;  // narrowed by the umask, as for any new folder
    if (!templateFolder.isEmpty()) {
        // The template is read beneath its own root like everything else of the run.
        QByteArray templateName;
        const ParentFolder templateParent = ParentForChange(PathCodec::Encode(templateFolder), templateName);
        struct stat st {};
        if (templateParent.fd() >= 0 &&
            ::fstatat(templateParent.fd(), templateName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
            // The template's permissions, but always writable and searchable by the owner: the
            // run is about to copy the folder's contents into it, and a folder copied from a
            // read-only template would otherwise refuse every file.
            mode = (st.st_mode & 07777) | S_IRWXU;
        }
    }
    QByteArray name;
    const ParentFolder parent = ParentForChange(encoded, name);
    if (parent.fd() < 0) return false;
    if (::mkdirat(parent.fd(), name.constData(), mode) != 0) {
        const int err = errno;
        struct stat there {};
        // A file, link or special file where the folder belongs: never "File exists", which
        // would read as if the folder were there, and nothing is created through it.
        if (err == EEXIST && ::fstatat(parent.fd(), name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
            !S_ISDIR(there.st_mode))
            return Fail(ErrTypeConflict);
        return Fail(err);
    }
    // mkdir applies the umask; the template's bits are meant literally (as a copy would keep
    // them), so set them again. fchmodat without flags follows a link, but the name is the
    // folder just made. A failure here leaves a usable folder and is not an error.
    if (mode != 0777) (void)::fchmodat(parent.fd(), name.constData(), mode, 0);
    NoteCreatedFolder(folderPath);
    return Succeed();
}

bool RemoveFolder(const QString& folderPath) {
    const QByteArray encoded = PathCodec::Encode(folderPath);
    if (const int injected = Faults::At(FaultPoint::RemoveFolder, encoded)) return Fail(injected);
    QByteArray name;
    const ParentFolder parent = ParentForChange(encoded, name);
    if (parent.fd() < 0) return false;
    // AT_REMOVEDIR refuses a link (ENOTDIR) and removes only an empty folder.
    if (::unlinkat(parent.fd(), name.constData(), AT_REMOVEDIR) != 0) return Fail(errno);
    ForgetKeptFolder();
    return Succeed();
}

bool FolderExists(const QString& folderPath) {
    QByteArray name;
    const ParentFolder parent = ParentForChange(PathCodec::Encode(folderPath), name);
    if (parent.fd() < 0) return false;
    struct stat st {};
    // Not followed: a symbolic link that points at a folder is a link, not a folder of the
    // tree; the run must not create or fill anything through it.
    if (::fstatat(parent.fd(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) return Fail(errno);
    if (!S_ISDIR(st.st_mode)) return Fail(ENOTDIR);
    return Succeed();
}

}  // namespace FileSystem
