// The profile list of the main window: one row per folder pair with its five switches.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/ProfileLoading.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "ui/dialogs/dlgDirs.h"
#include "ui/main/FilesPage.h"
#include "ui/main/TOFlexGrid.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

namespace {
bool& SwitchOf(FolderPair& pair, int col) {
    switch (col) {
    case 3: return pair.System[0];
    case 4: return pair.Hidden[0];
    case 5: return pair.System[1];
    case 6: return pair.Hidden[1];
    default: return pair.SubDirs;
    }
}

// How many lines a text needs in a column of the given width, wrapping as the cell does.
int LineCount(const QFontMetrics& metrics, int width, const QString& text) {
    const QRect bound = metrics.boundingRect(QRect(0, 0, qMax(1, width - 6), 100000),
                                             Qt::TextWordWrap | Qt::TextWrapAnywhere, text);
    return qMax(1, (bound.height() + metrics.lineSpacing() - 1) / metrics.lineSpacing());
}

constexpr const char* DirsTitleDefault = "Folder 1|Folder 2|Su|SD|HD|SF|HF";
}  // namespace

QString frmMain::DirsMark(bool on) const { return Marker::Check(on); }

void frmMain::PrepareDirsTitle() {
    TOFlexGrid* grid = ui->flexDirs;
    grid->Clear();
    grid->SetRows(1);
    const ProfileOptions& options = CurrentProfile().profile.Options;
    QString format = FormatMsg(115, {QStringLiteral("|"), options.ListName[0], options.ListName[1]});
    if (format.split(QLatin1Char('|')).size() < 7) format = QString::fromLatin1(DirsTitleDefault);
    grid->SetFormatString(format.section(QLatin1Char('|'), 0, 6));
    highlightedRow_ = 0;
    dirsRowSelected_ = false;
    currentDirsRow_ = 0;
    UpdatePairButtons();
    // The switch columns are as wide as their titles, and never narrower than a square box.
    for (int c = 2; c < 7; ++c) grid->SetColWidth(c, qMax(grid->ColWidth(c), grid->RowHeight(0) + 8));
    // Their titles stand centred over the boxes, which are drawn in the middle of the cells.
    for (int c = 2; c < 7; ++c) grid->SetColAlignment(c, Qt::AlignHCenter | Qt::AlignVCenter);
}

void frmMain::PrepareDirsWidth() {
    TOFlexGrid* grid = ui->flexDirs;
    int free = grid->viewport()->width();
    for (int c = 2; c < 7; ++c) free -= grid->ColWidth(c);
    // The viewport already leaves out a visible scrollbar.
    const int half = qMax(40, static_cast<int>(free / 2.0 + 0.5));
    if (grid->ColWidth(0) == half && grid->ColWidth(1) == half) return;
    grid->SetColWidth(0, half);
    grid->SetColWidth(1, half);
    const int pairs = static_cast<int>(CurrentProfile().profile.Pairs.size());
    for (int r = 1; r < grid->Rows() && r <= pairs; ++r) FormatDirsRow(r);
}

void frmMain::FormatDirsRow(int row) {
    TOFlexGrid* grid = ui->flexDirs;
    const QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size() || row >= grid->Rows()) return;
    const FolderPair& pair = pairs[row - 1];
    for (int c = 2; c < 7; ++c) grid->SetCellFontName(row, c, TOFlexGridModel::MarkerFont);
    grid->SetTextMatrix(row, 0, pair.Dir[0]);
    grid->SetTextMatrix(row, 1, pair.Dir[1]);
    const bool marks[5] = {pair.SubDirs, pair.System[0], pair.Hidden[0], pair.System[1], pair.Hidden[1]};
    for (int c = 2; c < 7; ++c) grid->SetTextMatrix(row, c, DirsMark(marks[c - 2]));
    // A long path wraps in its cell and the row grows to whole multiples of the title height.
    const QFontMetrics metrics(grid->font());
    const int lines = qMax(LineCount(metrics, grid->ColWidth(0), pair.Dir[0]),
                           LineCount(metrics, grid->ColWidth(1), pair.Dir[1]));
    const int title = qMax(grid->RowHeight(0), metrics.height() + 6);
    grid->SetRowHeight(row, title * lines);
    PaintDirsRow(row, row == highlightedRow_);
}

