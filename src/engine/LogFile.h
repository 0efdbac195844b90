#pragma once
// The daily log file: one line per synchronisation start and end and per failed file
// operation, in <LogfilesFolder>/yyyymmdd.log, fields separated by TAB, lines ended by CR LF.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Appends one line (time stamp, then the values) to the day's file when LogToFile is on.
// Never fails toward the caller: a line that cannot be written is lost, and remembered for
// LastLogWriteFailure.
void WriteLogLine(const QStringList& values);

// A path as a log field: a backslash, TAB, CR, LF, any other control character and the Unicode
// line and paragraph separators are written as escapes ("\\", "\t", "\r", "\n", "\xHH",
// "\uHHHH"), so that a name can never add a field or a line. Every path handed to WriteLogLine
// goes through this; the texts of messages keep the line rules of FormatLogLine.
QString LogPath(const QString& path);

// The last line this process could not write: the log folder (expanded) and the error number.
struct LogWriteFailure {
    QString folder;
    int error = 0;
};
// Empty when every line so far was written (or logging is off).
std::optional<LogWriteFailure> LastLogWriteFailure();
void ForgetLogWriteFailureForTests();

// The line WriteLogLine writes for these values at that time, without CR LF (time stamp, TAB
// rules applied).
QString FormatLogLine(const QDateTime& now, const QStringList& values);

// The user's general date-and-time text (the C library's LC_TIME date and time forms with the
// year always in four digits; ISO "yyyy-mm-dd hh:mm:ss" under the C locale, whose own date form
// is ambiguous). Used for the log lines and for the recorded date of the last unattended error.
QString GeneralDateTimeText(const QDateTime& local);
// A strftime format with every two-digit year ("%y", "%Ey", "%Oy", "%D") made four-digit.
QByteArray WithFourDigitYear(const QByteArray& format);

// Path of the log file for a day in the expanded log folder.
QString LogFilePath(const QDate& day);
