#pragma once
// How many sync calls one batch of replacements in a folder takes: one for the whole file
// system where syncfs covers every file's data (ext4, xfs, btrfs, f2fs, tmpfs), else one per file.

#include "platform/PathCodec.h"

#include <QString>

#include <linux/magic.h>
#include <sys/vfs.h>

inline int ExpectedSyncsPerBatch(const QString& folder, int files) {
    struct statfs fs {};
    if (::statfs(PathCodec::Encode(folder).constData(), &fs) != 0) return -1;
    const auto type = static_cast<unsigned long>(fs.f_type);
    const bool wholeFileSystem = type == EXT4_SUPER_MAGIC || type == TMPFS_MAGIC || type == BTRFS_SUPER_MAGIC ||
                                 type == 0x58465342UL /* xfs */ || type == 0xF2F52010UL /* f2fs */;
    return wholeFileSystem ? 1 : files;
}
