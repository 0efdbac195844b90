#include "ui/main/MainPairList.h"

#include "config/ProgramSettings.h"
#include "engine/ProfileLoading.h"
#include "i18n/TextLookup.h"
#include "ui/dialogs/dlgDirs.h"
#include "ui/main/FilesPage.h"
#include "ui/main/MainMessages.h"
#include "ui/main/RunLock.h"
#include "ui/main/TOFlexGrid.h"

#include <QHelpEvent>
#include <QMimeData>
#include <QToolTip>
#include <QUrl>

#include <algorithm>

namespace {
constexpr int ColumnCount = 7;
constexpr int FirstSwitchColumn = 2;
constexpr int LastSwitchColumn = 6;
constexpr const char* TitleDefault = "Folder 1|Folder 2|Su|SD|HD|SF|HF";

bool& SwitchOf(FolderPair& pair, int col) {
    switch (col) {
    case 3: return pair.System[0];
    case 4: return pair.Hidden[0];
    case 5: return pair.System[1];
    case 6: return pair.Hidden[1];
    default: return pair.SubDirs;
    }
}

bool IsSwitchCell(int row, int col, const QList<FolderPair>& pairs) {
    return col >= FirstSwitchColumn && col <= LastSwitchColumn && row >= 1 && row <= pairs.size();
}

// How many lines a text needs in a column of the given width, wrapping as the cell does.
int LineCount(const QFontMetrics& metrics, int width, const QString& text) {
    const QRect bound = metrics.boundingRect(QRect(0, 0, qMax(1, width - 6), 100000),
                                             Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
    return qMax(1, (bound.height() + metrics.lineSpacing() - 1) / metrics.lineSpacing());
}
}  // namespace

MainPairList::MainPairList(TOFlexGrid* grid, RunLock& lock, QWidget* dialogOwner)
    : QObject(grid), grid_(grid), lock_(lock), dialogOwner_(dialogOwner) {
    grid_->SetCols(ColumnCount);
    grid_->SetWordWrap(true);
    grid_->SetScrollBars(TOFlexGrid::ScrollBarVertical);
    grid_->SetMergeCells(2);
    grid_->SetOLEDropMode(1);
    ConnectGrid();
}

void MainPairList::PrepareTitle() {
    grid_->Clear();
    grid_->SetRows(1);
    const ProfileOptions& options = CurrentProfile().profile.Options;
    QString format = FormatMsg(MainMsg::DirsTitles, {QStringLiteral("|"), options.ListName[0], options.ListName[1]});
    if (format.split(QLatin1Char('|')).size() < ColumnCount) format = QString::fromLatin1(TitleDefault);
    grid_->SetFormatString(format.section(QLatin1Char('|'), 0, ColumnCount - 1));
    highlightedRow_ = 0;
    ClearSelection();
    // The switch columns are as wide as their titles, and never narrower than a square box.
    for (int c = FirstSwitchColumn; c <= LastSwitchColumn; ++c)
        grid_->SetColWidth(c, qMax(grid_->ColWidth(c), grid_->RowHeight(0) + 8));
    // Their titles stand centred over the boxes, which are drawn in the middle of the cells.
    for (int c = FirstSwitchColumn; c <= LastSwitchColumn; ++c) grid_->SetColAlignment(c, Qt::AlignHCenter | Qt::AlignVCenter);
}

void MainPairList::PrepareWidth() {
    int free = grid_->viewport()->width();
    for (int c = FirstSwitchColumn; c <= LastSwitchColumn; ++c) free -= grid_->ColWidth(c);
    // The viewport already leaves out a visible scrollbar.
    const int half = qMax(40, static_cast<int>(free / 2.0 + 0.5));
    if (grid_->ColWidth(0) == half && grid_->ColWidth(1) == half) return;
    grid_->SetColWidth(0, half);
    grid_->SetColWidth(1, half);
    const int pairs = static_cast<int>(CurrentProfile().profile.Pairs.size());
    for (int r = 1; r < grid_->Rows() && r <= pairs; ++r) FormatRow(r);
}

void MainPairList::ShowPairs() {
    const int count = static_cast<int>(CurrentProfile().profile.Pairs.size());
    grid_->SetRows(count + 1);
    PrepareWidth();
    for (int r = 1; r <= count; ++r) FormatRow(r);
}

void MainPairList::FormatRow(int row) {
    const QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size() || row >= grid_->Rows()) return;
    const FolderPair& pair = pairs[row - 1];
    for (int c = FirstSwitchColumn; c <= LastSwitchColumn; ++c) grid_->SetCellFontName(row, c, TOFlexGridModel::MarkerFont);
    grid_->SetTextMatrix(row, 0, pair.Dir[0]);
    grid_->SetTextMatrix(row, 1, pair.Dir[1]);
    const bool marks[5] = {pair.SubDirs, pair.System[0], pair.Hidden[0], pair.System[1], pair.Hidden[1]};
    for (int c = FirstSwitchColumn; c <= LastSwitchColumn; ++c) grid_->SetTextMatrix(row, c, Marker::Check(marks[c - 2]));
    // A long path wraps in its cell and the row grows to whole multiples of the title height.
    const QFontMetrics metrics(grid_->font());
    const int lines = qMax(LineCount(metrics, grid_->ColWidth(0), pair.Dir[0]),
                           LineCount(metrics, grid_->ColWidth(1), pair.Dir[1]));
    const int title = qMax(grid_->RowHeight(0), metrics.height() + 6);
    grid_->SetRowHeight(row, title * lines);
    PaintRow(row, row == highlightedRow_);
}

