#pragma once
// What the synchronisation run, its plan and its guards read off a result row the same way.

#include "engine/CompareTypes.h"

// A folder row's depth on side s: the separators in its folder path.
inline int Level(const CompareRow& row, int s) { return static_cast<int>(row.Folder[s].count(QLatin1Char('/'))); }

inline bool IsFolderOn(const CompareRow& row, int s) { return (row.Attributes[s] & Attr::Directory) != 0; }

// Rows the run never touches: below a folder that could not be listed (its real contents are
// unknown, so a one-sided entry there is not known to be one-sided), or paired ambiguously by
// names that differ only in letter case, or a type conflict.
inline bool Untouchable(const CompareRow& row) { return row.Unreadable || row.CaseConflict || row.TypeConflict; }

// A pair's root row is the only row without a name on either side.
inline bool IsRootRow(const CompareRow& row) { return row.Name[0].isEmpty() && row.Name[1].isEmpty(); }
