// The file list by keyboard and by screen reader: the row cursor that moves through the whole
// list, Space, Enter and the row's menu by key, the list as an accessible table, the tab order
// and the accessible names of the window's controls in the program's language.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "engine/FileView.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesSelection.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace {
// The language's text of a key, or the English default where the language has none.
QString Words(int key, const QString& english) {
    const QString text = FormatMsg(key);
    return text.isEmpty() ? english : text;
}
}  // namespace

// ---- The row cursor -------------------------------------------------------------------------

void frmMain::MoveFilesCursor(int viewIndex) {
    const int count = CurrentFileView().LastIndex();
    if (count < 1) return;
    currentViewIndex_ = std::clamp(viewIndex, 1, count);
    // The page follows the cursor through the whole list.
    const int page = qMax(1, vlsbFiles_->LargeChange());
    const int top = vlsbFiles_->Value();
    if (currentViewIndex_ < top) vlsbFiles_->SetValue(currentViewIndex_);
    else if (currentViewIndex_ > top + page - 1) vlsbFiles_->SetValue(currentViewIndex_ - page + 1);
    if (vlsbFiles_->Value() == top) DisplayFiles();  // else the scroll's change refilled the page
    FilesListAccessible::CursorMoved(ui->flexFiles, currentViewIndex_);
}

void frmMain::TickViewRow(int viewIndex, bool extendToSubfolders) {
    if (RefusedWhileRunning()) return;
    FileView& files = CurrentFileView();
    if (viewIndex < 1 || viewIndex > files.LastIndex()) return;
    ToggleFilesRow(files.ViewList, static_cast<size_t>(viewIndex), extendToSubfolders);
    ShowCounts();  // the count boxes count the ticked rows
    DisplayFiles();
    FilesListAccessible::RowChanged(ui->flexFiles, viewIndex);
}

void frmMain::TickCursorRows(bool extendToSubfolders) {
    FileView& files = CurrentFileView();
    const int cursor = AccessibleCursor();
    if (cursor < 1) return;
    if (filesAnchor_ < 1 || filesAnchor_ == cursor || filesAnchor_ > files.LastIndex()) {
        TickViewRow(cursor, extendToSubfolders);
        return;
    }
    // A marked range takes the cursor row's new state; each row that differs is clicked, so a
    // folder carries its files along as a click on it would.
    if (RefusedWhileRunning()) return;
    const bool ticked = !files.ViewList[static_cast<size_t>(cursor)].Selected;
    for (int i = std::min(filesAnchor_, cursor); i <= std::max(filesAnchor_, cursor); ++i)
        if (files.ViewList[static_cast<size_t>(i)].Selected != ticked) ToggleFilesRow(files.ViewList, static_cast<size_t>(i), false);
    ShowCounts();
    DisplayFiles();
    FilesListAccessible::RowChanged(ui->flexFiles, cursor);
}

void frmMain::OpenFilesMenuAtCursor() {
    const int cursor = AccessibleCursor();
    if (cursor < 1) return;
    MoveFilesCursor(cursor);  // the row comes onto the page
    const CompareRow& row = CurrentFileView().ViewList[static_cast<size_t>(cursor)];
    size_t side = static_cast<size_t>(cursorSide_);
    if (!row.IsFolder() && row.Name[side].isEmpty()) side = 1 - side;
    const int gridRow = AccessiblePageRow(cursor);
    const int col = side == 0 ? 1 : 7;
    const QRect cell = ui->flexFiles->CellRect(gridRow, col);
    ShowFilesMenu(gridRow, col, ui->flexFiles->mapToGlobal(cell.bottomLeft()));
}

bool frmMain::FilesKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    const bool shiftOnly = (mods & ~Qt::ShiftModifier) == Qt::NoModifier;
    const FileView& files = CurrentFileView();
    const int count = files.LastIndex();
    const int page = qMax(1, vlsbFiles_->LargeChange());
    const int cursor = AccessibleCursor();
    int target = -1;
    switch (event->key()) {
    case Qt::Key_Up: target = cursor > 0 ? cursor - 1 : vlsbFiles_->Value(); break;
    case Qt::Key_Down: target = cursor > 0 ? cursor + 1 : vlsbFiles_->Value(); break;
    case Qt::Key_PageUp: target = (cursor > 0 ? cursor : vlsbFiles_->Value()) - page; break;
    case Qt::Key_PageDown: target = (cursor > 0 ? cursor : vlsbFiles_->Value()) + page; break;
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
        if (cursor < 1 || RefusedWhileRunning()) return true;
        const CompareRow& row = files.ViewList[static_cast<size_t>(cursor)];
        size_t side = static_cast<size_t>(cursorSide_);
        if (!row.IsFolder() && row.Name[side].isEmpty()) side = 1 - side;
        OpenViewRow(cursor, side);
        return true;
    }
    case Qt::Key_Menu:
        if (mods != Qt::NoModifier) return false;
        OpenFilesMenuAtCursor();
        return true;
    case Qt::Key_F10:
        if (mods != Qt::ShiftModifier) return false;
        OpenFilesMenuAtCursor();
        return true;
    default:
        return false;
    }
    if (!shiftOnly) return false;
    if (count < 1) return true;
    // Shift with a cursor key marks the rows from where the cursor was; without, the mark goes.
    if (mods == Qt::ShiftModifier) {
        if (filesAnchor_ < 1) filesAnchor_ = cursor > 0 ? cursor : std::clamp(target, 1, count);
    } else {
        filesAnchor_ = 0;
    }
    MoveFilesCursor(target);
    return true;
}

// ---- The list as a screen reader reads it ---------------------------------------------------

int frmMain::AccessibleRowCount() const { return qMax(0, CurrentFileView().LastIndex()); }