void frmMain::PaintDirsRow(int row, bool highlighted) {
    TOFlexGrid* grid = ui->flexDirs;
    if (row < 1 || row >= grid->Rows()) return;
    for (int c = 0; c < 7; ++c) {
        grid->SetCellBackColor(row, c, highlighted ? grid->BackColorSel() : QColor());
        grid->SetCellForeColor(row, c, highlighted ? grid->ForeColorSel() : QColor());
    }
}

void frmMain::MarkStale() {
    CurrentFileView().Stale = true;
    ui->flexFiles->SetBackColor(FilesColor::Stale);
    UpdateFirstStartGuide();
}

bool frmMain::IsStale() const { return CurrentFileView().Stale; }

void frmMain::ToggleDirsSwitch(int row, int col) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (col < 2 || col > 6 || row < 1 || row > pairs.size()) return;
    if (RefusedWhileRunning()) return;
    bool& value = SwitchOf(pairs[row - 1], col);
    value = !value;
    ui->flexDirs->SetTextMatrix(row, col, DirsMark(value));
    CurrentProfile().ProfileChanged = true;
    MarkStale();
}

void frmMain::AddPair() {
    if (RefusedWhileRunning()) return;
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
    dlgDirs::ShowModal(this, pairs, index);
    if (pairs[index].Dir[0].isEmpty()) {
        pairs.removeAt(index);
        return;
    }
    CurrentProfile().ProfileChanged = true;
    MarkStale();
    const int row = static_cast<int>(CurrentProfile().profile.Pairs.size());
    ui->flexDirs->SetRows(row + 1);
    currentDirsRow_ = row;
    ui->flexDirs->SetRow(row);
    FormatDirsRow(row);
    PrepareDirsWidth();
    SelectDirsRow(row, -1);
}

void frmMain::EditPair(int row) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size()) return;
    if (RefusedWhileRunning()) return;
    const FolderPair before = pairs[row - 1];
    if (!dlgDirs::ShowModal(this, pairs, row - 1)) return;
    const FolderPair& edited = pairs[row - 1];
    const bool same = edited.Dir == before.Dir && edited.SubDirs == before.SubDirs &&
                      edited.System == before.System && edited.Hidden == before.Hidden &&
                      edited.Mask == before.Mask && edited.AutoCreate == before.AutoCreate;
    if (same) return;
    CurrentProfile().ProfileChanged = true;
    MarkStale();
    FormatDirsRow(row);
}

void frmMain::RemovePair(int row) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size()) return;
    if (RefusedWhileRunning()) return;
    pairs.removeAt(row - 1);
    if (ui->flexDirs->Rows() <= 2) {
        ui->flexDirs->SetRows(1);
        CurrentProfile().ProfileChanged = false;
    } else {
        ui->flexDirs->RemoveItem(row);
        CurrentProfile().ProfileChanged = true;
    }
    // The highlight and the selection belonged to the removed row.
    highlightedRow_ = 0;
    dirsRowSelected_ = false;
    currentDirsRow_ = 0;
    UpdatePairButtons();
    PrepareDirsWidth();
    MarkStale();
}

void frmMain::SelectDirsRow(int row, int col) {
    TOFlexGrid* grid = ui->flexDirs;
    if (row < 1 || row >= grid->Rows()) return;
    grid->SetRedraw(false);
    if (highlightedRow_ >= 1 && highlightedRow_ < grid->Rows()) PaintDirsRow(highlightedRow_, false);
    highlightedRow_ = row;
    currentDirsRow_ = row;
    PaintDirsRow(row, true);
    grid->SetRow(row);
    if (col >= 0) grid->SetCol(col);
    grid->SetRedraw(true);
    dirsRowSelected_ = true;
    UpdatePairButtons();
}

