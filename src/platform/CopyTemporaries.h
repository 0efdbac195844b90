#pragma once
// Internal to the platform layer: the temporary entries of the fail-safe copy. A replacement is
// written under a temporary name beside its destination, ".~tandor-<pid>-<counter>-<name>.tmp",
// and renamed over it when complete. Such an entry is told from a user's file of the same form of
// name by what only the copy gives it: the lock a running copy holds on it, and an extended
// attribute (FileSystem::CopyTemporaryMark) that outlives a killed copy.

#include "platform/FileSystem.h"

#include <QByteArray>

namespace FileSystem {

// A new temporary name for the destination name finalName, within NAME_MAX bytes.
QByteArray TemporaryName(const QByteArray& finalName);
// Locks the open temporary entry fd and marks it as ours; false when the file system keeps no
// mark (the lock is taken all the same).
bool MarkTemporary(int fd);
void UnmarkTemporary(int fd);
// Whether name has the form of a temporary name.
bool HasTemporaryNameForm(const QByteArray& name);

using TempState = CopyTemporaryState;
// What the entry name in dirFd is. With Stale, lockedFd receives the entry opened and locked,
// so that no copy can take it up while it is removed; the caller closes it.
TempState ClassifyTemporary(int dirFd, const QByteArray& name, int* lockedFd = nullptr);

}  // namespace FileSystem
