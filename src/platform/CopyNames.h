#pragma once
// Names in a destination folder as the copy must see them. Linux folders can hold "a.txt" and
// "A.txt" side by side; a copy must not write over one of them believing it is the other.

#include <QString>

namespace FileSystem {

// A name in folder that equals name when letter case is ignored but is not name itself; empty
// when there is none (or the folder cannot be read). The folder's names are read once and kept
// while the folder does not change, so a run of many copies into one folder reads it once; the
// fail-safe copy keeps that knowledge current for the names it writes. Stale temporary files of
// the copy are removed from the folder whenever it is read.
QString FindCaseVariant(const QString& folder, const QString& name);

}  // namespace FileSystem
