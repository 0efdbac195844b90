// The file list of the main window: one page of the view list under the scrollbar, the
// toolbars that filter it, the clicks that tick rows and the popup menu of its rows.
#include "ui/main/frmMain.h"

#include "ui_frmMain.h"

#include "config/ProgramSettings.h"
#include "config/StartupSwitches.h"
#include "engine/FileView.h"
#include "engine/RunHost.h"
#include "engine/RunPlan.h"
#include "engine/RunReport.h"
#include "engine/RunState.h"
#include "engine/SyncRun.h"
#include "i18n/SizeText.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesPage.h"
#include "ui/main/FilesSelection.h"
#include "ui/main/RunErrorsList.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/ToolbarIcons.h"
#include "ui/main/clsLongScroll.h"
#include "ui/main/clsMousePointer.h"

#include "engine/CompareRun.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
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
        bars[b]->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
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
            action->setIcon(ToolbarIcon(b, digits[i]));
            action->setProperty("buttonKey", QStringLiteral("#%1").arg(digits[i]));
            action->setProperty("key", ToolbarKey[b] + static_cast<int>(i) + 1);
            action->setObjectName(QStringLiteral("tbar_%1_%2").arg(b).arg(i));
            if (group) group->addAction(action);
            const int index = static_cast<int>(i);
            // The action holds the state: a click or Space on the button triggers it, and a
            // screen reader's Toggle, which sets the button's state without a click, reaches it
            // through the button (QToolButton hands a set state on to its action). Only the
            // action's toggled signal sees every way, so the options change there, not on
            // triggered.
            connect(action, &QAction::toggled, this, [this, b, index](bool on) { ToolbarToggled(b, index, on); });
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
        // The caption under the picture when the setting asks for it; the picture alone
        // otherwise (a button without a picture keeps its caption so that it is not blank).
        bool allPictures = true;
        for (QAction* action : bar->actions())
            if (!action->isSeparator() && action->icon().isNull()) allPictures = false;
        bar->setToolButtonStyle(withText || !allPictures ? Qt::ToolButtonTextUnderIcon : Qt::ToolButtonIconOnly);
        for (QAction* action : bar->actions()) {
            const int key = action->property("key").toInt();
            if (key == 0) continue;
            const QString text = FormatMsg(key);
            const QString tip = FormatToolTip(QString::number(key));
            // The action keeps its caption in both styles: a screen reader reads it, and the
            // style decides whether it is drawn.
            if (!text.isEmpty()) action->setText(text);
            action->setToolTip(tip.isEmpty() ? action->text().remove(QLatin1Char('&')) : tip);
            bar->setMinimumWidth(bar->sizeHint().width());
            if (QWidget* w = bar->widgetForAction(action)) {
                w->setAccessibleName(action->text());
                w->setAccessibleDescription(tip);
            }
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
    cmdRunErrors_->setText(FormatMsg(1223));
    cmdRunErrors_->setToolTip(FormatToolTip(QStringLiteral("1223")));
    cmdRunErrors_->setAccessibleName(FormatMsg(1223));
    LocaliseAccessibleNames();
}

void frmMain::ApplyToolbarStates() {
    const ViewOptions& view = CurrentProfile().profile.View;
    const bool wasSyncing = syncingToolbars_;
    syncingToolbars_ = true;
    auto setChecked = [this](int bar, int digit, bool on) {
        for (QAction* action : tbar_[static_cast<size_t>(bar)]->actions())
            if (action->property("buttonKey").toString() == QStringLiteral("#%1").arg(digit)) action->setChecked(on);
    };
    setChecked(0, 0, view.ShowEmptyFolders);
    setChecked(1, view.Filter1, true);
    setChecked(2, view.Filter2, true);
    for (const SyncOptionInfo& o : kSyncOptionTable) setChecked(3, o.toolbarButton, view.SyncOptions[o.option]);
    syncingToolbars_ = wasSyncing;
    UpdateToolbarsEnabled();
}

void frmMain::UpdateToolbarsEnabled() {
    const int filter = CurrentProfile().profile.View.Filter1;
    for (size_t b = 0; b < tbar_.size(); ++b)
        tbar_[b]->setEnabled(!running_ && (b != 2 || FileView::Filter2Applies(filter)));
}

void frmMain::ToolbarToggled(int bar, int button, bool on) {
    if (syncingToolbars_) return;
    if ((bar == 1 || bar == 2) && !on) {
        // Choosing another filter unticks the old button first, while the new one is already
        // ticked. A button unticked on its own (a screen reader's Toggle on the current filter)
        // would leave the bar showing no filter while one applies: it is ticked again.
        bool anyTicked = false;
        for (QAction* action : tbar_[static_cast<size_t>(bar)]->actions()) anyTicked = anyTicked || action->isChecked();
        if (!anyTicked) ApplyToolbarStates();
        return;
    }
    ToolbarClick(bar, button);
}

