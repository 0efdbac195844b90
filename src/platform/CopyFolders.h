#pragma once
// Internal to the platform layer: the folders the fail-safe copy works in. The source and the
// destination folder of the last copy stay open while a FolderHandleScope lives (CopyNames.h), and
// the names of destination folders are kept for the letter-case check.

#include "platform/FdGuard.h"

#include <QByteArray>

#include <sys/stat.h>

namespace FileSystem {

struct FolderStamp {
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime {};
    bool operator==(const FolderStamp& o) const {
        return dev == o.dev && ino == o.ino && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FolderStamp StampOf(const struct stat& st);

// The copy works relative to the source and destination folders opened with O_PATH (no access
// needed, nothing listed), so a long path is walked once per folder instead of once per call.
// Outside a FolderHandleScope a folder is opened for one copy: the letter-case check opens the
// destination and hands it to the copy that follows it on the same thread, and nothing stays
// open after that copy. Inside a scope (one synchronisation) the last source and destination
// folders stay open from one file to the next and are closed when the scope ends, so no folder
// handle keeps a removable volume busy after a run.
struct OpenFolder {
    QByteArray path;  // without a trailing '/'
    FdGuard fd;
    struct stat st {};
    bool handedOver = false;  // opened (or checked) by the letter-case check for the next copy
    // The name the letter-case check looked for, and whether the folder's current names (as
    // the cache knows them) lack it: the copy that follows then needs no look of its own. Should
    // the name have appeared meanwhile, linkat refuses and the copy becomes a replacement.
    QByteArray checkedName;
    bool checkedAbsent = false;
    // What a new file in this folder is created with (umask, default ACL, setgid folder) for
    // the permission bits asked for: learnt from the first new file, so that the next ones need
    // no look of their own to know whether owner and mode must still be set.
    bool creationKnown = false;
    mode_t requestedMode = 0;
    mode_t createdMode = 0;
    uid_t createdUid = 0;
    gid_t createdGid = 0;
};
// The open folders of this thread.
OpenFolder& SourceFolder();
OpenFolder& DestinationFolder();

// The folder open for path: kept from before while a scope runs (or when the letter-case check
// has just opened it), else opened now. False (errno set) when it cannot be opened.
bool UseFolder(const QByteArray& path, OpenFolder& folder);
// Outside a scope nothing stays open after a copy.
void DoneWithFolders();

// Whether the letter-case check keeps the names of folder (a path without trailing '/').
bool FolderNamesKept(const QByteArray& folder);
// After the copy gave a new name to a file in folder: when the kept names were current just
// before (the folder's stamp was before), they are current now with that name added.
void NoteWrittenName(const QByteArray& folder, const FolderStamp& before, int dirFd, const QByteArray& name);

}  // namespace FileSystem
