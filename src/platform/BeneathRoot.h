#pragma once
// Keeping the writes of a synchronisation beneath its root folders. A run registers the roots
// of its folder pairs for its thread; from then on every create, write, rename and delete of
// the platform layer opens the folder it works in through OpenFolderBeneathRoot, which resolves
// the path below its root without following any symbolic link, and then acts on the last name
// relative to that folder handle, never following a link there either. A left link "X" to
// /elsewhere opposite a right folder "X/" thus cannot lead the copies of the right's files out
// of the tree.

#include <QByteArray>
#include <QStringList>

namespace FileSystem {

// Registers root folders (absolute paths, trailing '/' ignored) for this thread while it lives.
// Scopes nest; the roots of all living scopes count. The roots themselves are opened as the
// user named them (a root may be a link to the real folder); below a root nothing is followed.
class RootScope {
public:
    explicit RootScope(const QStringList& roots);
    ~RootScope();
    RootScope(const RootScope&) = delete;
    RootScope& operator=(const RootScope&) = delete;
};

// True while a RootScope lives on this thread.
bool RootsRegistered();
// The roots of every scope living on this thread, for a worker thread of the same run, which
// registers them for itself (roots are per thread).
QStringList RegisteredRoots();

// Opens folder (an encoded path without trailing '/') with O_PATH | O_DIRECTORY; -1 on failure
// with the error in LastError() and errno. While roots are registered the folder must be a
// root or lie below one, and no component below the root may be a link: a link (or a path
// below no root) fails with ErrUnsafePath. Outside any scope the path is opened as it is
// (callers that test the platform directly), but the last component is never a link.
int OpenFolderBeneathRoot(const QByteArray& folder);

// Splits path into its folder and last name and opens the folder as above. When path is itself
// a registered root, its parent is opened as it is (the run may create or test the root).
// -1 on failure (LastError() and errno set); an empty name fails with EINVAL.
int OpenParentBeneathRoot(const QByteArray& path, QByteArray& name);

// The folder of a single change (delete, trash, attributes, folder creation and removal) as
// OpenParentBeneathRoot opens it. While roots are registered the last folder stays open for the
// next change in it (a delete pass removes a folder's files one after the other), until the
// scope ends or a folder is removed; otherwise the handle closes with the object.
class ParentFolder {
public:
    ParentFolder(int fd, bool owned) : fd_(fd), owned_(owned) {}
    ParentFolder(ParentFolder&& other) noexcept : fd_(other.fd_), owned_(other.owned_) { other.owned_ = false; }
    ParentFolder(const ParentFolder&) = delete;
    ParentFolder& operator=(const ParentFolder&) = delete;
    ParentFolder& operator=(ParentFolder&&) = delete;
    ~ParentFolder();
    int fd() const { return fd_; }  // -1 on failure (LastError() and errno set)

private:
    int fd_;
    bool owned_;
};
ParentFolder ParentForChange(const QByteArray& path, QByteArray& name);
// A folder was removed: a kept handle may name it.
void ForgetKeptFolder();

}  // namespace FileSystem
