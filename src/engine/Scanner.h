#pragma once
// Listing one side of a folder pair into a flat, sortable ScanList; the sort keys and the sort.
// A scan is pure file-system work and touches no shared state, so the two sides of a pair can
// be scanned on two threads at once.

#include "engine/CompareTypes.h"
#include "engine/Masks.h"

#include <QString>
#include <QStringList>

#include <cstdint>
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

// Fills SortKey of every entry. startPosition is the length of the root path with its '/'
// plus 1: the key is built from the path below the root, '/' replaced by chr(1), a file's name
// joined with chr(2), all in upper case; a folder's key ends with chr(1).
void BuildSortKeys(ScanList& list, qsizetype startPosition);
// The same keys, written one after the other into buffer, which every SortKey then points into
// (no allocation per entry; the characters of all keys take one block). buffer must outlive
// the keys and stay untouched while they are in use.
void BuildSortKeys(ScanList& list, qsizetype startPosition, std::vector<QChar>& buffer);

// Sorts entries low..high in place by SortKey, ordinal comparison.
void SortScanList(ScanList& list, qsizetype low, qsizetype high);
