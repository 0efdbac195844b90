#pragma once
// What a screen reader finds in the file list: a table of the whole compared list, not of the
// page the grid happens to show. Its row count is the list's, every row can be read whether it
// is on the page or not, the tick cell of a row names the row in a sentence and answers Toggle
// through the window's own tick code, and the row cursor is the table's focused cell.

#include <QString>

class QWidget;
class TOFlexGrid;

// The window's side of the accessible file list. Rows count from 1, as the list does.
class FilesAccessibleSource {
public:
    virtual ~FilesAccessibleSource() = default;
    virtual int AccessibleRowCount() const = 0;
    virtual int AccessibleColumnCount() const = 0;
    virtual QString AccessibleHeader(int col) const = 0;
    // A cell's text as read aloud (markers as words); the tick cell's text is the row's sentence.
    virtual QString AccessibleCell(int index, int col) const = 0;
    virtual bool AccessibleTicked(int index) const = 0;
    // The row cursor (0: none) and where a row is on the page (grid row, or -1: not shown).
    virtual int AccessibleCursor() const = 0;
    virtual int AccessiblePageRow(int index) const = 0;
    virtual int AccessibleIndexAt(int pageRow) const = 0;  // 0: no row there
    // Toggle on a tick cell: the same as a click on it.
    virtual void AccessibleToggle(int index) = 0;
};

namespace FilesListAccessible {
// Makes the grid's accessible table read through the source. Call before anything asks the
// grid for its accessible interface (the window's constructor).
void Attach(TOFlexGrid* grid, FilesAccessibleSource* source);
// Tells a screen reader that the cursor moved to a row (its tick cell gets the focus) or that
// a row's texts or tick changed.
void CursorMoved(TOFlexGrid* grid, int index);
void RowChanged(TOFlexGrid* grid, int index);
}  // namespace FilesListAccessible
