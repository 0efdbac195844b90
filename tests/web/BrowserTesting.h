#pragma once
// Helpers of the browser window tests: waiting for the engine, running a script in the page.

#include "support/WebLogCapture.h"
#include "web/module/frmWizard.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>

#include <functional>

inline bool WaitFor(const std::function<bool()>& done, int timeoutMs = 20000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Runs a script in the page's own world (as the page's scripts would) and returns its value.
inline QVariant RunInPage(frmWizard& wizard, const QString& script) {
    QVariant result;
    bool done = false;
    wizard.objWebBrowser1()->page()->runJavaScript(script, QWebEngineScript::MainWorld, [&](const QVariant& value) {
        result = value;
        done = true;
    });
    WaitFor([&] { return done; });
    return result;
}