void frmMain::UpdatePairButtons() {
    const bool selected = dirsRowSelected_ && currentDirsRow_ >= 1 && currentDirsRow_ < ui->flexDirs->Rows();
    ui->cmdEdit->setEnabled(selected && !running_);
    ui->cmdRemove->setEnabled(selected && !running_);
}

bool frmMain::EditEnabled() const { return ui->cmdEdit->isEnabled(); }
bool frmMain::RemoveEnabled() const { return ui->cmdRemove->isEnabled(); }

bool frmMain::DirsTitleToolTip(QEvent* event) {
    TOFlexGrid* grid = ui->flexDirs;
    auto* he = static_cast<QHelpEvent*>(event);
    const QPoint at = grid->viewport()->mapTo(grid, he->pos());
    const int row = grid->RowAtPoint(at), col = grid->ColAtPoint(at);
    // Su, SD, HD, SF and HF in words; the other cells keep the grid's own tooltip.
    const QString tip = row == 0 && col >= 2 && col <= 6 ? FormatMsg(1241 + (col - 2)) : QString();
    if (tip.isEmpty()) return false;
    QToolTip::showText(he->globalPos(), tip, grid);
    return true;
}

void frmMain::ClickDirs(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers keys, bool onData,
                        const QPoint& globalPos) {
    TOFlexGrid* grid = ui->flexDirs;
    const bool dataRow = onData && row >= 1 && row < grid->Rows();
    if (dataRow) SelectDirsRow(row, col);
    const Qt::KeyboardModifiers mods = keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (button == Qt::LeftButton && mods == Qt::NoModifier && dataRow) {
        ToggleDirsSwitch(row, col);
    } else if (button == Qt::RightButton && mods == Qt::NoModifier) {
        // Every item of these menus changes the profile.
        if (RefusedWhileRunning()) return;
        if (dataRow) {
            const FolderPair& pair = CurrentProfile().profile.Pairs[row - 1];
            mnuPop1_SubDirs_->setEnabled(true);
            mnuPop1_SubDirs_->setChecked(pair.SubDirs);
            const bool attrs[4] = {pair.System[0], pair.Hidden[0], pair.System[1], pair.Hidden[1]};
            for (size_t i = 0; i < 4; ++i) mnuPop1_Attr_[i]->setChecked(attrs[i]);
            mnuPop1_->popup(globalPos);
        } else {
            mnuPop2_Save_->setEnabled(!CurrentProfile().profile.Pairs.isEmpty());
            mnuPop2_->popup(globalPos);
        }
    }
}

bool frmMain::DropProfileFile(const QStringList& paths, bool ctrl) {
    // Exactly one path to an existing file ending in ".tdp"; anything else is ignored.
    if (paths.size() != 1) return false;
    if (RefusedWhileRunning()) return false;
    const QString path = paths.first();
    const QFileInfo info(path);
    if (!path.endsWith(QStringLiteral(".tdp"), Qt::CaseInsensitive) || info.isDir()) return false;
    raise();
    activateWindow();
    CurrentProfileState& current = CurrentProfile();
    if (ctrl && !current.ProfilePath.isEmpty()) {
        if (!ImportProfilePairs(path, current.profile)) {
            Host().AppMessageBox(FormatMsg(805, {path}), MsgBox::Exclamation);
            return true;
        }
        MarkStale();
        const int count = static_cast<int>(current.profile.Pairs.size());
        ui->flexDirs->SetRows(count + 1);
        for (int r = 1; r <= count; ++r) FormatDirsRow(r);
        PrepareDirsWidth();
        return true;
    }
    if (current.ProfileChanged &&
        Host().AppMessageBox(FormatMsg(800), MsgBox::YesNo | MsgBox::Question) == MsgBox::Yes)
        SaveProfileAs();
    current.ProfilePath = path;
    CurrentFileView().SelectAll = true;
    LoadProfile(*this);
    return true;
}

