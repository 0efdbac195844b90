// The file list of the main window: one page of the view list under the scrollbar, the
// toolbars that filter it, the clicks that tick rows and the popup menu of its rows.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "engine/FileView.h"
#include "engine/RunHost.h"
#include "engine/SyncRun.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesPage.h"
#include "ui/main/FilesSelection.h"
#include "ui/main/MarkerDelegate.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/clsMousePointer.h"

#if __has_include("engine/CompareRun.h")
#include "engine/CompareRun.h"
#define TANDOR_HAS_COMPARE_RUN 1
#endif

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QTableWidget>
#include <QTime>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QUrl>
#include <QHelpEvent>
#include <QMouseEvent>

namespace {
// Toolbar key numbers; a button's caption and tooltip are found at the toolbar's key plus the
// button's place on the bar (counted from 1).
constexpr int ToolbarKey[4] = {300, 310, 320, 330};
// The buttons of each bar as their keys "#d"; -1 is the keyless separator of toolbar 1.
const std::vector<int> ToolbarDigits[4] = {{0}, {0, 1, 2, 3, -1, 4}, {0, 1, 2}, {0, 1, 2, 3, 4}};
const char* const ToolbarDesign[4][6] = {{"Empty"},
                                         {"All", "Mod", "Src", "Dest", "", "Same"},
                                         {"All", "Both", "Singles"},
                                         {"Src", "Dest", "Reverse", "Delete in 1", "Delete in 2"}};
constexpr const char* FilesTitleDefault = "|Folder 1|Size|Modified||Modified|Size|Folder 2";

QTableWidgetItem* ItemAt(QTableWidget* grid, int row, int col) {
    QTableWidgetItem* item = grid->item(row, col);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row, col, item);
    }
    return item;
}

// The sample date and time that sizes the time columns: 30 November 2005, 12:59:59.
QString SampleTime() {
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(2005, 11, 30)));
    return FormatFileTime(days + (12 * 3600 + 59 * 60 + 59) / 86400.0);
}
}  // namespace

// ---- Toolbars -------------------------------------------------------------------------------

void frmMain::BuildToolbars() {
    QToolBar* bars[4] = {ui->tbar_0, ui->tbar_1, ui->tbar_2, ui->tbar_3};
    for (int b = 0; b < 4; ++b) {
        tbar_[static_cast<size_t>(b)] = bars[b];
        bars[b]->setToolButtonStyle(Qt::ToolButtonTextOnly);
        bars[b]->setFloatable(false);
        bars[b]->setMovable(false);
        QActionGroup* group = nullptr;
        if (b == 1 || b == 2) {
            group = new QActionGroup(bars[b]);
            group->setExclusive(true);
        }
        const std::vector<int>& digits = ToolbarDigits[b];
        for (size_t i = 0; i < digits.size(); ++i) {
            if (digits[i] < 0) {
                bars[b]->addSeparator();
                continue;
            }
            QAction* action = bars[b]->addAction(QString::fromLatin1(ToolbarDesign[b][i]));
            action->setCheckable(true);
            action->setProperty("buttonKey", QStringLiteral("#%1").arg(digits[i]));
            action->setProperty("key", ToolbarKey[b] + static_cast<int>(i) + 1);
            action->setObjectName(QStringLiteral("tbar_%1_%2").arg(b).arg(i));
            if (group) group->addAction(action);
            const int index = static_cast<int>(i);
            connect(action, &QAction::triggered, this, [this, b, index] { ToolbarClick(b, index); });
        }
        // In a row of the window a toolbar would otherwise fold its buttons away.
        bars[b]->setMinimumWidth(bars[b]->sizeHint().width());
    }
}

QToolButton* frmMain::toolbarButton(int bar, int index) const {
    QToolBar* toolbar = tbar_[static_cast<size_t>(bar)];
    const QList<QAction*> actions = toolbar->actions();
    if (index < 0 || index >= actions.size()) return nullptr;
    return qobject_cast<QToolButton*>(toolbar->widgetForAction(actions[index]));
}

