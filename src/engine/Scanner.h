#pragma once
// Listing one side of a folder pair into a flat, sortable ScanList; the sort keys and the sort.
// A scan is pure file-system work and touches no shared state, so the two sides of a pair can
// be scanned on two threads at once.

#include "engine/CompareTypes.h"
#include "engine/Masks.h"
#include "platform/FileListing.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <vector>

struct FolderPair;

struct ScanSwitches {
    bool SubDirs = true;
    bool SysDirs = true;
    bool SysFiles = true;
    bool HiddenDirs = true;
    bool HiddenFiles = true;
};
ScanSwitches SwitchesOf(const FolderPair& pair);

struct ScanOptions {
    // Read the archive bit of every file (one extra call per file); a compare that ignores the
    // bit does without.
    bool readArchive = true;
    // A folder that is left out wherever the scan meets it: the other root of the pair, when it
    // lies inside this one, is never this side's content.
    const FileSystem::FolderIdentity* skipFolder = nullptr;
    // When set, receives the sockets, pipes and devices met by the scan, as file entries with
    // folder and name only (they are never rows, but nothing may take their place).
    ScanList* specials = nullptr;
    // When set, receives every folder (ending with '/') that holds stale temporary files of a
    // killed copy. Like every temporary file of the copy, they are never listed.
    std::vector<QString>* staleTemporaryFolders = nullptr;
    // When set, called with each folder below the root (ending with '/') right before it is
    // listed: the moment at which another program may swap the folder for a link, which the
    // listing must then refuse to follow.
    std::function<void(const QString& folder)> beforeListing;
};

// Lists the tree below rootPath (ending with '/') into list, entry 0 the root itself. Returns
// true when the root cannot be listed; rootError then receives the error number. A subfolder
// that cannot be listed keeps its entry, with its error number in ListError.
bool ScanFolderTree(const QString& rootPath, const MaskSet& subfolderMasks, const MaskSet& fileMasks,
                    const QStringList& deleteMasks, const ScanSwitches& switches, ScanList& list,
                    int* rootError = nullptr, const ScanOptions& options = {});

// A file time (seconds since the epoch, universal time) as a local day-based date value in
// whole seconds, with the offset of local time in force now (so that two times keep their
// distance across a change of daylight saving time).
double FileTimeToLocalDate(int64_t utcSeconds);
double FileTimeToLocalDate(int64_t utcSeconds, int64_t offsetSeconds);

// Whether sort keys fold letter case: they do where a root of the pair lies on a file system
// that folds case (names that differ only in case then meet in one key and are paired, or
// flagged where that is ambiguous); elsewhere names are paired by exact spelling.
enum class KeyCase { Folded, Exact };

// Fills SortKey of every entry. startPosition is the length of the root path with its '/'
// plus 1: the key is built from the path below the root, '/' replaced by chr(1), a file's name
// joined with chr(2), a chr(1), chr(2) or chr(3) in a name preceded by chr(3) (so that no two
// paths share a key), all in upper case with KeyCase::Folded; a folder's key ends with chr(1).
// Sorted by code unit, a folder's row comes first, then its files, then its subfolders each
// followed by what lies below it.
void BuildSortKeys(ScanList& list, qsizetype startPosition, KeyCase keyCase = KeyCase::Folded);
// The same keys, written one after the other into buffer, which every SortKey then points into
// (no allocation per entry; the characters of all keys take one block). buffer must outlive
// the keys and stay untouched while they are in use.
void BuildSortKeys(ScanList& list, qsizetype startPosition, std::vector<QChar>& buffer,
                   KeyCase keyCase = KeyCase::Folded);

// Sorts entries low..high in place by SortKey, ordinal comparison.
void SortScanList(ScanList& list, qsizetype low, qsizetype high);
