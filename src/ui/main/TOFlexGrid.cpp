// The grid's shape, cells, current cell, merging, scrolling and appearance.
#include "ui/main/TOFlexGrid.h"

#include "ui/main/TOFlexGridDrawing.h"

#include <QHeaderView>
#include <QScrollBar>

#include <algorithm>

namespace {

int WidthOfTitle(const QFontMetrics& metrics, const QString& title) {
    int widest = 0;
    for (const QString& line : title.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest + 12 + 2 * TOFlexGridDrawing::TitlePadding;
}

}  // namespace

TOFlexGrid::TOFlexGrid(QWidget* parent) : QTableView(parent), model_(new TOFlexGridModel(this)) {
    setHorizontalHeader(TOFlexGridDrawing::NewTitleHeader(this));
    setModel(model_);
    setItemDelegate(TOFlexGridDrawing::NewCellDelegate(this));
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(1);
    horizontalHeader()->setDefaultSectionSize(64);
    horizontalHeader()->setVisible(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(model_, &TOFlexGridModel::CellChanged, this, &TOFlexGrid::OnCellChanged);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { emit SelChange(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit Scroll(); });
    SetRows(2);
    SetCols(2);
    SetFixedRows(1);
}

QModelIndex TOFlexGrid::IndexOf(int row, int col) const {
    if (row < HeaderRows()) return QModelIndex();
    return model_->index(row - HeaderRows(), col);
}

// ---- shape ----

void TOFlexGrid::SetRows(int rows) {
    rows = std::max(rows, fixedRows_);
    if (rows == Rows()) return;
    clearSpans();
    model_->SetShape(rows, Cols());
    row_ = std::min(row_, std::max(0, rows - 1));
    rowSel_ = std::min(rowSel_, std::max(0, rows - 1));
    QHash<int, bool> kept;
    for (auto it = mergeRows_.cbegin(); it != mergeRows_.cend(); ++it)
        if (it.key() < rows) kept.insert(it.key(), it.value());
    mergeRows_ = kept;
    UpdateAllMerges();
}

void TOFlexGrid::SetCols(int cols) {
    cols = std::max(cols, fixedCols_);
    if (cols == Cols()) return;
    clearSpans();
    model_->SetShape(Rows(), cols);
    col_ = std::min(col_, std::max(0, cols - 1));
    colSel_ = std::min(colSel_, std::max(0, cols - 1));
    UpdateAllMerges();
}

void TOFlexGrid::SetFixedRows(int fixedRows) {
    fixedRows_ = std::clamp(fixedRows, 0, 1);
    if (Rows() < fixedRows_) SetRows(fixedRows_);
    clearSpans();
    model_->SetHeaderRows(fixedRows_);
    horizontalHeader()->setVisible(fixedRows_ > 0);
    UpdateAllMerges();
}

void TOFlexGrid::SetFixedCols(int fixedCols) {
    fixedCols_ = std::max(0, fixedCols);
    if (Cols() < fixedCols_) SetCols(fixedCols_);
    model_->fixedCols = fixedCols_;
    Refresh();
}

int TOFlexGrid::ColWidth(int col) const { return horizontalHeader()->sectionSize(col); }

void TOFlexGrid::SetColWidth(int col, int width) {
    if (col < 0 || col >= Cols()) return;
    horizontalHeader()->resizeSection(col, std::max(0, width));
}

int TOFlexGrid::RowHeight(int row) const {
    if (row < 0 || row >= Rows()) return 0;
    if (row < HeaderRows()) return horizontalHeader()->isVisible() || horizontalHeader()->height() > 0
                                       ? std::max(horizontalHeader()->height(), horizontalHeader()->sizeHint().height())
                                       : horizontalHeader()->sizeHint().height();
    return verticalHeader()->sectionSize(row - HeaderRows());
}

void TOFlexGrid::SetRowHeight(int row, int height) {
    if (row < 0 || row >= Rows()) return;
    height = std::max(height, rowHeightMin_);
    if (row < HeaderRows()) {
        horizontalHeader()->setFixedHeight(height);
        updateGeometries();
        return;
    }
    verticalHeader()->resizeSection(row - HeaderRows(), height);
}

void TOFlexGrid::SetRowHeightMin(int height) {
    rowHeightMin_ = std::max(0, height);
    verticalHeader()->setMinimumSectionSize(std::max(1, rowHeightMin_));
}

void TOFlexGrid::SetFormatString(const QString& format) {
    formatString_ = format;
    const QString columnsPart = format.section(QLatin1Char(';'), 0, 0);
    const QStringList parts = columnsPart.split(QLatin1Char('|'));
    SetCols(static_cast<int>(parts.size()));
    const QFontMetrics metrics(horizontalHeader()->font());
    for (int c = 0; c < parts.size(); ++c) {
        QString title = parts[c];
        Qt::Alignment alignment = Qt::AlignLeft;
        if (title.startsWith(QLatin1Char('<'))) title.remove(0, 1);
        else if (title.startsWith(QLatin1Char('^'))) { alignment = Qt::AlignHCenter; title.remove(0, 1); }
        else if (title.startsWith(QLatin1Char('>'))) { alignment = Qt::AlignRight; title.remove(0, 1); }
        SetColAlignment(c, alignment | Qt::AlignVCenter);
        if (HeaderRows() > 0) SetTextMatrix(0, c, title);
        SetColWidth(c, WidthOfTitle(metrics, title));
    }
}

// ---- cells ----

void TOFlexGrid::SetTextMatrix(int row, int col, const QString& text) {
    model_->Edit(row, col, [&](TOFlexGridCell& cell) { cell.text = text; });
}

QString TOFlexGrid::TextArray(int index) const {
    if (Cols() == 0 || index < 0) return QString();
    return TextMatrix(index / Cols(), index % Cols());
}

void TOFlexGrid::SetTextArray(int index, const QString& text) {
    if (Cols() == 0 || index < 0) return;
    SetTextMatrix(index / Cols(), index % Cols(), text);
}

void TOFlexGrid::SetCellForeColor(int row, int col, const QColor& color) {
    model_->Edit(row, col, [&](TOFlexGridCell& cell) { cell.fore = color; });
}
void TOFlexGrid::SetCellBackColor(int row, int col, const QColor& color) {
    model_->Edit(row, col, [&](TOFlexGridCell& cell) { cell.back = color; });
}
void TOFlexGrid::SetCellFontName(int row, int col, const QString& fontName) {
    model_->Edit(row, col, [&](TOFlexGridCell& cell) { cell.fontName = fontName; });
}
void TOFlexGrid::SetCellFontBold(int row, int col, bool bold) {
    model_->Edit(row, col, [&](TOFlexGridCell& cell) { cell.bold = bold; });
}

void TOFlexGrid::OnCellChanged(int row, int) {
    if (mergeCells_ != 0 && MergeRow(row)) UpdateMerges(row);
}

template <typename Change>
void TOFlexGrid::EditRange(Change change) {
    int r0 = row_, r1 = row_, c0 = col_, c1 = col_;
    if (fillStyle_ == FillRepeat) {
        r0 = std::min(row_, rowSel_);
        r1 = std::max(row_, rowSel_);
        c0 = std::min(col_, colSel_);
        c1 = std::max(col_, colSel_);
    }
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) model_->Edit(r, c, change);
}

void TOFlexGrid::SetText(const QString& text) {
    EditRange([&](TOFlexGridCell& cell) { cell.text = text; });
}
void TOFlexGrid::SetCellForeColor(const QColor& color) {
    EditRange([&](TOFlexGridCell& cell) { cell.fore = color; });
}
void TOFlexGrid::SetCellBackColor(const QColor& color) {
    EditRange([&](TOFlexGridCell& cell) { cell.back = color; });
}
QString TOFlexGrid::CellFontName() const {
    const QString name = model_->Cell(row_, col_).fontName;
    return name.isEmpty() ? font().family() : name;
}
void TOFlexGrid::SetCellFontName(const QString& fontName) {
    EditRange([&](TOFlexGridCell& cell) { cell.fontName = fontName; });
}
void TOFlexGrid::SetCellFontBold(bool bold) {
    EditRange([&](TOFlexGridCell& cell) { cell.bold = bold; });
}

QRect TOFlexGrid::CellRect(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= Cols()) return QRect();
    if (row < HeaderRows()) {
        const QHeaderView* header = horizontalHeader();
        const QPoint topLeft = header->viewport()->mapTo(this, QPoint(header->sectionViewportPosition(col), 0));
        return QRect(topLeft, QSize(header->sectionSize(col), header->height()));
    }
    const QRect r = visualRect(IndexOf(row, col));
    return QRect(viewport()->mapTo(this, r.topLeft()), r.size());
}