void frmMain::LocaliseComputedTexts() {
    const bool withText = Settings().ButtonBarsWithText;
    for (QToolBar* bar : tbar_) {
        for (QAction* action : bar->actions()) {
            const int key = action->property("key").toInt();
            if (key == 0) continue;
            const QString text = FormatMsg(key);
            const QString tip = FormatToolTip(QString::number(key));
            // Without pictures an empty caption would leave a blank button, so the caption
            // stays even when the setting asks for bars without text.
            if (!text.isEmpty()) action->setText(text);
            action->setToolTip(tip);
            bar->setMinimumWidth(bar->sizeHint().width());
            if (QWidget* w = bar->widgetForAction(action)) {
                w->setAccessibleName(action->text());
                w->setAccessibleDescription(tip);
            }
            Q_UNUSED(withText);
        }
    }
    for (QMenu* menu : {mnuPop1_, mnuPop2_, mnuPop3_, mnuPop4_, mnuExamples_}) {
        if (!menu) continue;
        for (QAction* action : menu->actions()) {
            const int key = action->property("key").toInt();
            if (key == 0) continue;
            const QString text = Localizer().ControlText(QString::number(key));
            if (!text.isEmpty()) action->setText(text);
        }
    }
}

void frmMain::ApplyToolbarStates() {
    const ViewOptions& view = CurrentProfile().profile.View;
    auto setChecked = [this](int bar, int digit, bool on) {
        for (QAction* action : tbar_[static_cast<size_t>(bar)]->actions())
            if (action->property("buttonKey").toString() == QStringLiteral("#%1").arg(digit)) action->setChecked(on);
    };
    setChecked(0, 0, view.ShowEmptyFolders);
    setChecked(1, view.Filter1, true);
    setChecked(2, view.Filter2, true);
    for (int d = 0; d < 5; ++d) setChecked(3, d, view.SyncOptions[static_cast<size_t>(d)]);
    tbar_[2]->setEnabled(FileView::Filter2Applies(view.Filter1));
}

void frmMain::ToolbarClick(int bar, int button) {
    const QList<QAction*> actions = tbar_[static_cast<size_t>(bar)]->actions();
    if (button < 0 || button >= actions.size()) return;
    QAction* action = actions[button];
    const QString key = action->property("buttonKey").toString();
    if (key.isEmpty()) return;
    clsMousePointer busy;
    const int digit = key.right(1).toInt();
    ViewOptions& view = CurrentProfile().profile.View;
    switch (bar) {
    case 0:
        view.ShowEmptyFolders = action->isChecked();
        UpdateFilesView(view.Filter1);
        break;
    case 1:
        UpdateFilesView(digit);
        break;
    case 2:
        view.Filter2 = digit;
        UpdateFilesView(view.Filter1);
        break;
    case 3:
        Q_ASSERT(digit >= 0 && digit <= 4);
        view.SyncOptions[static_cast<size_t>(digit)] = action->isChecked();
        DisplayFiles();
        break;
    default:
        return;
    }
    // The toolbar states are part of the profile.
    if (!CurrentProfile().profile.Pairs.isEmpty()) CurrentProfile().ProfileChanged = true;
}

// ---- The page -------------------------------------------------------------------------------

int frmMain::PageSize() const {
    const int rowHeight = qMax(1, ui->flexFiles->verticalHeader()->defaultSectionSize());
    return qMax(1, ui->flexFiles->viewport()->height() / rowHeight);
}

