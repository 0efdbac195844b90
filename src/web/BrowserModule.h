#pragma once
// Finds and loads the browser module (the browser window and its engine) the first time a
// browser window is asked for, and hands out the window. Nothing here links the engine.

#include "web/BrowserWindow.h"

#include <QString>
#include <QStringList>

#include <memory>

// The open browser window, or null; never loads the module.
BrowserWindow* CurrentBrowserWindow();
// The browser window, created on first use; loads the module once. Null when the module cannot
// be found or loaded: then reason (when given) says why, and the next call tries again.
BrowserWindow* GetBrowserWindow(QString* reason = nullptr);

// The file name of the module and the places it is looked for: beside the program first.
QString BrowserModuleFileName();
QStringList BrowserModuleCandidates();

// Where the code of the browser window comes from.
class BrowserSource {
public:
    virtual ~BrowserSource() = default;
    // The module's entry, or null with the reason why there is none.
    virtual const BrowserModuleEntry* Open(QString& reason) = 0;
};

// The program's source: the first of the module files that loads as a browser module of this
// version of the program.
class BrowserModuleFiles : public BrowserSource {
public:
    explicit BrowserModuleFiles(QStringList candidates = BrowserModuleCandidates());
    const BrowserModuleEntry* Open(QString& reason) override;

private:
    QStringList candidates_;
};

// Hands in where the browser window comes from (BrowserModuleFiles until then), as the browser
// tests do with the window linked into them. The next request for a window asks the new source.
void UseBrowserSource(std::unique_ptr<BrowserSource> source);
