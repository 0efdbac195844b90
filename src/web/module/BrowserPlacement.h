#pragma once
// Where the browser window opens: the half of the work area that the program's window leaves
// free, frame and title bar included, so that its close and move buttons are on the screen.

#include <QMargins>
#include <QRect>

// The inner geometry (what QWidget::setGeometry takes) of the browser window beside a window
// whose frame is otherFrame. frame is the window manager's border around a window's inside
// (left, title height, right, bottom); zero where there is no window manager.
QRect BrowserGeometryBeside(const QRect& work, const QRect& otherFrame, const QMargins& frame);