void frmMain::PrepareFilesTitle() {
    QTableWidget* grid = ui->flexFiles;
    const FileView& files = CurrentFileView();
    const ProfileOptions& options = CurrentProfile().profile.Options;
    const QString mark = Marker::Check(files.SelectAll);
    // The sizing titles: the sample date stands where a time column's title goes.
    QStringList sizing = (mark + FormatMsg(125, {QStringLiteral("|"), SampleTime(), options.ListName[0],
                                                 options.ListName[1]})).split(QLatin1Char('|'));
    QStringList titles = (mark + FormatMsg(126, {QStringLiteral("|"), options.ListName[0], options.ListName[1]}))
                             .split(QLatin1Char('|'));
    if (titles.size() < 8) titles = (mark + QString::fromLatin1(FilesTitleDefault)).split(QLatin1Char('|'));
    if (sizing.size() < 8) sizing = titles;
    const QFontMetrics metrics(grid->font());
    const QFontMetrics bold([&] { QFont f = grid->font(); f.setBold(true); return f; }());
    const int title = grid->horizontalHeader()->sizeHint().height();
    for (int c = 0; c < 8; ++c) {
        if (c == 0 || c == 4) grid->setColumnWidth(c, title);
        else if (c == 2 || c == 3 || c == 5 || c == 6) grid->setColumnWidth(c, bold.horizontalAdvance(sizing[c]) + 16);
    }
    int remaining = grid->viewport()->width();
    for (int c : {0, 2, 3, 4, 5, 6}) remaining -= grid->columnWidth(c);
    const int half = qMax(40, static_cast<int>(remaining / 2.0 + 0.5));
    grid->setColumnWidth(1, half);
    grid->setColumnWidth(7, half);
    for (int c = 0; c < 8; ++c) {
        QTableWidgetItem* header = grid->horizontalHeaderItem(c);
        if (!header) {
            header = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(c, header);
        }
        header->setText(c == 0 ? MarkerDelegate::SpokenText(mark).isEmpty() ? mark : mark : titles[c]);
    }
    grid->horizontalHeaderItem(0)->setData(Qt::AccessibleTextRole, MarkerDelegate::SpokenText(mark));
}

void frmMain::SetFilesCell(int row, int col, const FilesCell& cell) {
    QTableWidgetItem* item = ItemAt(ui->flexFiles, row, col);
    item->setText(cell.text);
    QColor fore = cell.fore;
    if (cell.greyText) fore = ui->flexFiles->palette().color(QPalette::Disabled, QPalette::Text);
    item->setForeground(fore.isValid() ? QBrush(fore) : QBrush());
    item->setBackground(cell.back.isValid() ? QBrush(cell.back) : QBrush());
    QFont font = ui->flexFiles->font();
    font.setBold(cell.bold);
    item->setFont(font);
    item->setData(MarkerDelegate::MarkerRole, cell.marker);
    item->setData(Qt::AccessibleTextRole, cell.marker ? MarkerDelegate::SpokenText(cell.text) : QVariant());
}

void frmMain::DisplayFiles() {
    QTableWidget* grid = ui->flexFiles;
    FileView& files = CurrentFileView();
    grid->setUpdatesEnabled(false);
    PrepareFilesTitle();
    const int page = qMax(1, vlsbFiles_->LargeChange());
    grid->clearSpans();
    grid->setRowCount(page);
    const int count = files.LastIndex();
    const int value = vlsbFiles_->Value();
    const std::array<bool, 5>& options = CurrentProfile().profile.View.SyncOptions;
    const uint32_t archive = static_cast<uint32_t>(CurrentProfile().profile.Options.CheckArchiveAttr);
    const FilesCell empty;
    for (int r = 0; r < page; ++r) {
        const int i = value + r;
        if (value >= 1 && i <= count) {
            const FilesPageRow row = FormatFilesRow(files.ViewList[static_cast<size_t>(i)], options, archive);
            for (int c = 0; c < 8; ++c) SetFilesCell(r, c, row.cells[static_cast<size_t>(c)]);
            if (row.folder) {
                // Equal neighbouring cells of a folder row merge into one per side.
                grid->setSpan(r, 1, 1, 3);
                grid->setSpan(r, 5, 1, 3);
            }
        } else {
            for (int c = 0; c < 8; ++c) SetFilesCell(r, c, empty);
        }
    }
    grid->setUpdatesEnabled(true);
    vlsbFiles_->SetMax(qMax(count - page + 1, 1));
}

