#pragma once
// F1, F2, F3 and F12 open the help pages from every window of the program, and a click on a
// window's "Help = F1" label acts as F1. The browser window installs the one handler (it gets
// the Qt key and the window whose help page is meant); without one the keys do nothing.

#include <functional>

class QKeyEvent;
class QWidget;

std::function<void(int key, QWidget* window)>& HelpKeyHandler();

// Passes a help key of the given window (the active window when none is given) to the handler
// and accepts it; false for any other key or with a modifier held.
bool PassHelpKey(QKeyEvent* event, QWidget* window = nullptr);

// Makes the window's labels "lblF1..." and "txtlblF1" open its help page when clicked.
void MakeHelpLabelsClickable(QWidget* window);
