#pragma once
// Internal to the platform layer: the data and the extended attributes of the fail-safe copy.

#include "platform/FileSystem.h"

#include <atomic>

#include <sys/stat.h>

namespace FileSystem {

bool Cancelled(const std::atomic<bool>* cancel);

// Copies the data of the open source in (src: its stat when it was opened) into the new, empty
// file out on device toDevice (whose path is destination): a reflink where the file systems share blocks, else the data
// extents only, so that the holes of a sparse file stay holes. progress(total, done) follows
// each chunk, cancel is polled between chunks. Afterwards the source is looked at once more: a
// source whose size or modification time moved while it was read gives a copy that matches
// neither version, and the copy fails with ErrChangedSinceCompare. 0 or the error number
// (ECANCELED when cancelled).
int CopyFileData(int in, int out, const struct stat& src, dev_t toDevice, const QByteArray& destination,
                 const CopyProgress& progress, const std::atomic<bool>* cancel);

// Gives out the user's extended attributes of in ("user.*"), not the program's own marks nor the
// DOS attributes a file system keeps there. A destination that keeps none gets the data all the
// same: failures are ignored.
void CopyUserAttributes(int in, int out);

}  // namespace FileSystem
