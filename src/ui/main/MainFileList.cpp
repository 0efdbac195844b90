#include "ui/main/MainFileList.h"

#include "config/ProgramSettings.h"
#include "engine/FileView.h"
#include "engine/RunCounter.h"
#include "engine/RunReport.h"
#include "i18n/SizeText.h"
#include "i18n/TextLookup.h"
#include "ui/main/FilesSelection.h"
#include "ui/main/MainMessages.h"
#include "ui/main/RunLock.h"
#include "ui/main/TOFlexGrid.h"
#include "ui/main/clsLongScroll.h"

#include <QDate>
#include <QDesktopServices>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int BusyInterval = 150;  // ms between two steps of the count boxes' dots
constexpr int BusyDots = 10;
constexpr const char* TitleDefault = "|Folder 1|Size|Modified||Modified|Size|Folder 2";

// The sample date and time that sizes the time columns: 30 November 2005, 12:59:59.
QString SampleTime() {
    const double days = static_cast<double>(QDate(1899, 12, 30).daysTo(QDate(2005, 11, 30)));
    return FormatFileTime(days + (12 * 3600 + 59 * 60 + 59) / 86400.0);
}
}  // namespace

MainFileList::MainFileList(TOFlexGrid* grid, QScrollBar* scrollBar, const std::array<QLineEdit*, 3>& countBoxes,
                           RunLock& lock)
    : QObject(grid), grid_(grid), scrollBar_(scrollBar), scroll_(new clsLongScroll(this)), countBoxes_(countBoxes),
      lock_(lock) {
    scroll_->SetClient(scrollBar_);
    grid_->SetCols(ColumnCount);
    grid_->SetWordWrap(false);
    grid_->SetScrollBars(TOFlexGrid::ScrollBarNone);
    grid_->SetMergeCells(2);
    // The list itself takes the keys: its row cursor moves through the whole list and the page
    // follows. The scrollbar beside it stays for the mouse and reports the place in the list.
    grid_->setFocusPolicy(Qt::StrongFocus);
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    FilesListAccessible::Attach(grid_, this);
    busyTimer_.setInterval(BusyInterval);
    connect(&busyTimer_, &QTimer::timeout, this, &MainFileList::AnimateBusy);
    connect(scroll_, &clsLongScroll::Change, this, [this] { Display(); });
    ConnectGrid();
    BuildStartGuide();
}

// ---- The page -------------------------------------------------------------------------------

int MainFileList::PageSize() const {
    const int rowHeight = qMax(1, grid_->verticalHeader()->defaultSectionSize());
    return qMax(1, grid_->viewport()->height() / rowHeight);
}

void MainFileList::PrepareTitle() {
    const FileView& files = CurrentFileView();
    const ProfileOptions& options = CurrentProfile().profile.Options;
    const QString mark = Marker::Check(files.SelectAll);
    grid_->Clear();
    grid_->SetRows(1);
    // The sizing titles: the sample date stands where a time column's title goes, so that the
    // time columns fit a full date and time.
    QString sizing = mark + FormatMsg(MainMsg::FilesSizingTitles,
                                      {QStringLiteral("|"), SampleTime(), options.ListName[0], options.ListName[1]});
    QString titles = mark + FormatMsg(MainMsg::FilesTitles, {QStringLiteral("|"), options.ListName[0], options.ListName[1]});
    if (titles.split(QLatin1Char('|')).size() < ColumnCount) titles = mark + QString::fromLatin1(TitleDefault);
    if (sizing.split(QLatin1Char('|')).size() < ColumnCount) sizing = titles;
    grid_->SetFormatString(sizing);
    // Folder rows are bold: the sized columns leave room for their texts too.
    const QFontMetrics bold([&] { QFont f = grid_->font(); f.setBold(true); return f; }());
    const QStringList sized = sizing.split(QLatin1Char('|'));
    for (int c : {2, 3, 5, 6}) grid_->SetColWidth(c, qMax(grid_->ColWidth(c), bold.horizontalAdvance(sized[c]) + 12));
    const int title = grid_->RowHeight(0);
    grid_->SetColWidth(0, title);
    grid_->SetColWidth(4, title);
    int remaining = grid_->viewport()->width();
    for (int c : {0, 2, 3, 4, 5, 6}) remaining -= grid_->ColWidth(c);
    const int half = qMax(40, static_cast<int>(remaining / 2.0 + 0.5));
    grid_->SetColWidth(1, half);
    grid_->SetColWidth(7, half);
    std::array<int, MainFileList::ColumnCount> widths{};
    for (int c = 0; c < ColumnCount; ++c) widths[static_cast<size_t>(c)] = grid_->ColWidth(c);
    grid_->SetFormatString(titles);
    grid_->SetCellFontName(0, 0, TOFlexGridModel::MarkerFont);
    for (int c = 0; c < ColumnCount; ++c) grid_->SetColWidth(c, widths[static_cast<size_t>(c)]);
    // Sizes line up by their last digit, their titles above them.
    for (int c : {2, 6}) grid_->SetColAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    // A path or name too long for its cell keeps its beginning and its end (the folder that
    // tells rows apart, the file's extension); the tooltip shows it whole.
    if (grid_->textElideMode() != Qt::ElideMiddle) grid_->setTextElideMode(Qt::ElideMiddle);
}

