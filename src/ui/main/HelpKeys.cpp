#include "ui/main/HelpKeys.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

std::function<void(int, QWidget*)>& HelpKeyHandler() {
    static std::function<void(int, QWidget*)> handler;
    return handler;
}

bool PassHelpKey(QKeyEvent* event, QWidget* window) {
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (event->key()) {
    case Qt::Key_F1:
    case Qt::Key_F2:
    case Qt::Key_F3:
    case Qt::Key_F12:
        if (HelpKeyHandler()) HelpKeyHandler()(event->key(), window ? window->window() : QApplication::activeWindow());
        event->accept();
        return true;
    default:
        return false;
    }
}

namespace {
// Turns a click on a help label into F1 of the label's window.
class HelpLabelClick : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* label = qobject_cast<QWidget*>(watched);
            if (label && HelpKeyHandler()) HelpKeyHandler()(Qt::Key_F1, label->window());
            return true;
        }
        return false;
    }
};
}  // namespace

void MakeHelpLabelsClickable(QWidget* window) {
    auto* filter = new HelpLabelClick(window);
    for (QWidget* child : window->findChildren<QWidget*>()) {
        const QString name = child->objectName();
        if (name.startsWith(QLatin1String("lblF1")) || name == QLatin1String("txtlblF1")) {
            child->installEventFilter(filter);
            child->setCursor(Qt::PointingHandCursor);
        }
    }
}