void TOFlexGrid::SetRow(int row) {
    if (row < 0 || row >= Rows()) return;
    row_ = rowSel_ = row;
    if (row >= HeaderRows()) {
        const QSignalBlocker block(this);
        userMoved_ = false;
        selectionModel()->setCurrentIndex(IndexOf(row_, col_), QItemSelectionModel::NoUpdate);
    }
}

void TOFlexGrid::SetCol(int col) {
    if (col < 0 || col >= Cols()) return;
    col_ = colSel_ = col;
    if (row_ >= HeaderRows()) {
        const QSignalBlocker block(this);
        selectionModel()->setCurrentIndex(IndexOf(row_, col_), QItemSelectionModel::NoUpdate);
    }
}

void TOFlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (signalsBlocked() || !current.isValid()) return;
    const int row = current.row() + HeaderRows();
    const int col = current.column();
    if (row == row_ && col == col_) return;
    emit LeaveCell();
    row_ = rowSel_ = row;
    col_ = colSel_ = col;
    emit RowColChange();
    emit EnterCell();
}

// ---- merging ----

void TOFlexGrid::SetMergeCells(int mode) {
    mergeCells_ = mode;
    clearSpans();
    UpdateAllMerges();
}

void TOFlexGrid::SetMergeRow(int row, bool merge) {
    if (row < 0 || row >= Rows()) return;
    mergeRows_[row] = merge;
    UpdateMerges(row);
}

