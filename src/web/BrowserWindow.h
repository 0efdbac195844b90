#pragma once
// The browser window as the rest of the program sees it. The window itself, and the browser
// engine it needs, live in a module of their own that is loaded the first time a browser window
// is asked for (see BrowserModule.h): a start that never opens help, above all an unattended
// run, does not pay for loading the engine's libraries.

#include "web/module/UpdateScript.h"

#include <QString>
#include <QVariantMap>

#include <functional>

class QTimer;
class QWidget;

class BrowserWindow {
public:
    virtual ~BrowserWindow() = default;

    // The window as a widget (to compare with a window that asks for help, to close it...).
    virtual QWidget* Widget() = 0;
    // Shows the window with the page from the help folder (online false) or the online help.
    virtual void SetUrl(const QString& page, bool online) = 0;
    // Opens an update page; its answer fields go to the handler after it has loaded.
    virtual void SetUpdateURL(const QString& url, const QString& userAgent, bool manual) = 0;
    virtual void SetUpdateAnswerHandler(std::function<void(const QVariantMap& fields)> handler) = 0;
    // Closes the window a while after an update page has been answered.
    virtual QTimer& tmrUnload() = 0;
    // Runs the update code of an answered update page; its script engine lives in the module too.
    virtual UpdateScriptResult RunUpdateCode(const QString& code, const UpdateScriptServices& services) = 0;
};

// What the module hands to the program: its version of this interface and the two ways to the
// window. The module exports TandorBrowserModuleEntry with C linkage.
struct BrowserModuleEntry {
    static constexpr int kInterfaceVersion = 1;
    int interfaceVersion = kInterfaceVersion;
    BrowserWindow* (*current)() = nullptr;  // the open window, or null
    BrowserWindow* (*get)() = nullptr;      // the open window, created on first use
};

extern "C" const BrowserModuleEntry* TandorBrowserModuleEntry();
