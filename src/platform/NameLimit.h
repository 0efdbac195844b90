#pragma once
// How long a name may be in a folder: the file system's own limit, in bytes of the name as it is
// written (PathCodec), so that a name the program makes up fits where it is to go.

#include <QString>

namespace FileSystem {
// The longest name the folder's file system takes; 255 (NAME_MAX) where it does not say.
int NameLimitBytes(const QString& folder);
}  // namespace FileSystem
