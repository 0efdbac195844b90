#pragma once
// How the web part tells the user something (the browser window cannot be opened, an update
// check's answer): through the handler the windows hand in, which shows the program's message
// box. Web never opens a window of the program itself; without a handler, as in a start without
// windows, the text goes to the log only.

#include <QString>

#include <functional>

enum class NoticeKind { Warning, Information };

using NoticeHandler = std::function<void(const QString& text, const QString& title, NoticeKind kind)>;

// The handler the windows installed; empty until they do.
NoticeHandler& WebNoticeHandler();

// Passes the text to the handler, or logs it when there is none.
void TellUser(const QString& text, const QString& title, NoticeKind kind);
