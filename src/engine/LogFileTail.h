#pragma once
// Reading a log file for display. A log that has grown for years can be hundreds of megabytes;
// the window shows its end, which holds the runs the user asks about, and says what it left out.

#include <QString>
#include <QtGlobal>

struct LogFileTail {
    bool readable = false;
    qint64 size = 0;     // bytes of the whole file
    qint64 skipped = 0;  // bytes before the part in `text`
    QString text;        // from the first whole line within the last maxBytes to the end
};

// At most maxBytes from the end of the file, starting after a line end (unless the whole file
// fits). Lines are UTF-8, a line that is not is read as Windows-1252.
LogFileTail ReadLogFileTail(const QString& path, qint64 maxBytes);