void MainFileList::SetCell(int row, int col, const FilesCell& cell) {
    const QColor grey = grid_->palette().color(QPalette::Disabled, QPalette::Text);
    grid_->Model()->Edit(row, col, [&](TOFlexGridCell& target) {
        target.text = cell.text;
        target.fore = cell.greyText ? grey : cell.fore;
        target.back = cell.back;
        target.bold = cell.bold;
        target.fontName = cell.marker ? TOFlexGridModel::MarkerFont : QString();
    });
}

void MainFileList::Display() {
    FileView& files = CurrentFileView();
    grid_->SetRedraw(false);
    PrepareTitle();
    const int page = qMax(1, scroll_->LargeChange());
    grid_->SetRows(page + 1);
    const int count = files.LastIndex();
    const int value = scroll_->Value();
    const std::array<bool, 5>& options = CurrentProfile().profile.View.SyncOptions;
    const uint32_t archive = static_cast<uint32_t>(CurrentProfile().profile.Options.CheckArchiveAttr);
    FilesCell empty;
    empty.marker = true;  // the check and direction columns are marker cells on every page row
    for (int r = 1; r <= page; ++r) {
        const int i = value + r - 1;
        if (value >= 1 && i <= count) {
            const FilesPageRow row = FormatFilesRow(files.ViewList[static_cast<size_t>(i)], options, archive);
            for (int c = 0; c < ColumnCount; ++c) SetCell(r, c, row.cells[static_cast<size_t>(c)]);
            // Equal neighbouring cells of a folder row merge into one per side.
            if (row.folder) grid_->SetMergeRow(r, true);
        } else {
            SetCell(r, 0, empty);
            SetCell(r, 4, empty);
        }
    }
    // The row cursor and the rows marked with Shift, where they are on this page.
    if (cursor_ > count) cursor_ = count;
    const int anchor = anchor_ >= 1 && anchor_ <= count ? anchor_ : 0;
    const int cursorRow = AccessiblePageRow(cursor_);
    if (anchor > 0 && cursor_ > 0 && anchor != cursor_) {
        const int first = std::clamp(std::min(anchor, cursor_) - value + 1, 0, page + 1);
        const int last = std::clamp(std::max(anchor, cursor_) - value + 1, 0, page + 1);
        grid_->SetCursorRows(cursorRow, first, last);
    } else {
        grid_->SetCursorRows(cursorRow, -1, -1);
    }
    grid_->SetRedraw(true);
    scroll_->SetMax(qMax(count - page + 1, 1));
    UpdateStartGuide();
}

void MainFileList::ResetScroll() {
    const int page = qMax(1, scroll_->LargeChange());
    scroll_->SetMin(1);
    scroll_->SetMax(qMax(CurrentFileView().LastIndex() - page + 1, 1));
    scroll_->SetSmallChange(1);
    scroll_->SetValue(1);
}

