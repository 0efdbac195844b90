#pragma once
// The pictures of the filter and option buttons: the desktop's icon theme where it has one
// that says the same, otherwise the icons shipped in the "icons" folder beside the program.

#include <QIcon>
#include <QString>

// The picture of button `digit` (its key "#digit") on toolbar `bar` (0 to 3); a null icon for
// a button that has none.
QIcon ToolbarIcon(int bar, int digit);
// The shipped fallback file of that button; empty when there is none.
QString ToolbarIconFile(int bar, int digit);