void TOFlexGrid::UpdateMerges(int row) {
    if (row < HeaderRows() || row >= Rows()) return;
    const int modelRow = row - HeaderRows();
    for (int c = 0; c < Cols(); ++c)
        if (columnSpan(modelRow, c) > 1) setSpan(modelRow, c, 1, 1);
    if (mergeCells_ == 0 || !MergeRow(row)) return;
    int c = 0;
    while (c < Cols()) {
        const QString& text = TextMatrix(row, c);
        int end = c + 1;
        while (end < Cols() && !text.isEmpty() && TextMatrix(row, end) == text) ++end;
        if (end - c > 1) setSpan(modelRow, c, 1, end - c);
        c = end;
    }
}

void TOFlexGrid::UpdateAllMerges() {
    if (mergeCells_ == 0) return;
    for (auto it = mergeRows_.cbegin(); it != mergeRows_.cend(); ++it)
        if (it.value()) UpdateMerges(it.key());
}

// ---- scrolling ----

int TOFlexGrid::TopRow() const {
    const int r = rowAt(0);
    return r < 0 ? HeaderRows() : r + HeaderRows();
}

void TOFlexGrid::SetTopRow(int row) {
    const QModelIndex index = IndexOf(row, 0);
    if (index.isValid()) scrollTo(index, QAbstractItemView::PositionAtTop);
}

bool TOFlexGrid::RowIsVisible(int row) const {
    if (row < HeaderRows()) return row >= 0 && horizontalHeader()->isVisible();
    const QRect r = visualRect(IndexOf(row, 0));
    return r.isValid() && r.bottom() >= 0 && r.top() < viewport()->height();
}

bool TOFlexGrid::ColIsVisible(int col) const {
    const QHeaderView* header = horizontalHeader();
    if (col < 0 || col >= Cols()) return false;
    const int x = header->sectionViewportPosition(col);
    return x + header->sectionSize(col) > 0 && x < viewport()->width();
}

int TOFlexGrid::RowAtPoint(const QPoint& p) const {
    const QHeaderView* header = horizontalHeader();
    if (HeaderRows() > 0 && header->isVisible() && header->geometry().contains(p)) return 0;
    const QPoint v = viewport()->mapFrom(this, p);
    if (!viewport()->rect().contains(v)) return -1;
    const int r = rowAt(v.y());
    return r < 0 ? -1 : r + HeaderRows();
}

int TOFlexGrid::ColAtPoint(const QPoint& p) const {
    const QPoint v = viewport()->mapFrom(this, p);
    return columnAt(v.x());
}

// ---- appearance ----

