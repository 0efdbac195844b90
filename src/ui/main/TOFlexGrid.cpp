#include "ui/main/TOFlexGrid.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

namespace {

// Room beside a column title, on top of the style's own margin.
constexpr int TitlePadding = 3;

// Draws a marker character as what it means, in the cell's text colour.
void DrawMarker(QPainter* painter, const QRect& cellRect, const QString& marker, const QColor& color,
                const QWidget* widget) {
    QStyle* style = widget ? widget->style() : QApplication::style();
    const int side = std::max(6, std::min(cellRect.width(), cellRect.height()) - 4);
    QRect box(0, 0, side, side);
    box.moveCenter(cellRect.center());
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    if (marker == QStringLiteral("o") || marker == QString(QChar(0x00FE))) {
        QStyleOptionButton option;
        option.initFrom(widget);
        const int indicator = style->pixelMetric(QStyle::PM_IndicatorWidth, &option, widget);
        option.rect = QRect(0, 0, indicator, indicator);
        option.rect.moveCenter(cellRect.center());
        option.state = QStyle::State_Enabled | (marker == QStringLiteral("o") ? QStyle::State_Off : QStyle::State_On);
        style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, painter, widget);
    } else if (marker == QStringLiteral("M")) {
        QPen pen(color, std::max(2.0, side / 6.0), Qt::SolidLine, Qt::RoundCap);
        painter->setPen(pen);
        const QRectF x = QRectF(box).adjusted(side * 0.2, side * 0.2, -side * 0.2, -side * 0.2);
        painter->drawLine(x.topLeft(), x.bottomRight());
        painter->drawLine(x.topRight(), x.bottomLeft());
    } else {
        const bool right = marker == QString(QChar(0x00E8));
        const QRectF a = QRectF(box).adjusted(side * 0.1, side * 0.25, -side * 0.1, -side * 0.25);
        const double mid = a.center().y();
        const double head = a.height() * 0.9;
        QPen pen(color, std::max(2.0, side / 7.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter->setPen(pen);
        QPainterPath path;
        if (right) {
            path.moveTo(a.left(), mid);
            path.lineTo(a.right(), mid);
            path.moveTo(a.right() - head * 0.6, mid - head * 0.5);
            path.lineTo(a.right(), mid);
            path.lineTo(a.right() - head * 0.6, mid + head * 0.5);
        } else {
            path.moveTo(a.right(), mid);
            path.lineTo(a.left(), mid);
            path.moveTo(a.left() + head * 0.6, mid - head * 0.5);
            path.lineTo(a.left(), mid);
            path.lineTo(a.left() + head * 0.6, mid + head * 0.5);
        }
        painter->drawPath(path);
    }
    painter->restore();
}

class FlexDelegate : public QStyledItemDelegate {
public:
    explicit FlexDelegate(TOFlexGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

protected:
    // The windows pick their text colours by meaning (what is copied where); on a light cell
    // background some of them are too faint to read, white on light blue above all. The text
    // keeps its hue and only gets as much darker (or lighter) as it needs to stay readable.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) return;
        const QColor back = option->backgroundBrush.style() != Qt::NoBrush ? option->backgroundBrush.color()
                                                                           : option->palette.color(QPalette::Base);
        const TOFlexGridModel* model = grid_->Model();
        const bool marker = TOFlexGridModel::IsMarker(model->Cell(index.row() + model->HeaderRows(), index.column()));
        const QColor fore = option->palette.color(QPalette::Text);
        option->palette.setColor(QPalette::Text, TOFlexGrid::ReadableOn(fore, back, marker ? TOFlexGrid::MinimumGraphicContrast
                                                                                              : TOFlexGrid::MinimumTextContrast));
    }

public:

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem opt(option);
        const bool showSelection = grid_->HighLight() == TOFlexGrid::HighlightAlways ||
                                   (grid_->HighLight() == TOFlexGrid::HighlightWithFocus && grid_->hasFocus());
        if (!showSelection) opt.state &= ~QStyle::State_Selected;
        if (!grid_->FocusRect()) opt.state &= ~QStyle::State_HasFocus;
        const TOFlexGridModel* model = grid_->Model();
        const TOFlexGridCell& cell = model->Cell(index.row() + model->HeaderRows(), index.column());
        if (!TOFlexGridModel::IsMarker(cell)) {
            QStyledItemDelegate::paint(painter, opt, index);
            DrawRowCursor(painter, opt, index);
            return;
        }
        initStyleOption(&opt, index);
        opt.text.clear();
        opt.features &= ~QStyleOptionViewItem::HasCheckIndicator;
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QColor color = opt.palette.color((opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text);
        DrawMarker(painter, opt.rect, cell.text, color, widget);
        DrawRowCursor(painter, opt, index);
    }

    // The row cursor: a frame round the whole row, thicker while the grid has the focus, so
    // that a keyboard user sees which row Space, Enter and the Menu key act on.
    void DrawRowCursor(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        const int row = index.row() + grid_->Model()->HeaderRows();
        const bool cursor = row == grid_->CursorRow();
        if (!cursor && !grid_->RowMarked(row)) return;
        painter->save();
        const QColor highlight = option.palette.color(QPalette::Active, QPalette::Highlight);
        if (grid_->RowMarked(row)) {
            QColor tint = highlight;
            tint.setAlpha(70);
            painter->fillRect(option.rect, tint);
        }
        if (cursor) {
            const int width = grid_->hasFocus() ? 2 : 1;
            const QRect r = option.rect;
            const int lastCol = index.column() + std::max(1, grid_->columnSpan(index.row(), index.column())) - 1;
            painter->fillRect(QRect(r.left(), r.top(), r.width(), width), highlight);
            painter->fillRect(QRect(r.left(), r.bottom() - width + 1, r.width(), width), highlight);
            if (index.column() == 0) painter->fillRect(QRect(r.left(), r.top(), width, r.height()), highlight);
            if (lastCol >= grid_->Cols() - 1) painter->fillRect(QRect(r.right() - width + 1, r.top(), width, r.height()), highlight);
        }
        painter->restore();
    }

    // A mouse click on a check marker reaches the window as the grid's Click, which decides
    // what it ticks (a folder row ticks its files too); the delegate must not tick it a second
    // time. Keys still go through the model's check request.
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            return false;
        default:
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        }
    }

private:
    TOFlexGrid* grid_;
};