void MainFileList::UpdateView(int filter) {
    FileView& files = CurrentFileView();
    // The run's counts are taken while the view is built, in the same walk over the rows.
    const RunRequest request = CountedRequest();
    RunCounter counter(files.Results, request);
    files.UpdateFilesView(filter, CurrentProfile().profile.View, &counter);
    // The rows are others now: the cursor starts again when the list gets the keys.
    cursor_ = 0;
    anchor_ = 0;
    ResetScroll();
    ShowCounts(counter.Counted() ? counter.Counts() : CountRun(files, request));
    Display();
}

void MainFileList::MarkStale() {
    CurrentFileView().Stale = true;
    grid_->SetBackColor(FilesColor::Stale);
    UpdateStartGuide();
}

bool MainFileList::IsStale() const { return CurrentFileView().Stale; }

void MainFileList::Clear() {
    CurrentFileView().Clear();
    lastCompareOk_ = false;
    MarkStale();
    scroll_->SetMin(1);
    scroll_->SetMax(1);
    scroll_->SetValue(1);
    ShowCounts();
    Display();
}

void MainFileList::ShowCompareResult(bool succeeded) {
    lastCompareOk_ = succeeded;
    SetCompareStage(0);
    if (succeeded) {
        // The run rebuilt the view list; the page starts at its top again.
        CurrentFileView().Stale = false;
        grid_->SetBackColor(FilesColor::Current);
        ResetScroll();
    }
    ShowCounts();
    Display();
}

RunRequest MainFileList::CountedRequest() {
    RunRequest request;
    request.options = CurrentProfile().profile.View.SyncOptions;
    return request;
}

void MainFileList::ShowCounts() {
    const FileView& files = CurrentFileView();
    // The counts alone: the run itself plans again from the list as it is then.
    ShowCounts(Compared() ? CountRun(files, CountedRequest()) : RunCounts());
}

bool MainFileList::Compared() const { return CurrentFileView().LastIndex() > 0 || lastCompareOk_; }

void MainFileList::ShowCounts(const RunCounts& counts) {
    const FileView& files = CurrentFileView();
    const bool compared = Compared();
    const QString design = Localizer().ControlText(QString::number(MainKey::NotYetCompared));
    for (size_t b = 0; b < countBoxes_.size(); ++b) {
        QLineEdit* box = countBoxes_[b];
        box->setText(compared ? PlannedCountText(files, counts, static_cast<int>(b))
                              : (design.isEmpty() ? tr("Not yet compared") : design));
        box->setCursorPosition(0);  // a text longer than its box shows its beginning
        box->setToolTip(compared && b != 1 ? box->text() + QLatin1Char('\n') + ExactSize(counts.CopyBytes[b == 0 ? 0 : 1])
                                           : QString());
    }
}

QString MainFileList::CountText(int box) const { return countBoxes_[static_cast<size_t>(box)]->text(); }

void MainFileList::SetCompareStage(int stage) {
    busySide_ = {stage == 1, stage == 2};
    if (stage == 1 || stage == 2) {
        if (!busyTimer_.isActive()) busyTimer_.start();
        // The side that is done shows no dots any more.
        if (stage == 2) countBoxes_[0]->clear();
    } else if (stage == 3) {
        countBoxes_[0]->clear();
        countBoxes_[2]->clear();
    } else {
        busyTimer_.stop();
        ShowCounts();
    }
}

void MainFileList::AnimateBusy() {
    busyCounter_ += busyStep_;
    if (busyCounter_ >= BusyDots) busyStep_ = -1;
    if (busyCounter_ <= 1) busyStep_ = 1;
    const QString dots(busyCounter_, QChar(0x2022));
    if (busySide_[0]) countBoxes_[0]->setText(dots);
    if (busySide_[1]) countBoxes_[2]->setText(dots);
}

// ---- Clicks ---------------------------------------------------------------------------------

void MainFileList::RequestTick(int row, int col, bool checked) {
    // Only the tick column of a data row, and only when the row's tick would change: a folder
    // row's request ticks its files as a click does, since it is the click's code that runs.
    FileView& files = CurrentFileView();
    const int index = scroll_->Value() + row - 1;
    if (col != 0 || row < 1 || index < 1 || index > files.LastIndex()) return;
    if (files.ViewList[static_cast<size_t>(index)].Selected == checked) return;
    TickRow(index, false);
}

