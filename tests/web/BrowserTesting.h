#pragma once
// Helpers of the browser window tests: waiting for the engine, running a script in the page.

#include "web/frmWizard.h"

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

// Captures the log lines of the browser window while it lives.
class WebLogCapture {
public:
    WebLogCapture() { previous_ = qInstallMessageHandler(&WebLogCapture::Handle); Lines().clear(); }
    ~WebLogCapture() { qInstallMessageHandler(previous_); }
    static QStringList& Lines() {
        static QStringList lines;
        return lines;
    }
    bool Contains(const QString& text) const {
        for (const QString& line : Lines())
            if (line.contains(text)) return true;
        return false;
    }

private:
    static void Handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (context.category && QByteArray(context.category) == "tandor.web") Lines() << message;
    }
    QtMessageHandler previous_ = nullptr;
};
