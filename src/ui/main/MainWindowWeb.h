#pragma once
// What the main window hands the web part when it is built: the handler of the help keys of every
// window, the program's message box for what web tells the user, and the buttons and methods
// of the main window that the assistant pages may use.

class frmMain;

void ConnectMainWindowToWeb(frmMain& window);
