#pragma once
// Captures the log lines of the browser window, the page commands, the update check and the
// browser module loader (category "tandor.web") while it lives.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

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
