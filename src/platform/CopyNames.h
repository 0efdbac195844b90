#pragma once
// Names in a destination folder as the copy must see them. Linux folders can hold "a.txt" and
// "A.txt" side by side; a copy must not write over one of them believing it is the other.

#include <QString>

namespace FileSystem {

// A name in folder that equals name when letter case is ignored but is not name itself; empty
// when there is none (or the folder cannot be read). The folder's names are read once and kept
// while the folder does not change, so a run of many copies into one folder reads it once; the
// fail-safe copy keeps that knowledge current for the names it writes. Stale temporary files of
// the copy are removed from the folder whenever it is read.
QString FindCaseVariant(const QString& folder, const QString& name);

// While one lives on a thread, the fail-safe copy keeps the last source and destination folders
// open from one file to the next instead of walking their paths for every file, and trusts them
// without looking at the paths again: a folder that is replaced by another of the same path
// while the scope lives is not noticed (the files go on into, or come from, the folder that
// was there). A synchronisation holds one for its whole run; the folders close when the last
// scope of the thread ends, so nothing keeps a volume busy after the run.
//
// A folder that the run creates itself (FileSystem::CreateFolderFrom) holds, for the letter-case
// check, what the run writes into it: the check there costs no system call, and a name that
// another program puts into that folder during the run is not seen by it (a file of exactly the
// destination's name is still never overwritten unseen: the copy finds it when it names its file
// and replaces it as an existing destination, as any copy would).
class FolderHandleScope {
public:
    FolderHandleScope();
    ~FolderHandleScope();
    FolderHandleScope(const FolderHandleScope&) = delete;
    FolderHandleScope& operator=(const FolderHandleScope&) = delete;
};

// The extended attribute the copy sets on its temporary entries while they have a temporary
// name: a user's file whose name merely looks like one never carries it.
constexpr const char* CopyTemporaryMark = "user.tandor.temporary";

// Called by the folder creation: while a scope lives, the new (empty) folder is known to hold
// only what the run writes into it.
void NoteCreatedFolder(const QString& folder);

}  // namespace FileSystem