void frmMain::ConnectGrids() {
    TOFlexGrid* dirs = ui->flexDirs;
    connect(dirs, &TOFlexGrid::MouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, int, int) {
        dirsButton_ = button;
        dirsKeys_ = keys;
    });
    connect(dirs, &TOFlexGrid::Click, this, [this, dirs] {
        // The release that ends a double-click is no click of its own.
        if (dirsSuppressClick_) {
            dirsSuppressClick_ = false;
            return;
        }
        const int row = dirs->MouseRow();
        ClickDirs(row, dirs->MouseCol(), dirsButton_, dirsKeys_, row >= 1, QCursor::pos());
    });
    connect(dirs, &TOFlexGrid::DblClick, this, [this, dirs] {
        dirsSuppressClick_ = true;
        if (dirsButton_ != Qt::LeftButton || (dirsKeys_ & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
            return;
        const int row = dirs->MouseRow();
        if (row >= 1 && row < dirs->Rows()) EditPair(row);
        else AddPair();
    });
    connect(dirs, &TOFlexGrid::OLEDragOver, this,
            [](const QMimeData*, Qt::DropAction* effect, Qt::MouseButtons, Qt::KeyboardModifiers keys, int, int) {
                *effect = keys == Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
            });
    connect(dirs, &TOFlexGrid::OLEDragDrop, this,
            [this](const QMimeData* mime, Qt::DropAction, Qt::MouseButtons, Qt::KeyboardModifiers keys, int, int) {
                QStringList paths;
                if (mime->hasUrls()) {
                    for (const QUrl& url : mime->urls()) paths << (url.isLocalFile() ? url.toLocalFile() : QString());
                } else if (mime->hasText()) {
                    const QString text = mime->text().trimmed();
                    if (!text.contains(QLatin1Char('\n'))) paths << text;
                }
                if (paths.size() == 1 && paths.first().isEmpty()) paths.clear();
                DropProfileFile(paths, keys == Qt::ControlModifier);
            });

    // A switch ticked through the model (a screen reader, the keyboard) changes the pair as a
    // click does.
    connect(dirs->Model(), &TOFlexGridModel::CheckRequested, this, [this](int row, int col, bool checked) {
        QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
        if (col < 2 || col > 6 || row < 1 || row > pairs.size()) return;
        if (SwitchOf(pairs[row - 1], col) != checked) ToggleDirsSwitch(row, col);
    });

    TOFlexGrid* files = ui->flexFiles;
    connect(files->Model(), &TOFlexGridModel::CheckRequested, this,
            [this](int row, int col, bool checked) { RequestFilesTick(row, col, checked); });
    connect(files, &TOFlexGrid::MouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, int, int) {
        filesButton_ = button;
        filesKeys_ = keys;
        ui->flexFiles->setFocus(Qt::MouseFocusReason);
    });
    connect(files, &TOFlexGrid::Click, this, [this, files] {
        if (filesSuppressClick_) {
            filesSuppressClick_ = false;
            return;
        }
        // Below the last row of the page counts as beyond the list.
        const int row = files->MouseRow() < 0 ? files->Rows() : files->MouseRow();
        ClickFiles(row, files->MouseCol(), filesButton_, filesKeys_, QCursor::pos());
    });
    connect(files, &TOFlexGrid::DblClick, this, [this, files] {
        filesSuppressClick_ = true;
        if (filesButton_ != Qt::LeftButton || (filesKeys_ & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)))
            return;
        const int row = files->MouseRow() < 0 ? files->Rows() : files->MouseRow();
        DoubleClickFiles(row, files->MouseCol());
    });
}