void frmMain::ToolbarClick(int bar, int button) {
    const QList<QAction*> actions = tbar_[static_cast<size_t>(bar)]->actions();
    if (button < 0 || button >= actions.size()) return;
    QAction* action = actions[button];
    const QString key = action->property("buttonKey").toString();
    if (key.isEmpty()) return;
    if (RefusedWhileRunning()) {
        // The run goes on with the options it started with, and the buttons say so.
        ApplyToolbarStates();
        return;
    }
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
        for (const SyncOptionInfo& o : kSyncOptionTable)
            if (o.toolbarButton == digit) view.SyncOptions[o.option] = action->isChecked();
        // The count boxes count what the run will do, which the options decide.
        ShowCounts();
        DisplayFiles();
        break;
    default:
        return;
    }
    // The buttons show what the program will do, however the change came.
    ApplyToolbarStates();
    // The toolbar states are part of the profile.
    if (!CurrentProfile().profile.Pairs.isEmpty()) CurrentProfile().ProfileChanged = true;
}

// ---- The page -------------------------------------------------------------------------------

int frmMain::PageSize() const {
    const int rowHeight = qMax(1, ui->flexFiles->verticalHeader()->defaultSectionSize());
    return qMax(1, ui->flexFiles->viewport()->height() / rowHeight);
}

void frmMain::PrepareFilesTitle() {
    TOFlexGrid* grid = ui->flexFiles;
    const FileView& files = CurrentFileView();
    const ProfileOptions& options = CurrentProfile().profile.Options;
    const QString mark = Marker::Check(files.SelectAll);
    grid->Clear();
    grid->SetRows(1);
    // The sizing titles: the sample date stands where a time column's title goes, so that the
    // time columns fit a full date and time.
    QString sizing = mark + FormatMsg(125, {QStringLiteral("|"), SampleTime(), options.ListName[0], options.ListName[1]});
    QString titles = mark + FormatMsg(126, {QStringLiteral("|"), options.ListName[0], options.ListName[1]});
    if (titles.split(QLatin1Char('|')).size() < 8) titles = mark + QString::fromLatin1(FilesTitleDefault);
    if (sizing.split(QLatin1Char('|')).size() < 8) sizing = titles;
    grid->SetFormatString(sizing);
    // Folder rows are bold: the sized columns leave room for their texts too.
    const QFontMetrics bold([&] { QFont f = grid->font(); f.setBold(true); return f; }());
    const QStringList sized = sizing.split(QLatin1Char('|'));
    for (int c : {2, 3, 5, 6}) grid->SetColWidth(c, qMax(grid->ColWidth(c), bold.horizontalAdvance(sized[c]) + 12));
    const int title = grid->RowHeight(0);
    grid->SetColWidth(0, title);
    grid->SetColWidth(4, title);
    int remaining = grid->viewport()->width();
    for (int c : {0, 2, 3, 4, 5, 6}) remaining -= grid->ColWidth(c);
    const int half = qMax(40, static_cast<int>(remaining / 2.0 + 0.5));
    grid->SetColWidth(1, half);
    grid->SetColWidth(7, half);
    std::array<int, 8> widths{};
    for (int c = 0; c < 8; ++c) widths[static_cast<size_t>(c)] = grid->ColWidth(c);
    grid->SetFormatString(titles);
    grid->SetCellFontName(0, 0, TOFlexGridModel::MarkerFont);
    for (int c = 0; c < 8; ++c) grid->SetColWidth(c, widths[static_cast<size_t>(c)]);
    // Sizes line up by their last digit, their titles above them.
    for (int c : {2, 6}) grid->SetColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    // A path or name too long for its cell keeps its beginning and its end (the folder that
    // tells rows apart, the file's extension); the tooltip shows it whole.
    if (grid->textElideMode() != Qt::ElideMiddle) grid->setTextElideMode(Qt::ElideMiddle);
}

void frmMain::SetFilesCell(int row, int col, const FilesCell& cell) {
    const QColor grey = ui->flexFiles->palette().color(QPalette::Disabled, QPalette::Text);
    ui->flexFiles->Model()->Edit(row, col, [&](TOFlexGridCell& target) {
        target.text = cell.text;
        target.fore = cell.greyText ? grey : cell.fore;
        target.back = cell.back;
        target.bold = cell.bold;
        target.fontName = cell.marker ? TOFlexGridModel::MarkerFont : QString();
    });
}

