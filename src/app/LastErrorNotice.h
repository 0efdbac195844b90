#pragma once

#include <QString>

// The notice of the error that the last unattended run recorded. Ticking "Don't display this
// information again." clears the record; otherwise the notice returns at the next start.
void ShowLastErrorNotice(const QString& lastErrorDate);

// The text of the notice: message 815 with the date, then the recorded error between
// separator lines.
QString LastErrorNoticeText(const QString& lastErrorDate, const QString& lastErrorMsg);