void MainFileList::Click(int mouseRow, int mouseCol, Qt::MouseButton button, Qt::KeyboardModifiers keys,
                         const QPoint& globalPos) {
    FileView& files = CurrentFileView();
    const Qt::KeyboardModifiers mods = keys & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    // The run copies what was ticked when it started: ticks and the row's menu are refused, with
    // a beep, until it ends.
    if ((button == Qt::LeftButton || button == Qt::RightButton) && lock_.Refused()) return;
    if (button == Qt::LeftButton && (mods == Qt::NoModifier || mods == Qt::ShiftModifier)) {
        if (mouseRow == 0) {
            files.SelectAll = !files.SelectAll;
            files.ApplySelectAll();
            ShowCounts();
            Display();
            return;
        }
        grid_->SetRow(mouseRow);
        grid_->SetCol(qMax(0, mouseCol));
        cursor_ = scroll_->Value() + mouseRow - 1;
        anchor_ = 0;
        if (mouseCol >= 0) cursorSide_ = mouseCol > 4 ? 1 : 0;
        if (files.LastIndex() < 1 || cursor_ < 1 || cursor_ > files.LastIndex()) return;
        TickRow(cursor_, mods == Qt::ShiftModifier);
    } else if (button == Qt::RightButton && mods == Qt::NoModifier) {
        RowMenu(mouseRow, mouseCol, globalPos);
    }
}

void MainFileList::DoubleClick(int mouseRow, int mouseCol) {
    if (lock_.Refused()) return;
    FileView& files = CurrentFileView();
    // The double-click's own click toggles once more: together with the first click of the
    // double-click the mark ends as it was.
    Click(mouseRow, mouseCol, Qt::LeftButton, Qt::NoModifier, QPoint());
    if (files.LastIndex() < 1) return;
    if (mouseRow == 0) {
        files.SelectAll = true;
        for (size_t i = 1; i < files.ViewList.size(); ++i) files.ViewList[i].Selected = true;
        ShowCounts();
        Display();
        return;
    }
    if (mouseCol == 0 || mouseCol == 4 || mouseCol < 0) return;
    if (mouseRow >= grid_->Rows() || grid_->TextMatrix(mouseRow, mouseCol).isEmpty()) return;
    const int index = scroll_->Value() + mouseRow - 1;
    if (index < 1 || index > files.LastIndex()) return;
    OpenRow(index, mouseCol < 4 ? 0 : 1);
}

void MainFileList::OpenRow(int index, size_t side) {
    const FileView& files = CurrentFileView();
    if (index < 1 || index > files.LastIndex() || side > 1) return;
    const CompareRow& row = files.ViewList[static_cast<size_t>(index)];
    const int s = static_cast<int>(side);
    QString path;
    if (row.Attributes[side] & Attr::Directory) {
        path = row.Folder(s);
        if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
    } else {
        path = row.Folder(s) + row.Name(s);
    }
    const bool opened = openWithShell ? openWithShell(path) : QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!opened) Host().Beep();
}

FilesMenuPlan MainFileList::RowMenu(int mouseRow, int mouseCol, const QPoint& globalPos) {
    if (lock_.Refused()) return FilesMenuPlan{};
    const FilesMenuPlan plan = PlanFilesMenu(CurrentFileView().ViewList, scroll_->Value(), mouseRow, mouseCol, IsStale());
    if (plan.outcome == FilesMenuOutcome::None) return plan;
    cursor_ = plan.viewIndex;
    if (plan.outcome == FilesMenuOutcome::Stale) {
        Host().AppMessageBox(FormatMsg(MainMsg::ListNotCurrent), MsgBox::Exclamation);
        return plan;
    }
    emit RowMenuRequested(plan, globalPos);
    return plan;
}

