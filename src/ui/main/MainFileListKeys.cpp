// The file list by keyboard and by screen reader: the row cursor that moves through the whole
// list, Space, Enter and the row's menu by key, and the list as an accessible table with its
// words in the program's language.
#include "ui/main/MainFileList.h"

#include "config/Profile.h"
#include "engine/FileView.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesSelection.h"
#include "ui/main/MainMessages.h"
#include "ui/main/RunLock.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>

#include <algorithm>

namespace {
// The language's text of a key, or the English default where the language has none.
QString Words(int key, const QString& english) {
    const QString text = FormatMsg(key);
    return text.isEmpty() ? english : text;
}
}  // namespace

// ---- The row cursor -------------------------------------------------------------------------

void MainFileList::MoveCursor(int viewIndex) {
    const int count = CurrentFileView().LastIndex();
    if (count < 1) return;
    cursor_ = std::clamp(viewIndex, 1, count);
    // The page follows the cursor through the whole list.
    const int page = qMax(1, scroll_->LargeChange());
    const int top = scroll_->Value();
    if (cursor_ < top) scroll_->SetValue(cursor_);
    else if (cursor_ > top + page - 1) scroll_->SetValue(cursor_ - page + 1);
    if (scroll_->Value() == top) Display();  // else the scroll's change refilled the page
    FilesListAccessible::CursorMoved(grid_, cursor_);
}

void MainFileList::TickRow(int viewIndex, bool extendToSubfolders) {
    if (lock_.Refused()) return;
    FileView& files = CurrentFileView();
    if (viewIndex < 1 || viewIndex > files.LastIndex()) return;
    ToggleFilesRow(files.ViewList, static_cast<size_t>(viewIndex), extendToSubfolders);
    ShowCounts();  // the count boxes count the ticked rows
    Display();
    FilesListAccessible::RowChanged(grid_, viewIndex);
}

void MainFileList::TickCursorRows(bool extendToSubfolders) {
    FileView& files = CurrentFileView();
    const int cursor = AccessibleCursor();
    if (cursor < 1) return;
    if (anchor_ < 1 || anchor_ == cursor || anchor_ > files.LastIndex()) {
        TickRow(cursor, extendToSubfolders);
        return;
    }
    // A marked range takes the cursor row's new state; each row that differs is clicked, so a
    // folder carries its files along as a click on it would.
    if (lock_.Refused()) return;
    const bool ticked = !files.ViewList[static_cast<size_t>(cursor)].Selected;
    for (int i = std::min(anchor_, cursor); i <= std::max(anchor_, cursor); ++i)
        if (files.ViewList[static_cast<size_t>(i)].Selected != ticked) ToggleFilesRow(files.ViewList, static_cast<size_t>(i), false);
    ShowCounts();
    Display();
    FilesListAccessible::RowChanged(grid_, cursor);
}

void MainFileList::ShowRow(int viewIndex) {
    if (viewIndex < 1 || viewIndex > CurrentFileView().LastIndex()) return;
    cursor_ = viewIndex;
    scroll_->SetValue(viewIndex);  // the last page stops at the end of the list
    Display();
    grid_->SetRow(viewIndex - scroll_->Value() + 1);
    grid_->selectionModel()->select(grid_->currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void MainFileList::OpenMenuAtCursor() {
    const int cursor = AccessibleCursor();
    if (cursor < 1) return;
    MoveCursor(cursor);  // the row comes onto the page
    const CompareRow& row = CurrentFileView().ViewList[static_cast<size_t>(cursor)];
    size_t side = static_cast<size_t>(cursorSide_);
    if (!row.IsFolder() && !row.Exists(static_cast<int>(side))) side = 1 - side;
    const int gridRow = AccessiblePageRow(cursor);
    const int col = side == 0 ? 1 : 7;
    const QRect cell = grid_->CellRect(gridRow, col);
    RowMenu(gridRow, col, grid_->mapToGlobal(cell.bottomLeft()));
}

bool MainFileList::Key(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shiftOnly = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
    const FileView& files = CurrentFileView();
    const int count = files.LastIndex();
    const int page = qMax(1, scroll_->LargeChange());
    const int cursor = AccessibleCursor();
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up: target = cursor > 0 ? cursor - 1 : scroll_->Value(); break;
    case Qt::Key_Down: target = cursor > 0 ? cursor + 1 : scroll_->Value(); break;
    case Qt::Key_PageUp: target = (cursor > 0 ? cursor : scroll_->Value()) - page; break;
    case Qt::Key_PageDown: target = (cursor > 0 ? cursor : scroll_->Value()) + page; break;
    case Qt::Key_Home: target = 1; break;
    case Qt::Key_End: target = count; break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (mods != Qt::NoModifier) return false;
        cursorSide_ = event->key() == Qt::Key_Left ? 0 : 1;
        return true;
    case Qt::Key_Space:
        if (!shiftOnly) return false;
        TickCursorRows(mods == Qt::ShiftModifier);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        if (mods != Qt::NoModifier) return false;
        if (cursor < 1 || lock_.Refused()) return true;
        const CompareRow& row = files.ViewList[static_cast<size_t>(cursor)];
        size_t side = static_cast<size_t>(cursorSide_);
        if (!row.IsFolder() && !row.Exists(static_cast<int>(side))) side = 1 - side;
        OpenRow(cursor, side);
        return true;
    }
    case Qt::Key_Menu:
        if (mods != Qt::NoModifier) return false;
        OpenMenuAtCursor();
        return true;
    case Qt::Key_F10:
        if (mods != Qt::ShiftModifier) return false;
        OpenMenuAtCursor();
        return true;
    default:
        return false;
    }
    if (!shiftOnly) return false;
    if (count < 1) return true;
    // Shift with a cursor key marks the rows from where the cursor was; without, the mark goes.
    if (mods == Qt::ShiftModifier) {
        if (anchor_ < 1) anchor_ = cursor > 0 ? cursor : std::clamp(target, 1, count);
    } else {
        anchor_ = 0;
    }
    MoveCursor(target);
    return true;
}