// The title row: drawn by the header, with the markers drawn like those of the cells.
class FlexHeader : public QHeaderView {
public:
    FlexHeader(TOFlexGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
        // The style's whole-section drawing puts back the clip it found by setting that region
        // again; on a painter without any clip that region is empty, and everything drawn after
        // it would be clipped away. The section and its title are drawn one by one instead, in
        // a saved painter state.
        painter->save();
        QStyleOptionHeaderV2 option;
        initStyleOption(&option);
        initStyleOptionForIndex(&option, logicalIndex);
        option.rect = rect;
        style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);
        // The style leaves a title right at the border, where a right-aligned title runs into
        // the next column's: the titles get a little room on both sides.
        QStyleOptionHeaderV2 label = option;
        label.rect = style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).adjusted(TitlePadding, 0, -TitlePadding, 0);
        if (label.rect.isValid()) style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
        painter->restore();
        const TOFlexGridCell& cell = grid_->Model()->Cell(0, logicalIndex);
        if (grid_->Model()->HeaderRows() > 0 && TOFlexGridModel::IsMarker(cell)) {
            const QColor color = cell.fore.isValid() ? cell.fore : palette().color(QPalette::ButtonText);
            painter->save();
            painter->setClipRect(rect);
            DrawMarker(painter, rect, cell.text, color, this);
            painter->restore();
        }
    }

private:
    TOFlexGrid* grid_;
};

double RelativeLuminance(const QColor& color) {
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

int WidthOfTitle(const QFontMetrics& metrics, const QString& title) {
    int widest = 0;
    for (const QString& line : title.split(QLatin1Char('\n'))) widest = std::max(widest, metrics.horizontalAdvance(line));
    return widest + 12 + 2 * TitlePadding;
}

}  // namespace

