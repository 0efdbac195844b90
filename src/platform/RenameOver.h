#pragma once
// Internal to the platform layer: the last step of every copy that replaces a file.

#include "platform/FileSystem.h"

#include <QByteArray>

namespace FileSystem {

// Renames temp in the folder fromFd over name in the folder dirFd (path: the destination's whole
// path); 0 or the error. With Replaced::ToTrash the version there first gets a second name in the trash
// (platform/Trash.cpp), or, where the file system has no hard links, moves into it and back
// should the rename fail; a trash that cannot take it fails the step and changes nothing.
int RenameOver(int fromFd, const QByteArray& temp, int dirFd, const QByteArray& name, const QByteArray& path, Replaced replaced);

}  // namespace FileSystem
