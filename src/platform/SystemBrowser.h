#pragma once
// Opens an address in the user's own web browser (the news page, an address an update page
// names). The browser runs on its own; the program never waits for it.

#include <QString>

#include <functional>

// True when the browser could be started. Only http, https and file addresses are passed on.
bool OpenInSystemBrowser(const QString& address);

// Tests record the addresses instead of starting a browser; an empty function restores it.
void SetSystemBrowserForTests(std::function<bool(const QString&)> opener);