TOFlexGrid::TOFlexGrid(QWidget* parent) : QTableView(parent), model_(new TOFlexGridModel(this)) {
    setHorizontalHeader(new FlexHeader(this));
    setModel(model_);
    setItemDelegate(new FlexDelegate(this));
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

// ---- readable colours ----

double TOFlexGrid::Contrast(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor TOFlexGrid::ReadableOn(const QColor& fore, const QColor& back, double minimumContrast) {
    if (!fore.isValid() || !back.isValid() || Contrast(fore, back) >= minimumContrast) return fore;
    // Move the lightness away from the background's, hue and saturation kept, and take the
    // colour nearest to the original that reaches the contrast.
    const QColor hsl = fore.toHsl();
    const float hue = hsl.hslHueF(), saturation = hsl.hslSaturationF();
    const bool darken = Contrast(Qt::black, back) >= Contrast(Qt::white, back);
    float reach = darken ? 0.0f : 1.0f;  // always reaches the contrast (black or white)
    float start = hsl.lightnessF();       // never reaches it
    for (int step = 0; step < 24; ++step) {
        const float middle = (reach + start) / 2;
        if (Contrast(QColor::fromHslF(hue, saturation, middle), back) >= minimumContrast) reach = middle;
        else start = middle;
    }
    QColor result = QColor::fromHslF(hue, saturation, reach).toRgb();
    result.setAlphaF(fore.alphaF());
    return result;
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

// ---- events ----

void TOFlexGrid::TrackMouse(const QPoint& gridPoint) {
    mouseRow_ = RowAtPoint(gridPoint);
    mouseCol_ = ColAtPoint(gridPoint);
}

bool TOFlexGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(event);
            const QPoint p = horizontalHeader()->viewport()->mapTo(this, me->position().toPoint());
            TrackMouse(p);
            if (event->type() == QEvent::MouseButtonPress) {
                emit MouseDown(me->button(), me->modifiers(), p.x(), p.y());
            } else if (event->type() == QEvent::MouseButtonRelease) {
                emit MouseUp(me->button(), me->modifiers(), p.x(), p.y());
                emit Click();
            } else if (event->type() == QEvent::MouseButtonDblClick) {
                emit DblClick();
            } else {
                emit MouseMove(me->buttons(), me->modifiers(), p.x(), p.y());
            }
            break;
        }
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TOFlexGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    TrackMouse(p);
    QTableView::mousePressEvent(event);
    emit MouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void TOFlexGrid::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    TrackMouse(p);
    QTableView::mouseMoveEvent(event);
    emit MouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void TOFlexGrid::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    TrackMouse(p);
    QTableView::mouseReleaseEvent(event);
    emit MouseUp(event->button(), event->modifiers(), p.x(), p.y());
    emit Click();
}

void TOFlexGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    TrackMouse(p);
    QTableView::mouseDoubleClickEvent(event);
    emit DblClick();
}

void TOFlexGrid::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), event->modifiers());
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) emit KeyPress(event->text());
    QTableView::keyPressEvent(event);
}

void TOFlexGrid::keyReleaseEvent(QKeyEvent* event) {
    emit KeyUp(event->key(), event->modifiers());
    QTableView::keyReleaseEvent(event);
}

void TOFlexGrid::dragEnterEvent(QDragEnterEvent* event) {
    if (oleDropMode_ == 0) {
        event->ignore();
        return;
    }
    dragMoveEvent(event);
}

void TOFlexGrid::dragMoveEvent(QDragMoveEvent* event) {
    if (oleDropMode_ == 0) {
        event->ignore();
        return;
    }
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    Qt::DropAction effect = event->proposedAction();
    emit OLEDragOver(event->mimeData(), &effect, event->buttons(), event->modifiers(), p.x(), p.y());
    if (effect == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(effect);
    event->accept();
}

void TOFlexGrid::dropEvent(QDropEvent* event) {
    if (oleDropMode_ == 0) {
        event->ignore();
        return;
    }
    const QPoint p = viewport()->mapTo(this, event->position().toPoint());
    emit OLEDragDrop(event->mimeData(), event->dropAction(), event->buttons(), event->modifiers(), p.x(), p.y());
    event->acceptProposedAction();
}
