#pragma once
// The listing side of the file system beyond FileSystem.h: the options the scanner uses for
// speed, the root's attributes (the user named the root, so a link there is followed), the
// archive stamp and a fault hook for tests.

#include "platform/FileSystem.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace FileSystem {

struct ListOptions {
    // Reading the archive bit costs one extra call per file; a compare that ignores the bit
    // can leave it out (the bit is then reported as set, as on a file system without it).
    bool readArchive = true;
    // Follow a symbolic link in the last component of the listed folder (the root of a side).
    bool followLink = false;
};
bool ListFolder(const QString& folder, std::vector<ListedEntry>& out, const ListOptions& options);

// Attribute word of a root folder: like GetAttributes, but a symbolic link to a folder counts
// as the folder it names.
uint32_t GetRootAttributes(const QString& path);

// The current offset of local time from universal time in seconds (positive east).
int64_t CurrentUtcOffsetSeconds();

// The extended attribute that keeps the archive bit where the file system has none.
constexpr const char* ArchiveXattrName = "user.tandor.archive";

// Tests: listing the named folder (with or without trailing '/') fails with err; err 0 removes
// the fault. ClearListingFaultsForTests removes all of them.
void FailListingForTests(const QString& folder, int err);
void ClearListingFaultsForTests();

}  // namespace FileSystem