void frmMain::ShowCounts() {
    QLineEdit* boxes[3] = {ui->lblFilesAndDirs_0, ui->lblFilesAndDirs_1, ui->lblFilesAndDirs_2};
    const FileView& files = CurrentFileView();
    const bool compared = files.LastIndex() > 0 || lastCompareOk_;
    for (int b = 0; b < 3; ++b) {
        const QString design = Localizer().ControlText(QStringLiteral("112"));
        boxes[b]->setText(compared ? files.CountText(b) : (design.isEmpty() ? tr("Not yet compared") : design));
    }
}

void frmMain::UpdateFilesView(int filter) {
    FileView& files = CurrentFileView();
    ViewOptions& view = CurrentProfile().profile.View;
    files.UpdateFilesView(filter, view);
    tbar_[2]->setEnabled(FileView::Filter2Applies(view.Filter1));
    const int page = qMax(1, vlsbFiles_->LargeChange());
    vlsbFiles_->SetMin(1);
    vlsbFiles_->SetMax(qMax(files.LastIndex() - page + 1, 1));
    vlsbFiles_->SetSmallChange(1);
    vlsbFiles_->SetValue(1);
    ShowCounts();
    DisplayFiles();
}

void frmMain::ClearLists() {
    FileView& files = CurrentFileView();
    files.Clear();
    lastCompareOk_ = false;
    PrepareDirsTitle();
    MarkStale();
    vlsbFiles_->SetMin(1);
    vlsbFiles_->SetMax(1);
    vlsbFiles_->SetValue(1);
    ShowCounts();
    DisplayFiles();
}

void frmMain::ShowLoadedProfile() {
    ApplyToolbarStates();
    PrepareDirsTitle();
    const int count = static_cast<int>(CurrentProfile().profile.Pairs.size());
    ui->flexDirs->setRowCount(count);
    PrepareDirsWidth();
    for (int r = 1; r <= count; ++r) FormatDirsRow(r);
    MarkStale();
}

// ---- Clicks ---------------------------------------------------------------------------------

void frmMain::ClickFiles(int mouseRow, int mouseCol, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                         const QPoint& globalPos) {
    FileView& files = CurrentFileView();
    const Qt::KeyboardModifiers mods = keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    if (button == Qt::LeftButton && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (mouseRow == 0) {
            files.SelectAll = !files.SelectAll;
            files.ApplySelectAll();
            DisplayFiles();
            return;
        }
        ui->flexFiles->setCurrentCell(mouseRow - 1, qMax(0, mouseCol));
        currentViewIndex_ = vlsbFiles_->Value() + mouseRow - 1;
        if (files.LastIndex() < 1 || currentViewIndex_ < 1 || currentViewIndex_ > files.LastIndex()) return;
        ToggleFilesRow(files.ViewList, static_cast<size_t>(currentViewIndex_), mods == Qt::ShiftModifier);
        DisplayFiles();
    } else if (button == Qt::RightButton && mods == Qt::NoModifier) {
        ShowFilesMenu(mouseRow, mouseCol, globalPos);
    }
}

void frmMain::DoubleClickFiles(int mouseRow, int mouseCol) {
    FileView& files = CurrentFileView();
    // The double-click's own click toggles once more: together with the first click of the
    // double-click the mark ends as it was.
    ClickFiles(mouseRow, mouseCol, Qt::LeftButton, Qt::NoModifier, QPoint());
    if (files.LastIndex() < 1) return;
    if (mouseRow == 0) {
        files.SelectAll = true;
        for (size_t i = 1; i < files.ViewList.size(); ++i) files.ViewList[i].Selected = true;
        DisplayFiles();
        return;
    }
    if (mouseCol == 0 || mouseCol == 4 || mouseCol < 0) return;
    const QTableWidgetItem* item = ui->flexFiles->item(mouseRow - 1, mouseCol);
    if (!item || item->text().isEmpty()) return;
    const int index = vlsbFiles_->Value() + mouseRow - 1;
    if (index < 1 || index > files.LastIndex()) return;
    const CompareRow& row = files.ViewList[static_cast<size_t>(index)];
    const size_t side = mouseCol < 4 ? 0 : 1;
    QString path;
    if (row.Attributes[side] & Attr::Directory) {
        path = row.Folder[side];
        if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    } else {
        path = row.Folder[side] + row.Name[side];
    }
    const bool opened = openWithShell ? openWithShell(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!opened) Host().Beep();
}

