#include "ui/main/MarkerDelegate.h"

#include "ui/main/FilesPage.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>

QString MarkerDelegate::SpokenText(const QString& marker) {
    if (marker == Marker::Ticked) return QObject::tr("ticked");
    if (marker == Marker::Empty) return QObject::tr("not ticked");
    if (marker == Marker::ToRight) return QObject::tr("copy to the right");
    if (marker == Marker::ToLeft) return QObject::tr("copy to the left");
    if (marker == Marker::Delete) return QObject::tr("delete");
    return QString();
}

void MarkerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!index.data(MarkerRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // Background as the cell defines it, then the picture of the marker in the text colour.
    const QVariant back = index.data(Qt::BackgroundRole);
    if (back.canConvert<QBrush>() && back.value<QBrush>().style() != Qt::NoBrush)
        painter->fillRect(option.rect, back.value<QBrush>());
    const QString marker = index.data(Qt::DisplayRole).toString();
    if (marker.isEmpty()) return;
    QColor colour = option.palette.color(QPalette::Text);
    const QVariant fore = index.data(Qt::ForegroundRole);
    if (fore.canConvert<QBrush>()) colour = fore.value<QBrush>().color();
    const int side = qMax(6, qMin(option.rect.width(), option.rect.height()) - 8);
    const QRect box(option.rect.center().x() - side / 2, option.rect.center().y() - side / 2, side, side);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, qMax(1.2, side / 9.0));
    painter->setPen(pen);
    if (marker == Marker::Ticked || marker == Marker::Empty) {
        painter->setBrush(Qt::white);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (marker == Marker::Ticked) {
            QPainterPath tick;
            tick.moveTo(box.left() + side * 0.2, box.top() + side * 0.5);
            tick.lineTo(box.left() + side * 0.42, box.top() + side * 0.75);
            tick.lineTo(box.left() + side * 0.82, box.top() + side * 0.22);
            painter->setBrush(Qt::NoBrush);
            painter->drawPath(tick);
        }
    } else if (marker == Marker::ToRight || marker == Marker::ToLeft) {
        const bool right = marker == Marker::ToRight;
        const double y = box.center().y();
        const double from = right ? box.left() : box.right();
        const double to = right ? box.right() : box.left();
        const double head = right ? -side * 0.4 : side * 0.4;
        painter->drawLine(QPointF(from, y), QPointF(to, y));
        painter->drawLine(QPointF(to, y), QPointF(to + head, y - side * 0.35));
        painter->drawLine(QPointF(to, y), QPointF(to + head, y + side * 0.35));
    } else if (marker == Marker::Delete) {
        painter->drawLine(box.topLeft(), box.bottomRight());
        painter->drawLine(box.topRight(), box.bottomLeft());
    } else {
        painter->drawText(option.rect, Qt::AlignCenter, marker);
    }
    painter->restore();
}
