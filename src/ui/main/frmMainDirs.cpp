// The profile list of the main window: one row per folder pair with its five switches.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "app/ProfileCommands.h"
#include "config/ProfileFile.h"
#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/RunHost.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesPage.h"
#include "ui/main/FolderPairForm.h"
#include "ui/main/MarkerDelegate.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTableWidget>
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

QTableWidgetItem* ItemAt(QTableWidget* grid, int row, int col) {
    QTableWidgetItem* item = grid->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, col, item);
    }
    return item;
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
    QTableWidget* grid = ui->flexDirs;
    grid->clearContents();
    grid->setRowCount(0);
    const ProfileOptions& options = CurrentProfile().profile.Options;
    QStringList titles = FormatMsg(115, {QStringLiteral("|"), options.ListName[0], options.ListName[1]})
                             .split(QLatin1Char('|'));
    if (titles.size() < 7) titles = QString::fromLatin1(DirsTitleDefault).split(QLatin1Char('|'));
    grid->setHorizontalHeaderLabels(titles.mid(0, 7));
    highlightedRow_ = 0;
    dirsRowSelected_ = false;
    currentDirsRow_ = 0;
    const int title = grid->horizontalHeader()->sizeHint().height();
    for (int c = 2; c < 7; ++c) grid->setColumnWidth(c, title + 8);
}

void frmMain::PrepareDirsWidth() {
    QTableWidget* grid = ui->flexDirs;
    int free = grid->viewport()->width();
    for (int c = 2; c < 7; ++c) free -= grid->columnWidth(c);
    // The viewport already leaves out a visible scrollbar.
    const int half = qMax(40, static_cast<int>(free / 2.0 + 0.5));
    grid->setColumnWidth(0, half);
    grid->setColumnWidth(1, half);
    for (int r = 1; r <= grid->rowCount(); ++r) {
        if (r <= CurrentProfile().profile.Pairs.size()) FormatDirsRow(r);
    }
}

void frmMain::FormatDirsRow(int row) {
    QTableWidget* grid = ui->flexDirs;
    const QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size() || row > grid->rowCount()) return;
    const FolderPair& pair = pairs[row - 1];
    const int r = row - 1;
    for (int s = 0; s < 2; ++s) {
        QTableWidgetItem* item = ItemAt(grid, r, s);
        item->setText(pair.Dir[static_cast<size_t>(s)]);
    }
    const bool marks[5] = {pair.SubDirs, pair.System[0], pair.Hidden[0], pair.System[1], pair.Hidden[1]};
    const QStringList names = {QStringLiteral("Su"), QStringLiteral("SD"), QStringLiteral("HD"),
                               QStringLiteral("SF"), QStringLiteral("HF")};
    for (int c = 2; c < 7; ++c) {
        QTableWidgetItem* item = ItemAt(grid, r, c);
        item->setText(DirsMark(marks[c - 2]));
        item->setData(MarkerDelegate::MarkerRole, true);
        item->setData(Qt::AccessibleTextRole,
                      names[c - 2] + QLatin1Char(' ') + MarkerDelegate::SpokenText(item->text()));
    }
    // A long path wraps in its cell and the row grows to whole multiples of the title height.
    const QFontMetrics metrics(grid->font());
    const int lines = qMax(LineCount(metrics, grid->columnWidth(0), pair.Dir[0]),
                           LineCount(metrics, grid->columnWidth(1), pair.Dir[1]));
    const int title = qMax(grid->horizontalHeader()->sizeHint().height(), metrics.height() + 6);
    grid->setRowHeight(r, title * lines);
    PaintDirsRow(row, row == highlightedRow_);
}

void frmMain::PaintDirsRow(int row, bool highlighted) {
    QTableWidget* grid = ui->flexDirs;
    if (row < 1 || row > grid->rowCount()) return;
    const QPalette& palette = grid->palette();
    for (int c = 0; c < 7; ++c) {
        QTableWidgetItem* item = ItemAt(grid, row - 1, c);
        item->setBackground(highlighted ? palette.brush(QPalette::Highlight) : QBrush());
        item->setForeground(highlighted ? palette.brush(QPalette::HighlightedText) : QBrush());
    }
}

void frmMain::MarkStale() {
    CurrentFileView().Stale = true;
    QPalette palette = ui->flexFiles->palette();
    palette.setColor(QPalette::Base, FilesColor::Stale);
    ui->flexFiles->setPalette(palette);
}

bool frmMain::IsStale() const { return CurrentFileView().Stale; }

void frmMain::ToggleDirsSwitch(int row, int col) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (col < 2 || col > 6 || row < 1 || row > pairs.size()) return;
    bool& value = SwitchOf(pairs[row - 1], col);
    value = !value;
    ItemAt(ui->flexDirs, row - 1, col)->setText(DirsMark(value));
    FormatDirsRow(row);
    CurrentProfile().ProfileChanged = true;
    MarkStale();
}