void MainPairList::PaintRow(int row, bool highlighted) {
    if (row < 1 || row >= grid_->Rows()) return;
    for (int c = 0; c < ColumnCount; ++c) {
        grid_->SetCellBackColor(row, c, highlighted ? grid_->BackColorSel() : QColor());
        grid_->SetCellForeColor(row, c, highlighted ? grid_->ForeColorSel() : QColor());
    }
}

void MainPairList::ToggleSwitch(int row, int col) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (!IsSwitchCell(row, col, pairs)) return;
    if (lock_.Refused()) return;
    bool& value = SwitchOf(pairs[row - 1], col);
    value = !value;
    grid_->SetTextMatrix(row, col, Marker::Check(value));
    CurrentProfile().ProfileChanged = true;
    emit PairsChanged();
}

void MainPairList::AddPair() {
    if (lock_.Refused()) return;
    const ProgramSettings& settings = Settings();
    FolderPair pair;
    pair.SubDirs = settings.SubDirs;
    pair.System = {settings.SysDirs, settings.SysFiles};
    pair.Hidden = {settings.HiddenDirs, settings.HiddenFiles};
    pair.Mask[MaskIncludeDirs] = QStringLiteral("*");
    pair.Mask[MaskExcludeDirs] = settings.ExcludeDirs;
    pair.Mask[MaskIncludeFiles] = QStringLiteral("*");
    pair.Mask[MaskExcludeFiles] = settings.ExcludeFiles;
    pair.Mask[MaskDeleteFiles] = settings.DeleteFiles;
    // The new pair stays in the profile only when the editor was confirmed with a folder 1.
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    pairs.append(pair);
    const int index = static_cast<int>(pairs.size()) - 1;
    dlgDirs::ShowModal(dialogOwner_, pairs, index);
    if (pairs[index].Dir[0].isEmpty()) {
        pairs.removeAt(index);
        return;
    }
    CurrentProfile().ProfileChanged = true;
    emit PairsChanged();
    const int row = static_cast<int>(CurrentProfile().profile.Pairs.size());
    grid_->SetRows(row + 1);
    currentRow_ = row;
    grid_->SetRow(row);
    FormatRow(row);
    PrepareWidth();
    Select(row, -1);
}

void MainPairList::EditPair(int row) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size()) return;
    if (lock_.Refused()) return;
    const FolderPair before = pairs[row - 1];
    if (!dlgDirs::ShowModal(dialogOwner_, pairs, row - 1)) return;
    const FolderPair& edited = pairs[row - 1];
    const bool same = edited.Dir == before.Dir && edited.SubDirs == before.SubDirs &&
                      edited.System == before.System && edited.Hidden == before.Hidden &&
                      edited.Mask == before.Mask && edited.AutoCreate == before.AutoCreate;
    if (same) return;
    CurrentProfile().ProfileChanged = true;
    emit PairsChanged();
    FormatRow(row);
}

void MainPairList::RemovePair(int row) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size()) return;
    if (lock_.Refused()) return;
    pairs.removeAt(row - 1);
    if (grid_->Rows() <= 2) {
        grid_->SetRows(1);
        CurrentProfile().ProfileChanged = false;
    } else {
        grid_->RemoveItem(row);
        CurrentProfile().ProfileChanged = true;
    }
    // The highlight and the selection belonged to the removed row.
    highlightedRow_ = 0;
    ClearSelection();
    PrepareWidth();
    emit PairsChanged();
}

void MainPairList::EditSelected() {
    if (rowSelected_) EditPair(currentRow_);
    else Host().Beep();
}

void MainPairList::RemoveSelected() {
    if (rowSelected_) RemovePair(currentRow_);
    else Host().Beep();
}