FilesMenuPlan frmMain::ShowFilesMenu(int mouseRow, int mouseCol, const QPoint& globalPos) {
    FileView& files = CurrentFileView();
    const FilesMenuPlan plan = PlanFilesMenu(files.ViewList, vlsbFiles_->Value(), mouseRow, mouseCol, IsStale());
    if (plan.outcome == FilesMenuOutcome::None) return plan;
    currentViewIndex_ = plan.viewIndex;
    if (plan.outcome == FilesMenuOutcome::Stale) {
        Host().AppMessageBox(FormatMsg(803), MsgBox::Exclamation);
        return plan;
    }
    auto caption = [&plan](QAction* action, int offset) {
        const int key = action->property("key").toInt() + offset;
        const QString text = FormatMsg(key, plan.captionArgs);
        if (!text.isEmpty()) action->setText(text);
        else action->setText(action->property("designText").toString());
    };
    for (size_t i = 0; i < 2; ++i) {
        mnuPop3_Sync_[i]->setVisible(plan.syncVisible[i]);
        caption(mnuPop3_Sync_[i], plan.syncOffset[i]);
    }
    for (size_t i = 0; i < 4; ++i) {
        mnuPop3_Copy_[i]->setVisible(plan.copyVisible[i]);
        mnuPop3_Del_[i]->setVisible(plan.deleteVisible[i]);
        caption(mnuPop3_Copy_[i], plan.copyOffset[i]);
        caption(mnuPop3_Del_[i], plan.deleteOffset[i]);
    }
    mnuPop3_Sep0_->setVisible(plan.separator0);
    mnuPop3_Sep1_->setVisible(plan.separator1);
    if (!globalPos.isNull()) mnuPop3_->popup(globalPos);
    return plan;
}

bool frmMain::FilesEvent(QObject* watched, QEvent* event) {
    QTableWidget* grid = ui->flexFiles;
    const bool header = watched == grid->horizontalHeader()->viewport();
    auto cellAt = [&](const QPoint& pos, int& row, int& col) {
        if (header) {
            row = 0;
            col = grid->horizontalHeader()->logicalIndexAt(pos);
        } else {
            row = grid->rowAt(pos.y());
            row = row < 0 ? grid->rowCount() + 1 : row + 1;
            col = grid->columnAt(pos.x());
        }
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        filesButton_ = me->button();
        filesKeys_ = me->modifiers();
        ui->vsbFiles->setFocus();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (suppressRelease_) {
            suppressRelease_ = false;
            return true;
        }
        auto* me = static_cast<QMouseEvent*>(event);
        int row = 0, col = 0;
        cellAt(me->position().toPoint(), row, col);
        ClickFiles(row, col, filesButton_, filesKeys_, me->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        suppressRelease_ = true;
        if (me->button() != Qt::LeftButton || me->modifiers() != Qt::NoModifier) return true;
        int row = 0, col = 0;
        cellAt(me->position().toPoint(), row, col);
        DoubleClickFiles(row, col);
        return true;
    }
    case QEvent::ToolTip: {
        // A cell whose text does not fit shows it whole as its tooltip.
        auto* he = static_cast<QHelpEvent*>(event);
        const QModelIndex index = header ? QModelIndex() : grid->indexAt(he->pos());
        const QTableWidgetItem* item = index.isValid() ? grid->item(index.row(), index.column()) : nullptr;
        if (!item || item->data(MarkerDelegate::MarkerRole).toBool() || item->text().isEmpty()) {
            QToolTip::hideText();
            return true;
        }
        const QFontMetrics metrics(item->font());
        const int width = grid->visualRect(index).width();
        if (metrics.horizontalAdvance(item->text()) + 6 > width) QToolTip::showText(he->globalPos(), item->text(), grid);
        else QToolTip::hideText();
        return true;
    }
    default:
        return false;
    }
}

