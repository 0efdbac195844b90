#pragma once
// Where the main window opens: a first start takes a good share of the screen, and a stored
// place that lies on no screen any more (a monitor unplugged, a smaller screen, a position from
// another machine) is moved onto one.

#include <QList>
#include <QRect>

// The window of a first start: most of the available area, centred, never larger than a
// comfortable reading size on a very large screen.
QRect FirstStartGeometry(const QRect& available);

// The frame rectangle moved onto a screen when too little of it lies on any of them: a window
// of which the user cannot reach the title bar is lost to the mouse. A window larger than its
// screen is shrunk to it. Screens are the available areas; the first one is the primary.
QRect PlaceOnScreens(const QRect& frame, const QList<QRect>& screens);
