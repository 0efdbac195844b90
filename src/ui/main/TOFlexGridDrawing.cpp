// How the grid's cells and titles are drawn: markers as the pictures they stand for, text in a
// colour that reads on its background, the row cursor and the marked rows.
#include "ui/main/TOFlexGridDrawing.h"

#include "ui/main/TOFlexGrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>

#include <algorithm>
#include <cmath>

using TOFlexGridDrawing::TitlePadding;

namespace {

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

}  // namespace

QAbstractItemDelegate* TOFlexGridDrawing::NewCellDelegate(TOFlexGrid* grid) { return new FlexDelegate(grid); }

QHeaderView* TOFlexGridDrawing::NewTitleHeader(TOFlexGrid* grid) { return new FlexHeader(grid); }

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
