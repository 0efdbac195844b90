#pragma once
// Internal to the platform layer: the check of an entry against what the compare saw of it.

#include "platform/FileSystem.h"

#include <sys/stat.h>

namespace FileSystem {

// 0 when st (nullptr: there is no entry) is what seen describes, else the error number.
inline int SeenMismatch(const struct stat* st, const SeenEntry& seen) {
    using Kind = SeenEntry::Kind;
    if (seen.kind == Kind::NotChecked) return 0;
    if (!st) return seen.kind == Kind::Absent ? 0 : ErrChangedSinceCompare;
    const bool folder = S_ISDIR(st->st_mode);
    const bool fileOrLink = S_ISREG(st->st_mode) || S_ISLNK(st->st_mode);
    // A pipe, socket or device is never listed, so never seen: it is never replaced either.
    if (!folder && !fileOrLink) return ErrTypeConflict;
    switch (seen.kind) {
    case Kind::Absent: return folder ? ErrTypeConflict : ErrChangedSinceCompare;
    case Kind::Folder: return folder ? 0 : ErrChangedSinceCompare;
    case Kind::File:
        if (!fileOrLink) return ErrChangedSinceCompare;
        return st->st_size == seen.size && st->st_mtim.tv_sec == seen.mtimeSeconds ? 0 : ErrChangedSinceCompare;
    default: return 0;
    }
}

}  // namespace FileSystem