void MainFileList::FocusChanged(bool focusIn) {
    // The cursor shows where the keys act as soon as the list has them.
    if (focusIn && AccessibleCursor() < 1 && CurrentFileView().LastIndex() >= 1) cursor_ = scroll_->Value();
    Display();
    if (focusIn && AccessibleCursor() > 0) FilesListAccessible::CursorMoved(grid_, cursor_);
}

void MainFileList::PageResized() {
    // The page holds as many rows as the grid shows.
    const int page = PageSize();
    if (page != scroll_->LargeChange()) scroll_->SetLargeChange(page);
    Display();
}

// ---- The list as a screen reader reads it ---------------------------------------------------

int MainFileList::AccessibleRowCount() const { return qMax(0, CurrentFileView().LastIndex()); }

int MainFileList::AccessibleColumnCount() const { return ColumnCount; }

QString MainFileList::AccessibleHeader(int col) const {
    if (col == 0) return Words(MainMsg::TickedHeader, QStringLiteral("Ticked"));
    if (col == 4) return Words(MainMsg::DirectionHeader, QStringLiteral("Direction"));
    return grid_->TextMatrix(0, col);
}

QString MainFileList::AccessibleCell(int index, int col) const {
    const FileView& files = CurrentFileView();
    if (index < 1 || index > files.LastIndex() || col < 0 || col >= ColumnCount) return QString();
    const CompareRow& row = files.ViewList[static_cast<size_t>(index)];
    const ViewOptions& view = CurrentProfile().profile.View;
    const uint32_t archive = static_cast<uint32_t>(CurrentProfile().profile.Options.CheckArchiveAttr);
    if (col == 0) return FilesRowSentence(row, view.SyncOptions, archive, rowWords_);
    const QString text = FormatFilesRow(row, view.SyncOptions, archive).cells[static_cast<size_t>(col)].text;
    return col == 4 ? TOFlexGridModel::MarkerMeaning(text) : text;
}

bool MainFileList::AccessibleTicked(int index) const {
    const FileView& files = CurrentFileView();
    return index >= 1 && index <= files.LastIndex() && files.ViewList[static_cast<size_t>(index)].Selected;
}

int MainFileList::AccessibleCursor() const {
    return cursor_ >= 1 && cursor_ <= CurrentFileView().LastIndex() ? cursor_ : 0;
}

int MainFileList::AccessiblePageRow(int index) const {
    const int row = index - scroll_->Value() + 1;
    const int page = qMax(1, scroll_->LargeChange());
    return index >= 1 && index <= CurrentFileView().LastIndex() && row >= 1 && row <= page ? row : -1;
}

int MainFileList::AccessibleIndexAt(int pageRow) const {
    const int index = scroll_->Value() + pageRow - 1;
    return pageRow >= 1 && index >= 1 && index <= CurrentFileView().LastIndex() ? index : 0;
}

void MainFileList::LocaliseNames() {
    rowWords_.folder = Words(MainMsg::WordFolder, rowWords_.folder);
    rowWords_.leftSide = Words(MainMsg::WordLeftSide, rowWords_.leftSide);
    rowWords_.rightSide = Words(MainMsg::WordRightSide, rowWords_.rightSide);
    rowWords_.notLeft = Words(MainMsg::WordNotLeft, rowWords_.notLeft);
    rowWords_.notRight = Words(MainMsg::WordNotRight, rowWords_.notRight);
    rowWords_.ticked = Words(MainMsg::WordTicked, rowWords_.ticked);
    rowWords_.notTicked = Words(MainMsg::WordNotTicked, rowWords_.notTicked);
    rowWords_.toRight = Words(MainMsg::WordToRight, rowWords_.toRight);
    rowWords_.toLeft = Words(MainMsg::WordToLeft, rowWords_.toLeft);
    rowWords_.deleteMark = Words(MainMsg::WordDelete, rowWords_.deleteMark);
    rowWords_.nothing = Words(MainMsg::WordNothing, rowWords_.nothing);
    rowWords_.conflict = Words(MainMsg::WordConflict, rowWords_.conflict);
    TOFlexGridModel::SetMarkerNames(rowWords_.ticked, rowWords_.notTicked, rowWords_.toRight, rowWords_.toLeft,
                                    rowWords_.deleteMark);
    grid_->setAccessibleName(Words(MainMsg::FilesListName, QStringLiteral("Compared files")));
    scrollBar_->setAccessibleName(Words(MainMsg::FilesPositionName, QStringLiteral("Position in the file list")));
    // The count boxes say what they count: what goes right, what stays, what goes left.
    countBoxes_[0]->setAccessibleName(rowWords_.toRight);
    countBoxes_[1]->setAccessibleName(rowWords_.nothing);
    countBoxes_[2]->setAccessibleName(rowWords_.toLeft);
}