// ---- Compare, synchronise and the popup actions ---------------------------------------------

void frmMain::RunCompare() {
#ifdef TANDOR_HAS_COMPARE_RUN
    // No guard against running_: the synchronisation refreshes the list through here.
    const bool wasRunning = running_;
    SetButtonsRunning(true);
    const CompareRunResult result = CompareRun();
    lastCompareOk_ = result.outcome == CompareOutcome::Done;
    SetButtonsRunning(wasRunning);
    SetCompareStage(0);
    if (lastCompareOk_) {
        // The run rebuilt the view list; the page starts at its top again.
        CurrentFileView().Stale = false;
        QPalette palette = ui->flexFiles->palette();
        palette.setColor(QPalette::Base, FilesColor::Current);
        ui->flexFiles->setPalette(palette);
        tbar_[2]->setEnabled(FileView::Filter2Applies(CurrentProfile().profile.View.Filter1));
        const int page = qMax(1, vlsbFiles_->LargeChange());
        vlsbFiles_->SetMin(1);
        vlsbFiles_->SetMax(qMax(CurrentFileView().LastIndex() - page + 1, 1));
        vlsbFiles_->SetSmallChange(1);
        vlsbFiles_->SetValue(1);
        ShowCounts();
        DisplayFiles();
    } else {
        ShowCounts();
        DisplayFiles();
    }
#else
    // The compare run is not part of this build yet.
    Host().Beep();
    lastCompareOk_ = false;
#endif
}

void frmMain::RunSynchronize() {
    if (running_) return;
    int scroll = 1;
    CommandHooks hooks;
    hooks.Disable = [this, &scroll] {
        scroll = vlsbFiles_->Value();
        SetButtonsRunning(true);
    };
    hooks.RestoreScroll = [this, &scroll] { vlsbFiles_->SetValue(scroll); };
    hooks.Enable = [this] { SetButtonsRunning(false); };
    SynchronizeCommand(CurrentFileView(), hooks);
    if (!running_) DisplayFiles();
}

void frmMain::RunPopupAction(int, const std::function<void()>& action) {
    if (running_) return;
    action();
    DisplayFiles();
}

void frmMain::PopupSync(int item) {
    int scroll = 1;
    CommandHooks hooks;
    hooks.Disable = [this, &scroll] { scroll = vlsbFiles_->Value(); SetButtonsRunning(true); };
    hooks.RestoreScroll = [this, &scroll] { vlsbFiles_->SetValue(scroll); };
    hooks.Enable = [this] { SetButtonsRunning(false); };
    RunPopupAction(852, [&] { PopupSynchronizeCommand(CurrentFileView(), currentViewIndex_, item, hooks); });
}

void frmMain::PopupCopy(int item) {
    int scroll = 1;
    CommandHooks hooks;
    hooks.Disable = [this, &scroll] { scroll = vlsbFiles_->Value(); SetButtonsRunning(true); };
    hooks.RestoreScroll = [this, &scroll] { vlsbFiles_->SetValue(scroll); };
    hooks.Enable = [this] { SetButtonsRunning(false); };
    RunPopupAction(853, [&] { PopupCopyCommand(CurrentFileView(), currentViewIndex_, item, hooks); });
}

void frmMain::PopupDelete(int item) {
    int scroll = 1;
    CommandHooks hooks;
    hooks.Disable = [this, &scroll] { scroll = vlsbFiles_->Value(); SetButtonsRunning(true); };
    hooks.RestoreScroll = [this, &scroll] { vlsbFiles_->SetValue(scroll); };
    hooks.Enable = [this] { SetButtonsRunning(false); };
    RunPopupAction(854, [&] { PopupDeleteCommand(CurrentFileView(), currentViewIndex_, item, hooks); });
}
