#pragma once
// Ticking and unticking rows of the file list. A folder row carries its files along; with
// Shift it carries its subfolders too.

#include "engine/CompareTypes.h"

// Inverts the mark of ViewList row index (1-based). On a folder row the rows that follow get
// the folder's new state: unticking clears them all, ticking marks those with something to do
// (a direction or a delete match). The walk ends at the next folder row, or with extendToSubfolders
// at the first folder row outside the clicked folder. Returns false for an index outside the list.
bool ToggleFilesRow(ResultList& viewList, size_t index, bool extendToSubfolders);
