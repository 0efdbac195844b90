#include "ui/main/HelpKeys.h"

#include <QKeyEvent>

std::function<void(int)>& HelpKeyHandler() {
    static std::function<void(int)> handler;
    return handler;
}

bool PassHelpKey(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_F1:
    case Qt::Key_F2:
    case Qt::Key_F3:
    case Qt::Key_F12:
        if (HelpKeyHandler()) HelpKeyHandler()(event->key());
        event->accept();
        return true;
    default:
        return false;
    }
}