void MainPairList::ClearSelection() {
    rowSelected_ = false;
    currentRow_ = 0;
    emit SelectionChanged();
}

void MainPairList::Select(int row, int col) {
    if (row < 1 || row >= grid_->Rows()) return;
    grid_->SetRedraw(false);
    if (highlightedRow_ >= 1 && highlightedRow_ < grid_->Rows()) PaintRow(highlightedRow_, false);
    highlightedRow_ = row;
    currentRow_ = row;
    PaintRow(row, true);
    grid_->SetRow(row);
    if (col >= 0) grid_->SetCol(col);
    grid_->SetRedraw(true);
    rowSelected_ = true;
    emit SelectionChanged();
}

bool MainPairList::HasSelection() const { return rowSelected_ && currentRow_ >= 1 && currentRow_ < grid_->Rows(); }

bool MainPairList::TitleToolTip(QEvent* event) {
    auto* he = static_cast<QHelpEvent*>(event);
    const QPoint at = grid_->viewport()->mapTo(grid_, he->pos());
    const int row = grid_->RowAtPoint(at), col = grid_->ColAtPoint(at);
    // Su, SD, HD, SF and HF in words; the other cells keep the grid's own tooltip.
    const bool switchTitle = row == 0 && col >= FirstSwitchColumn && col <= LastSwitchColumn;
    const QString tip = switchTitle ? FormatMsg(MainMsg::SwitchTitleTip + (col - FirstSwitchColumn)) : QString();
    if (tip.isEmpty()) return false;
    QToolTip::showText(he->globalPos(), tip, grid_);
    return true;
}

void MainPairList::Click(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers keys, bool onData,
                         const QPoint& globalPos) {
    const bool dataRow = onData && row >= 1 && row < grid_->Rows();
    if (dataRow) Select(row, col);
    const Qt::KeyboardModifiers mods = keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (button == Qt::LeftButton && mods == Qt::NoModifier && dataRow) {
        ToggleSwitch(row, col);
    } else if (button == Qt::RightButton && mods == Qt::NoModifier) {
        // Every item of these menus changes the profile.
        if (lock_.Refused()) return;
        emit MenuRequested(dataRow ? row : 0, globalPos);
    }
}

void MainPairList::Wheel(int notches) {
    if (grid_->Rows() > 1) grid_->SetTopRow(std::clamp(grid_->TopRow() - notches, 1, grid_->Rows() - 1));
}

void MainPairList::ConnectGrid() {
    connect(grid_, &TOFlexGrid::MouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, int, int) {
        button_ = button;
        keys_ = keys;
    });
    connect(grid_, &TOFlexGrid::Click, this, [this] {
        // The release that ends a double-click is no click of its own.
        if (suppressClick_) {
            suppressClick_ = false;
            return;
        }
        const int row = grid_->MouseRow();
        Click(row, grid_->MouseCol(), button_, keys_, row >= 1, QCursor::pos());
    });
    connect(grid_, &TOFlexGrid::DblClick, this, [this] {
        suppressClick_ = true;
        if (button_ != Qt::LeftButton || (keys_ & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) return;
        const int row = grid_->MouseRow();
        if (row >= 1 && row < grid_->Rows()) EditPair(row);
        else AddPair();
    });
    connect(grid_, &TOFlexGrid::OLEDragOver, this,
            [](const QMimeData*, Qt::DropAction* effect, Qt::MouseButtons, Qt::KeyboardModifiers keys, int, int) {
                *effect = keys == Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
            });
    connect(grid_, &TOFlexGrid::OLEDragDrop, this,
            [this](const QMimeData* mime, Qt::DropAction, Qt::MouseButtons, Qt::KeyboardModifiers keys, int, int) {
                QStringList paths;
                if (mime->hasUrls()) {
                    for (const QUrl& url : mime->urls()) paths << (url.isLocalFile() ? url.toLocalFile() : QString());
                } else if (mime->hasText()) {
                    const QString text = mime->text().trimmed();
                    if (!text.contains(QLatin1Char('\n'))) paths << text;
                }
                if (paths.size() == 1 && paths.first().isEmpty()) paths.clear();
                emit FilesDropped(paths, keys == Qt::ControlModifier);
            });
    // A switch ticked through the model (a screen reader, the keyboard) changes the pair as a
    // click does.
    connect(grid_->Model(), &TOFlexGridModel::CheckRequested, this, [this](int row, int col, bool checked) {
        QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
        if (IsSwitchCell(row, col, pairs) && SwitchOf(pairs[row - 1], col) != checked) ToggleSwitch(row, col);
    });
}
