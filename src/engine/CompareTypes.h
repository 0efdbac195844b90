#pragma once
// The records of a compare: one side's scan list and the merged rows of all pairs.

#include "platform/Attributes.h"

#include <QString>
#include <QList>

#include <cstdint>
#include <vector>

// Signed direction code of a row.
namespace SyncAction {
constexpr int16_t LeftToRight = -1;
constexpr int16_t NoAction = 0;
constexpr int16_t RightToLeft = 1;
// The direction that copies away from side s: -1 for the left, 1 for the right.
constexpr int16_t AwayFrom(int s) { return static_cast<int16_t>(s - (1 - s)); }
}  // namespace SyncAction

struct ScanEntry {
    QString SortKey;
    QString FolderPath;  // file: holding folder with trailing '/'; folder: its own path, no '/'
    QString Name;
    uint32_t Attributes = 0;
    double Modified = 0;  // local time, whole seconds, days since 30 Dec 1899; 0 for folders
    int64_t Size = 0;     // full 64-bit size; 0 for folders
    bool DeleteMatch = false;
    // For a folder that could not be listed: the error number (its contents are unknown).
    int ListError = 0;
};

// Entry 0 is the root of the side.
using ScanList = std::vector<ScanEntry>;

struct CompareRow {
    // The small fields first, so that they share one word instead of padding two (the view and
    // result lists hold a row per entry).
    int16_t SyncAction = 0;
    bool Selected = false;
    bool DeleteMatch = false;
    // Set when this row lies below a folder that could not be listed on either side: the
    // synchronisation neither copies nor deletes it.
    bool Unreadable = false;
    // Set when names that differ only in letter case made the pairing of this row ambiguous
    // (for example a.txt and A.txt on one side, a.TXT on the other), and for every row below a
    // folder whose pairing was ambiguous. Such a row is proposed as NoAction and unselected; the
    // synchronisation neither copies nor deletes it, so that no file is written over or deleted
    // in place of another whose name differs only in case.
    bool CaseConflict = false;
    // Bit 1 << side: that side's root lies on a file system (or in a folder) that folds letter
    // case, so a name there also stands for every spelling of it that differs only in case.
    uint8_t FoldsCase = 0;
    // Set when the same path is a folder on one side and a file, link or special entry on the
    // other, and for every row below such a folder. Such a row is proposed as NoAction and
    // unselected; the synchronisation neither copies nor deletes it, on either side.
    bool TypeConflict = false;
    uint32_t Attributes[2] = {0, 0};
    QString Folder[2];
    QString Name[2];
    double Time[2] = {0, 0};
    int64_t Size[2] = {0, 0};

    bool IsFolder() const { return (Attributes[0] & Attr::Directory) != 0; }
    bool Exists(int side) const { return !Name[side].isEmpty(); }
    bool SideFoldsCase(int side) const { return (FoldsCase & (1u << side)) != 0; }
};

// Index 0 holds no row of its own (the compare run uses its folders to quote unreadable roots);
// rows 1..n are the rows of all pairs. The view list has the same type.
using ResultList = std::vector<CompareRow>;
