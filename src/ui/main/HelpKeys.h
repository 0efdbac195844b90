#pragma once
// F1, F2, F3 and F12 open the help pages from every window of the program. The main window
// installs the one handler (it receives the Qt key); without one the keys do nothing.

#include <functional>

class QKeyEvent;

std::function<void(int key)>& HelpKeyHandler();

// Passes a help key to the handler and accepts it; false for any other key.
bool PassHelpKey(QKeyEvent* event);
