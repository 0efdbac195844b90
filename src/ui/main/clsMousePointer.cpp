#include "ui/main/clsMousePointer.h"

#include <QCursor>
#include <QGuiApplication>

clsMousePointer::clsMousePointer() {
    // Without a window system (an unattended run) there is no pointer to change.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    active_ = true;
}

clsMousePointer::~clsMousePointer() {
    if (active_) QGuiApplication::restoreOverrideCursor();
}

void clsMousePointer::SetMousePointer(Qt::CursorShape pointer) {
    if (active_) QGuiApplication::changeOverrideCursor(QCursor(pointer));
}
