// The grid's events from the user: mouse and keys in flexible-grid coordinates, the title row
// as row 0, the current cell the user moved to, and drops.
#include "ui/main/TOFlexGrid.h"

#include <QDragEnterEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

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
