#pragma once
// The daily log file: one line per synchronisation start and end and per failed file
// operation, in <LogfilesFolder>/yyyymmdd.log, fields separated by TAB, lines ended by CR LF.

#include <QDateTime>
#include <QString>
#include <QStringList>

// Appends one line (time stamp, then the values) to the day's file when LogToFile is on.
// Never fails toward the caller: a line that cannot be written is lost silently.
void WriteLogLine(const QStringList& values);

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