void frmMain::DisplayFiles() {
    TOFlexGrid* grid = ui->flexFiles;
    FileView& files = CurrentFileView();
    grid->SetRedraw(false);
    PrepareFilesTitle();
    const int page = qMax(1, vlsbFiles_->LargeChange());
    grid->SetRows(page + 1);
    const int count = files.LastIndex();
    const int value = vlsbFiles_->Value();
    const std::array<bool, 5>& options = CurrentProfile().profile.View.SyncOptions;
    const uint32_t archive = static_cast<uint32_t>(CurrentProfile().profile.Options.CheckArchiveAttr);
    FilesCell empty;
    empty.marker = true;  // the check and direction columns are marker cells on every page row
    for (int r = 1; r <= page; ++r) {
        const int i = value + r - 1;
        if (value >= 1 && i <= count) {
            const FilesPageRow row = FormatFilesRow(files.ViewList[static_cast<size_t>(i)], options, archive);
            for (int c = 0; c < 8; ++c) SetFilesCell(r, c, row.cells[static_cast<size_t>(c)]);
            // Equal neighbouring cells of a folder row merge into one per side.
            if (row.folder) grid->SetMergeRow(r, true);
        } else {
            SetFilesCell(r, 0, empty);
            SetFilesCell(r, 4, empty);
        }
    }
    // The row cursor and the rows marked with Shift, where they are on this page.
    if (currentViewIndex_ > count) currentViewIndex_ = count;
    const int anchor = filesAnchor_ >= 1 && filesAnchor_ <= count ? filesAnchor_ : 0;
    const int cursorRow = AccessiblePageRow(currentViewIndex_);
    if (anchor > 0 && currentViewIndex_ > 0 && anchor != currentViewIndex_) {
        const int first = std::clamp(std::min(anchor, currentViewIndex_) - value + 1, 0, page + 1);
        const int last = std::clamp(std::max(anchor, currentViewIndex_) - value + 1, 0, page + 1);
        grid->SetCursorRows(cursorRow, first, last);
    } else {
        grid->SetCursorRows(cursorRow, -1, -1);
    }
    grid->SetRedraw(true);
    vlsbFiles_->SetMax(qMax(count - page + 1, 1));
    UpdateFirstStartGuide();
}

void frmMain::ShowCounts() {
    QLineEdit* boxes[3] = {ui->lblFilesAndDirs_0, ui->lblFilesAndDirs_1, ui->lblFilesAndDirs_2};
    const FileView& files = CurrentFileView();
    const bool compared = files.LastIndex() > 0 || lastCompareOk_;
    RunRequest request;
    request.options = CurrentProfile().profile.View.SyncOptions;
    const RunPlan plan = compared ? PlanRun(files, request) : RunPlan();
    for (int b = 0; b < 3; ++b) {
        const QString design = Localizer().ControlText(QStringLiteral("112"));
        boxes[b]->setText(compared ? PlannedCountText(files, plan, b) : (design.isEmpty() ? tr("Not yet compared") : design));
        boxes[b]->setCursorPosition(0);  // a text longer than its box shows its beginning
        boxes[b]->setToolTip(compared && b != 1 ? boxes[b]->text() + QLatin1Char('\n') + ExactSize(plan.CopyBytes[b == 0 ? 0 : 1])
                                                : QString());
    }
}

void frmMain::UpdateFilesView(int filter) {
    FileView& files = CurrentFileView();
    ViewOptions& view = CurrentProfile().profile.View;
    files.UpdateFilesView(filter, view);
    // The rows are others now: the cursor starts again when the list gets the keys.
    currentViewIndex_ = 0;
    filesAnchor_ = 0;
    UpdateToolbarsEnabled();
    const int page = qMax(1, vlsbFiles_->LargeChange());
    vlsbFiles_->SetMin(1);
    vlsbFiles_->SetMax(qMax(files.LastIndex() - page + 1, 1));
    vlsbFiles_->SetSmallChange(1);
    vlsbFiles_->SetValue(1);
    ShowCounts();
    DisplayFiles();
}

