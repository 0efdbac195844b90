#pragma once
// What the synchronisation run, its plan and its guards read off a result row the same way.

#include "config/SyncOptions.h"
#include "engine/CompareTypes.h"

#include <array>

// A folder row's depth on side s: the separators in its folder path.
inline int Level(const CompareRow& row, int s) { return static_cast<int>(row.Folder(s).count(QLatin1Char('/'))); }

inline bool IsFolderOn(const CompareRow& row, int s) { return (row.Attributes[s] & Attr::Directory) != 0; }

// Whether a folder row on side s ends the rows that an operation on folder row r (at depth
// level0; r 0 stands for every row) takes in: a folder that is not below the start, or any
// subfolder when the operation takes only the folder's own files.
inline bool EndsFolderWalk(const CompareRow& folderRow, int s, int r, int level0, bool folderOnly) {
    const int level = Level(folderRow, s);
    return (r >= 1 && level <= level0) || (folderOnly && level > level0);
}

// Whether the sync options make a one-way mirror: copies from one side only, deletes what only
// the other side holds, and deletes nothing on the side it copies from. Only such a run may
// replace an entry whose type changed (CompareRow::TypeChange): it has one answer for which of
// the two entries goes, where a two-way run or one without deletions has none.
inline bool ReplacesTypeChanges(const std::array<bool, 5>& option) {
    for (int s = 0; s < 2; ++s) {
        const int d = 1 - s;
        if (IsOn(option, CopyFrom(s)) && !IsOn(option, CopyFrom(d)) && IsOn(option, DeleteOneSidedOn(d)) &&
            !IsOn(option, DeleteOneSidedOn(s)))
            return true;
    }
    return false;
}

// Rows the run never touches: below a folder that could not be listed (its real contents are
// unknown, so a one-sided entry there is not known to be one-sided), or paired ambiguously by
// names that differ only in letter case, or a type conflict, except a type change in a run that
// replaces them (see ReplacesTypeChanges), for which its rows are one-sided rows like others.
inline bool Untouchable(const CompareRow& row, bool replacesTypeChanges) {
    return row.Unreadable || row.CaseConflict || (row.TypeConflict && !(replacesTypeChanges && row.TypeChange));
}

// A pair's root row is the only row without a name on either side.
inline bool IsRootRow(const CompareRow& row) { return !row.Exists(0) && !row.Exists(1); }