void frmMain::AddPair() {
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
    // The pair joins the profile only when the form is confirmed with a folder 1.
    if (!FolderPairForm::EditPair(this, pair) || pair.Dir[0].isEmpty()) return;
    CurrentProfile().profile.Pairs.append(pair);
    CurrentProfile().ProfileChanged = true;
    MarkStale();
    const int row = static_cast<int>(CurrentProfile().profile.Pairs.size());
    ui->flexDirs->setRowCount(row);
    currentDirsRow_ = row;
    FormatDirsRow(row);
    PrepareDirsWidth();
}

void frmMain::EditPair(int row) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size()) return;
    FolderPair edited = pairs[row - 1];
    if (!FolderPairForm::EditPair(this, edited)) return;
    const FolderPair& before = pairs[row - 1];
    const bool same = edited.Dir == before.Dir && edited.SubDirs == before.SubDirs &&
                      edited.System == before.System && edited.Hidden == before.Hidden &&
                      edited.Mask == before.Mask && edited.AutoCreate == before.AutoCreate;
    if (same) return;
    pairs[row - 1] = edited;
    CurrentProfile().ProfileChanged = true;
    MarkStale();
    FormatDirsRow(row);
}

void frmMain::RemovePair(int row) {
    QList<FolderPair>& pairs = CurrentProfile().profile.Pairs;
    if (row < 1 || row > pairs.size()) return;
    pairs.removeAt(row - 1);
    if (ui->flexDirs->rowCount() <= 1) {
        ui->flexDirs->setRowCount(0);
        CurrentProfile().ProfileChanged = false;
    } else {
        ui->flexDirs->removeRow(row - 1);
        CurrentProfile().ProfileChanged = true;
    }
    // The highlight and the selection belonged to the removed row.
    highlightedRow_ = 0;
    dirsRowSelected_ = false;
    currentDirsRow_ = 0;
    PrepareDirsWidth();
    MarkStale();
}

void frmMain::ClickDirs(int row, int col, Qt::MouseButton button, Qt::KeyboardModifiers keys, bool onData,
                        const QPoint& globalPos) {
    QTableWidget* grid = ui->flexDirs;
    const bool dataRow = onData && row >= 1 && row <= grid->rowCount();
    if (dataRow) {
        grid->setUpdatesEnabled(false);
        if (highlightedRow_ >= 1 && highlightedRow_ <= grid->rowCount()) PaintDirsRow(highlightedRow_, false);
        highlightedRow_ = row;
        currentDirsRow_ = row;
        PaintDirsRow(row, true);
        grid->setCurrentCell(row - 1, col);
        grid->setUpdatesEnabled(true);
        dirsRowSelected_ = true;
    }
    const Qt::KeyboardModifiers mods = keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (button == Qt::LeftButton && mods == Qt::NoModifier && dataRow) {
        ToggleDirsSwitch(row, col);
    } else if (button == Qt::RightButton && mods == Qt::NoModifier) {
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
        ui->flexDirs->setRowCount(count);
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

bool frmMain::DirsEvent(QObject* watched, QEvent* event) {
    QTableWidget* grid = ui->flexDirs;
    const bool header = watched == grid->horizontalHeader()->viewport();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        dirsButton_ = me->button();
        dirsKeys_ = me->modifiers();
        grid->setFocus();
        return header;  // the title row does not sort or select
    }
    case QEvent::MouseButtonRelease: {
        if (suppressRelease_) {
            suppressRelease_ = false;
            return true;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        const QPoint pos = me->position().toPoint();
        const QModelIndex index = header ? QModelIndex() : grid->indexAt(pos);
        const int col = header ? grid->horizontalHeader()->logicalIndexAt(pos) : index.column();
        ClickDirs(index.isValid() ? index.row() + 1 : 0, col, dirsButton_, dirsKeys_, index.isValid(),
                  me->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        suppressRelease_ = true;
        if (me->button() != Qt::LeftButton || me->modifiers() != Qt::NoModifier) return true;
        const QModelIndex index = header ? QModelIndex() : grid->indexAt(me->position().toPoint());
        if (index.isValid()) EditPair(index.row() + 1);
        else AddPair();
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* de = static_cast<QDragMoveEvent*>(event);
        de->setDropAction((de->modifiers() & Qt::ControlModifier) && !(de->modifiers() & ~Qt::ControlModifier)
                              ? Qt::CopyAction : Qt::MoveAction);
        de->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* de = static_cast<QDropEvent*>(event);
        QStringList paths;
        const QMimeData* mime = de->mimeData();
        if (mime->hasUrls()) {
            for (const QUrl& url : mime->urls()) paths << (url.isLocalFile() ? url.toLocalFile() : QString());
        } else if (mime->hasText()) {
            const QString text = mime->text().trimmed();
            if (!text.contains(QLatin1Char('\n'))) paths << text;
        }
        if (paths.size() == 1 && paths.first().isEmpty()) paths.clear();
        const bool ctrl = de->modifiers() == Qt::ControlModifier;
        de->acceptProposedAction();
        DropProfileFile(paths, ctrl);
        return true;
    }
    default:
        return false;
    }
}