QColor TOFlexGrid::ForeColor() const { return palette().color(QPalette::Text); }
void TOFlexGrid::SetForeColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Text, color);
    setPalette(p);
}
QColor TOFlexGrid::BackColor() const { return palette().color(QPalette::Base); }
void TOFlexGrid::SetBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}
void TOFlexGrid::SetForeColorFixed(const QColor& color) {
    model_->fixedFore = color;
    Refresh();
}
void TOFlexGrid::SetBackColorFixed(const QColor& color) {
    model_->fixedBack = color;
    Refresh();
}
QColor TOFlexGrid::ForeColorSel() const { return palette().color(QPalette::HighlightedText); }
void TOFlexGrid::SetForeColorSel(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::HighlightedText, color);
    setPalette(p);
}
QColor TOFlexGrid::BackColorSel() const { return palette().color(QPalette::Highlight); }
void TOFlexGrid::SetBackColorSel(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Highlight, color);
    setPalette(p);
}
QColor TOFlexGrid::BackColorBkg() const { return palette().color(QPalette::Window); }
void TOFlexGrid::SetBackColorBkg(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}
void TOFlexGrid::SetGridColor(const QColor& color) {
    gridColor_ = color;
    setStyleSheet(color.isValid() ? QStringLiteral("QTableView { gridline-color: %1; }").arg(color.name()) : QString());
}
void TOFlexGrid::SetHighLight(int mode) {
    highLight_ = mode;
    Refresh();
}
void TOFlexGrid::SetFocusRect(bool on) {
    focusRect_ = on;
    Refresh();
}
void TOFlexGrid::SetScrollBars(int bars) {
    scrollBars_ = bars;
    setHorizontalScrollBarPolicy((bars & ScrollBarHorizontal) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((bars & ScrollBarVertical) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
}
void TOFlexGrid::SetRedraw(bool on) {
    redraw_ = on;
    setUpdatesEnabled(on);
    if (on) Refresh();
}
bool TOFlexGrid::AllowUserResizing() const {
    return horizontalHeader()->sectionResizeMode(0) == QHeaderView::Interactive;
}
void TOFlexGrid::SetAllowUserResizing(bool on) {
    horizontalHeader()->setSectionResizeMode(on ? QHeaderView::Interactive : QHeaderView::Fixed);
}
void TOFlexGrid::SetOLEDropMode(int mode) {
    oleDropMode_ = mode;
    setAcceptDrops(mode != 0);
    viewport()->setAcceptDrops(mode != 0);
}

void TOFlexGrid::SetSizeX(int width) {
    sizeX_ = std::max(0, width);
    // The border is whatever the style draws; the cells get exactly the width asked for.
    const int border = this->width() - contentsRect().width();
    resize(sizeX_ + border, height());
}

void TOFlexGrid::SetSizeY(int height) {
    sizeY_ = std::max(0, height);
    const int border = this->height() - contentsRect().height();
    resize(width(), sizeY_ + border);
}

void TOFlexGrid::SetCursorRows(int cursorRow, int firstMarked, int lastMarked) {
    if (cursorRow == cursorRow_ && firstMarked == firstMarked_ && lastMarked == lastMarked_) return;
    cursorRow_ = cursorRow;
    firstMarked_ = std::min(firstMarked, lastMarked);
    lastMarked_ = std::max(firstMarked, lastMarked);
    Refresh();
}

// ---- methods ----

void TOFlexGrid::Refresh() {
    viewport()->update();
    horizontalHeader()->viewport()->update();
}

int TOFlexGrid::TextWidth(const QString& text) const {
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n'))) widest = std::max(widest, fontMetrics().horizontalAdvance(line));
    return widest;
}

int TOFlexGrid::TextHeight(const QString& text) const {
    return fontMetrics().height() * static_cast<int>(text.count(QLatin1Char('\n')) + 1);
}

void TOFlexGrid::Clear() {
    clearSpans();
    model_->ClearCells();
}

void TOFlexGrid::AddItem(const QString& text, int index) {
    const int at = index < 0 || index > Rows() ? Rows() : index;
    model_->InsertRow(at);
    const QStringList parts = text.split(QLatin1Char('\t'));
    for (int c = 0; c < Cols() && c < parts.size(); ++c) SetTextMatrix(at, c, parts[c]);
}

void TOFlexGrid::RemoveItem(int row) {
    model_->RemoveRow(row);
    if (row_ >= Rows()) row_ = rowSel_ = std::max(0, Rows() - 1);
}