void frmMain::ShowViewRow(int viewIndex) {
    if (viewIndex < 1 || viewIndex > CurrentFileView().LastIndex()) return;
    currentViewIndex_ = viewIndex;
    vlsbFiles_->SetValue(viewIndex);  // the last page stops at the end of the list
    DisplayFiles();
    TOFlexGrid* grid = ui->flexFiles;
    const int row = viewIndex - vlsbFiles_->Value() + 1;
    grid->SetRow(row);
    grid->selectionModel()->select(grid->currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
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
    ui->flexDirs->SetRows(count + 1);
    PrepareDirsWidth();
    for (int r = 1; r <= count; ++r) FormatDirsRow(r);
    // The first pair is selected, so that Edit edits it without a click first.
    if (count > 0) SelectDirsRow(1, -1);
    MarkStale();
}

// ---- Clicks ---------------------------------------------------------------------------------

void frmMain::RequestFilesTick(int row, int col, bool checked) {
    // Only the tick column of a data row, and only when the row's tick would change: a folder
    // row's request ticks its files as a click does, since it is the click's code that runs.
    FileView& files = CurrentFileView();
    const int index = vlsbFiles_->Value() + row - 1;
    if (col != 0 || row < 1 || index < 1 || index > files.LastIndex()) return;
    if (files.ViewList[static_cast<size_t>(index)].Selected == checked) return;
    TickViewRow(index, false);
}

void frmMain::ClickFiles(int mouseRow, int mouseCol, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                         const QPoint& globalPos) {
    FileView& files = CurrentFileView();
    const Qt::KeyboardModifiers mods = keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // The run copies what was ticked when it started: ticks and the row's menu are refused, with
    // a beep, until it ends.
    if ((button == Qt::LeftButton || button == Qt::RightButton) && RefusedWhileRunning()) return;
    if (button == Qt::LeftButton && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (mouseRow == 0) {
            files.SelectAll = !files.SelectAll;
            files.ApplySelectAll();
            ShowCounts();
            DisplayFiles();
            return;
        }
        ui->flexFiles->SetRow(mouseRow);
        ui->flexFiles->SetCol(qMax(0, mouseCol));
        currentViewIndex_ = vlsbFiles_->Value() + mouseRow - 1;
        filesAnchor_ = 0;
        if (mouseCol >= 0) cursorSide_ = mouseCol > 4 ? 1 : 0;
        if (files.LastIndex() < 1 || currentViewIndex_ < 1 || currentViewIndex_ > files.LastIndex()) return;
        TickViewRow(currentViewIndex_, mods == Qt::ShiftModifier);
    } else if (button == Qt::RightButton && mods == Qt::NoModifier) {
        ShowFilesMenu(mouseRow, mouseCol, globalPos);
    }
}

void frmMain::DoubleClickFiles(int mouseRow, int mouseCol) {
    if (RefusedWhileRunning()) return;
    FileView& files = CurrentFileView();
    // The double-click's own click toggles once more: together with the first click of the
    // double-click the mark ends as it was.
    ClickFiles(mouseRow, mouseCol, Qt::LeftButton, Qt::NoModifier, QPoint());
    if (files.LastIndex() < 1) return;
    if (mouseRow == 0) {
        files.SelectAll = true;
        for (size_t i = 1; i < files.ViewList.size(); ++i) files.ViewList[i].Selected = true;
        ShowCounts();
        DisplayFiles();
        return;
    }
    if (mouseCol == 0 || mouseCol == 4 || mouseCol < 0) return;
    if (mouseRow >= ui->flexFiles->Rows() || ui->flexFiles->TextMatrix(mouseRow, mouseCol).isEmpty()) return;
    const int index = vlsbFiles_->Value() + mouseRow - 1;
    if (index < 1 || index > files.LastIndex()) return;
    OpenViewRow(index, mouseCol < 4 ? 0 : 1);
}

void frmMain::OpenViewRow(int index, size_t side) {
    const FileView& files = CurrentFileView();
    if (index < 1 || index > files.LastIndex() || side > 1) return;
    const CompareRow& row = files.ViewList[static_cast<size_t>(index)];
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
    if (RefusedWhileRunning()) return FilesMenuPlan{};
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

bool frmMain::FilesToolTip(QEvent* event) {
    // A cell whose text does not fit shows it whole as its tooltip.
    TOFlexGrid* grid = ui->flexFiles;
    auto* he = static_cast<QHelpEvent*>(event);
    const QPoint at = grid->viewport()->mapTo(grid, he->pos());
    const int row = grid->RowAtPoint(at), col = grid->ColAtPoint(at);
    const TOFlexGridCell& cell = grid->Model()->Cell(row, col);
    if (row < 1 || col < 0 || cell.text.isEmpty() || TOFlexGridModel::IsMarker(cell)) {
        QToolTip::hideText();
        grid->setToolTip(QString());
        return true;
    }
    QFont font = grid->font();
    font.setBold(cell.bold);
    const int width = grid->CellRect(row, col).width();
    const bool tooWide = QFontMetrics(font).horizontalAdvance(cell.text) + 6 > width;
    QString tip = tooWide ? cell.text : QString();
    // A size cell shows a rounded size; its tooltip gives the exact bytes.
    const FileView& files = CurrentFileView();
    const int index = vlsbFiles_->Value() + row - 1;
    if ((col == 2 || col == 6) && index >= 1 && index <= files.LastIndex()) {
        const CompareRow& r = files.ViewList[static_cast<size_t>(index)];
        if (!r.IsFolder()) tip = ExactSize(r.Size[col == 2 ? 0 : 1]);
    }
    grid->setToolTip(tip);
    if (!tip.isEmpty()) QToolTip::showText(he->globalPos(), tip, grid);
    else QToolTip::hideText();
    return true;
}