QString frmMain::AccessibleHeader(int col) const {
    if (col == 0) return Words(1194, QStringLiteral("Ticked"));
    if (col == 4) return Words(1193, QStringLiteral("Direction"));
    return ui->flexFiles->TextMatrix(0, col);
}

QString frmMain::AccessibleCell(int index, int col) const {
    const FileView& files = CurrentFileView();
    if (index < 1 || index > files.LastIndex() || col < 0 || col >= 8) return QString();
    const CompareRow& row = files.ViewList[static_cast<size_t>(index)];
    const ViewOptions& view = CurrentProfile().profile.View;
    const uint32_t archive = static_cast<uint32_t>(CurrentProfile().profile.Options.CheckArchiveAttr);
    if (col == 0) return FilesRowSentence(row, view.SyncOptions, archive, rowWords_);
    const QString text = FormatFilesRow(row, view.SyncOptions, archive).cells[static_cast<size_t>(col)].text;
    return col == 4 ? TOFlexGridModel::MarkerMeaning(text) : text;
}

bool frmMain::AccessibleTicked(int index) const {
    const FileView& files = CurrentFileView();
    return index >= 1 && index <= files.LastIndex() && files.ViewList[static_cast<size_t>(index)].Selected;
}

int frmMain::AccessibleCursor() const {
    return currentViewIndex_ >= 1 && currentViewIndex_ <= CurrentFileView().LastIndex() ? currentViewIndex_ : 0;
}

int frmMain::AccessiblePageRow(int index) const {
    const int row = index - vlsbFiles_->Value() + 1;
    const int page = qMax(1, vlsbFiles_->LargeChange());
    return index >= 1 && index <= CurrentFileView().LastIndex() && row >= 1 && row <= page ? row : -1;
}

int frmMain::AccessibleIndexAt(int pageRow) const {
    const int index = vlsbFiles_->Value() + pageRow - 1;
    return pageRow >= 1 && index >= 1 && index <= CurrentFileView().LastIndex() ? index : 0;
}

// ---- Tab order and names --------------------------------------------------------------------

void frmMain::SetTabOrder() {
    // In reading order: the pairs and their buttons, the four toolbars, the commands, the
    // counts, the file list.
    QList<QWidget*> order{ui->flexDirs, ui->cmdLoad, ui->cmdSave, ui->cmdAdd, ui->cmdEdit, ui->cmdRemove};
    for (QToolBar* bar : tbar_)
        for (QAction* action : bar->actions())
            if (QWidget* button = bar->widgetForAction(action); qobject_cast<QToolButton*>(button)) {
                button->setFocusPolicy(Qt::TabFocus);
                order << button;
            }
    order << ui->cmdCompare << ui->cmdSynch << ui->cmdTreeAndSearch << ui->cmdExtras << ui->lblFilesAndDirs_0
          << ui->lblFilesAndDirs_1 << ui->lblFilesAndDirs_2 << ui->flexFiles;
    for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void frmMain::LocaliseAccessibleNames() {
    rowWords_.folder = Words(1205, rowWords_.folder);
    rowWords_.leftSide = Words(1201, rowWords_.leftSide);
    rowWords_.rightSide = Words(1202, rowWords_.rightSide);
    rowWords_.notLeft = Words(1203, rowWords_.notLeft);
    rowWords_.notRight = Words(1204, rowWords_.notRight);
    rowWords_.ticked = Words(1195, rowWords_.ticked);
    rowWords_.notTicked = Words(1196, rowWords_.notTicked);
    rowWords_.toRight = Words(1197, rowWords_.toRight);
    rowWords_.toLeft = Words(1198, rowWords_.toLeft);
    rowWords_.deleteMark = Words(1199, rowWords_.deleteMark);
    rowWords_.nothing = Words(1200, rowWords_.nothing);
    TOFlexGridModel::SetMarkerNames(rowWords_.ticked, rowWords_.notTicked, rowWords_.toRight, rowWords_.toLeft,
                                    rowWords_.deleteMark);
    ui->flexFiles->setAccessibleName(Words(1190, QStringLiteral("Compared files")));
    ui->flexDirs->setAccessibleName(Words(1191, QStringLiteral("Folder pairs")));
    ui->vsbFiles->setAccessibleName(Words(1192, QStringLiteral("Position in the file list")));
    // The count boxes say what they count: what goes right, what stays, what goes left.
    ui->lblFilesAndDirs_0->setAccessibleName(rowWords_.toRight);
    ui->lblFilesAndDirs_1->setAccessibleName(rowWords_.nothing);
    ui->lblFilesAndDirs_2->setAccessibleName(rowWords_.toLeft);
    for (size_t i = 0; i < status_.size(); ++i)
        status_[i]->setAccessibleDescription(Words(1207, QStringLiteral("Status field %1")).arg(i + 1));
    ui->lblSplit->setAccessibleName(FormatToolTip(QStringLiteral("114")));
    // Two bars have an "All" button and two a "Src": each button's name also names its bar.
    for (QToolBar* bar : tbar_) {
        const QString barName = FormatMsg(bar->property("key").toInt());
        if (!barName.isEmpty()) bar->setAccessibleName(barName);
        // The button that a narrow window shows for the buttons that do not fit (Qt names it so).
        if (auto* more = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
            more->setAccessibleName(FormatMsg(1286, {bar->accessibleName()}));
        for (QAction* action : bar->actions())
            if (QWidget* button = bar->widgetForAction(action); button && !action->isSeparator())
                button->setAccessibleName(QStringLiteral("%1 (%2)").arg(QString(action->text()).remove(QLatin1Char('&')),
                                                                        bar->accessibleName()));
    }
}
