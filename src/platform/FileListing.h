#pragma once
// The listing side of the file system beyond FileSystem.h: the options the scanner uses for
// speed, the root's attributes (the user named the root, so a link there is followed), the
// archive stamp and a fault hook for tests.

#include "platform/FileSystem.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace FileSystem {

// What names a folder whatever the path that leads to it: its device and inode.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

struct ListOptions {
    // Reading the archive bit costs one extra call per file; a compare that ignores the bit
    // can leave it out (the bit is then reported as set, as on a file system without it).
    bool readArchive = true;
    // Follow a symbolic link in the last component of the listed folder (the root of a side).
    bool followLink = false;
    // When set, receives the names of the sockets, pipes and devices of the folder, which are
    // never listed as entries but must keep the other side from putting anything in their place.
    std::vector<QString>* specialNames = nullptr;
    // A folder left out of the listing, named by its identity, so that another spelling of its
    // path or a link to it is caught too (the other root of a pair that lies inside this one).
    const FolderIdentity* skipFolder = nullptr;
};
bool ListFolder(const QString& folder, std::vector<ListedEntry>& out, const ListOptions& options);

// The identity of the folder at path (a link there is followed, as for a root); false when
// it is not a folder that can be reached.
bool IdentityOfFolder(const QString& path, FolderIdentity& out);

// Whether names in folder are matched without regard to letter case: true on the file systems
// that fold case (vfat, exfat, ntfs with either driver, cifs/smb, a GVfs share) and for a
// folder with the casefold flag of ext4 or f2fs. A link in the last component is followed.
bool FolderFoldsCase(const QString& folder);
// Tests: folders (and what lies below them) that count as folding case; empty removes them.
void SetCaseFoldingFoldersForTests(const std::vector<QString>& folders);

// Attribute word of a root folder: like GetAttributes, but a symbolic link to a folder counts
// as the folder it names.
uint32_t GetRootAttributes(const QString& path);

// The current offset of local time from universal time in seconds (positive east).
int64_t CurrentUtcOffsetSeconds();

// The extended attribute that keeps the archive bit where the file system has none.
constexpr const char* ArchiveXattrName = "user.tandor.archive";

}  // namespace FileSystem
