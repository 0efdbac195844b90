#pragma once
// A `crontab` command first in PATH that keeps the table in a file of a temporary folder:
// "-l" prints it (or "no crontab for ..." and status 1 when there is none), "-" replaces it
// with standard input. Failing() makes every call fail as a broken crontab would. cron's own
// treatment of a command (AsCronRunsIt) and the bare environment it runs commands in.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class CrontabStandIn {
public:
    CrontabStandIn();
    ~CrontabStandIn();
    CrontabStandIn(const CrontabStandIn&) = delete;
    CrontabStandIn& operator=(const CrontabStandIn&) = delete;

    QByteArray Table() const;
    void SetTable(const QByteArray& table);
    void Remove();
    void SetFailing(bool failing);

private:
    QTemporaryDir dir_;
    QByteArray oldPath_;
};

// The command as the shell gets it from cron: "\%" becomes "%", and the command ends at the
// first "%" no backslash precedes.
QString AsCronRunsIt(const QString& command);

// Runs the text of a crontab line's command through /bin/sh as cron does: after AsCronRunsIt,
// with only HOME, LOGNAME, SHELL and PATH=/usr/bin:/bin set (no DISPLAY, no LANG). Waits for it.
struct ShellRun {
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};
ShellRun RunAsCron(const QString& command, const QString& home);
