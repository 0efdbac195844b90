#pragma once
// The program's ways into the browser window: the help keys of every window, the help menu and
// the assistant.

#include <QString>

class QWidget;

// Opens a page ("index.htm", "wizard.htm" ...) from the help folder or online.
void SetUrl(const QString& page, bool online);
// Sets the assistant flag and opens "wizard.htm" from the help folder.
void OpenAssistant();
// The start-up information: the assistant as OpenAssistant opens it, announced to the entry
// page as seen at start, which then offers "Don't show this at start".
void OpenStartupInformation();
// What the entry page is asked for at start: the assistant page and the mark of the start.
QString StartupInformationPage();
// F1: the window's own page; F2: the assistant; F3: the search page online; F12: the window's
// own page online. The windows install it as the handler of their help keys.
void OpenHelpForKey(int key, QWidget* window);
