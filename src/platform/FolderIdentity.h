#pragma once
// Which folder a path names, as the file system sees it: two different paths (a link, a bind
// mount) can lead to one folder, and only the device and inode numbers tell.

#include <QString>

#include <cstdint>
#include <vector>

namespace FileSystem {

struct FolderId {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderId&) const = default;
};

// The identities of an existing folder and of every folder above it up to "/", the folder
// itself first; empty when the path does not lead to a folder. Links in the path are followed.
std::vector<FolderId> FolderAndAncestorIds(const QString& path);

}  // namespace FileSystem
