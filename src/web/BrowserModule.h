#pragma once
// Finds and loads the browser module (the browser window and its engine) the first time a
// browser window is asked for, and hands out the window. Nothing here links the engine.

#include "web/BrowserWindow.h"

#include <QString>
#include <QStringList>

// The open browser window, or null; never loads the module.
BrowserWindow* CurrentBrowserWindow();
// The browser window, created on first use; loads the module once. Null when the module cannot
// be found or loaded: then reason (when given) says why, and the next call tries again.
BrowserWindow* GetBrowserWindow(QString* reason = nullptr);

// The file name of the module and the places it is looked for: beside the program first.
QString BrowserModuleFileName();
QStringList BrowserModuleCandidates();

// Tests: a module file of their own (a missing one shows the failure path; empty restores the
// usual search), or the window linked into the test program itself (null restores loading).
void SetBrowserModulePathForTests(const QString& path);
void UseLinkedBrowserForTests(const BrowserModuleEntry* entry);