void MainFileList::Wheel(int notches) {
    const int lines = Settings().WheelScrollLines;
    const int64_t step = lines == -1 ? static_cast<int64_t>(scroll_->LargeChange())
                                     : static_cast<int64_t>(lines) * scroll_->SmallChange();
    const int64_t target = scroll_->Value() - step * notches;
    scroll_->SetValue(static_cast<int32_t>(std::clamp<int64_t>(target, INT32_MIN, INT32_MAX)));
}

bool MainFileList::ToolTip(QEvent* event) {
    // A cell whose text does not fit shows it whole as its tooltip.
    auto* he = static_cast<QHelpEvent*>(event);
    const QPoint at = grid_->viewport()->mapTo(grid_, he->pos());
    const int row = grid_->RowAtPoint(at), col = grid_->ColAtPoint(at);
    const TOFlexGridCell& cell = grid_->Model()->Cell(row, col);
    if (row < 1 || col < 0 || cell.text.isEmpty() || TOFlexGridModel::IsMarker(cell)) {
        QToolTip::hideText();
        grid_->setToolTip(QString());
        return true;
    }
    QFont font = grid_->font();
    font.setBold(cell.bold);
    const int width = grid_->CellRect(row, col).width();
    const bool tooWide = QFontMetrics(font).horizontalAdvance(cell.text) + 6 > width;
    QString tip = tooWide ? cell.text : QString();
    // A size cell shows a rounded size; its tooltip gives the exact bytes.
    const FileView& files = CurrentFileView();
    const int index = scroll_->Value() + row - 1;
    if ((col == 2 || col == 6) && index >= 1 && index <= files.LastIndex()) {
        const CompareRow& r = files.ViewList[static_cast<size_t>(index)];
        if (!r.IsFolder()) tip = ExactSize(r.Size[col == 2 ? 0 : 1]);
    }
    grid_->setToolTip(tip);
    if (!tip.isEmpty()) QToolTip::showText(he->globalPos(), tip, grid_);
    else QToolTip::hideText();
    return true;
}

void MainFileList::ConnectGrid() {
    connect(grid_->Model(), &TOFlexGridModel::CheckRequested, this,
            [this](int row, int col, bool checked) { RequestTick(row, col, checked); });
    connect(grid_, &TOFlexGrid::MouseDown, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers keys, int, int) {
        button_ = button;
        keys_ = keys;
        grid_->setFocus(Qt::MouseFocusReason);
    });
    // Below the last row of the page counts as beyond the list.
    auto mouseRow = [this] { return grid_->MouseRow() < 0 ? grid_->Rows() : grid_->MouseRow(); };
    connect(grid_, &TOFlexGrid::Click, this, [this, mouseRow] {
        // The release that ends a double-click is no click of its own.
        if (suppressClick_) {
            suppressClick_ = false;
            return;
        }
        Click(mouseRow(), grid_->MouseCol(), button_, keys_, QCursor::pos());
    });
    connect(grid_, &TOFlexGrid::DblClick, this, [this, mouseRow] {
        suppressClick_ = true;
        if (button_ != Qt::LeftButton || (keys_ & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) return;
        DoubleClick(mouseRow(), grid_->MouseCol());
    });
}

// ---- What a first start shows: the empty list says where to begin ---------------------------

void MainFileList::BuildStartGuide() {
    startGuide_ = new QLabel(grid_->viewport());
    startGuide_->setObjectName(QStringLiteral("lblStartGuide"));
    startGuide_->setAlignment(Qt::AlignCenter);
    startGuide_->setWordWrap(true);
    startGuide_->setForegroundRole(QPalette::PlaceholderText);
    // The list below stays the list: clicks and the wheel pass through the text.
    startGuide_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(grid_->viewport());
    layout->addWidget(startGuide_);
    startGuide_->hide();
}

void MainFileList::UpdateStartGuide() {
    // Only while the profile has no pair and no compare has listed anything.
    const bool empty = CurrentProfile().profile.Pairs.isEmpty() && CurrentFileView().LastIndex() < 1;
    const QString text = empty ? FormatMsg(MainMsg::StartGuide) : QString();
    startGuide_->setText(text);
    startGuide_->setVisible(!text.isEmpty());
}

QString MainFileList::StartGuideText() const { return startGuide_->isHidden() ? QString() : startGuide_->text(); }
