#pragma once
// Draws the marker characters of the lists (ticked box, empty box, arrows, delete mark) as
// pictures, while the cells keep the characters as their values for tests and screen readers.

#include <QStyledItemDelegate>

class MarkerDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // Cells whose value is a marker carry this role set to true.
    static constexpr int MarkerRole = Qt::UserRole + 1;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The words a screen reader says for a marker character.
    static QString SpokenText(const QString& marker);
};
