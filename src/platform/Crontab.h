#pragma once
// The user's crontab through the `crontab` command found in PATH: the whole table is read with
// `crontab -l` and replaced in one step by handing the new table to `crontab -` on its
// standard input, so that cron never sees half a table.

#include <QByteArray>
#include <QString>

struct CrontabText {
    bool ok = false;
    QByteArray text;  // the table as `crontab -l` printed it; empty when the user has none
    QString error;    // why it could not be read (when !ok)
};

// Whether the crontab command is there at all (the scheduler says so in the user's language).
bool CrontabInstalled();
CrontabText ReadCrontab();
// Replaces the user's table; returns an empty text on success, else the reason of the failure.
QString WriteCrontab(const QByteArray& table);
