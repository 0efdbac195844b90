#include "web/WebNotice.h"

#include "web/WebLog.h"

NoticeHandler& WebNoticeHandler() {
    static NoticeHandler handler;
    return handler;
}

void TellUser(const QString& text, const QString& title, NoticeKind kind) {
    if (WebNoticeHandler()) {
        WebNoticeHandler()(text, title, kind);
        return;
    }
    qCWarning(lcWeb) << "no window to show:" << title << text;
}
