#include "support/CrontabStandIn.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

namespace {
const char* const Script = R"sh(#!/bin/sh
dir=$(dirname "$0")
if [ -e "$dir/failing" ]; then echo "crontab: cannot reach the cron daemon" >&2; exit 1; fi
case "$1" in
  -l) if [ -e "$dir/table" ]; then cat "$dir/table"; else echo "no crontab for $(id -un)" >&2; exit 1; fi ;;
  -) cat > "$dir/table.new" && mv "$dir/table.new" "$dir/table" ;;
  *) echo "usage" >&2; exit 1 ;;
esac
)sh";
}  // namespace

CrontabStandIn::CrontabStandIn() : oldPath_(qgetenv("PATH")) {
    QFile script(dir_.filePath(QStringLiteral("crontab")));
    script.open(QIODevice::WriteOnly);
    script.write(Script);
    script.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ExeGroup | QFileDevice::ExeOther | QFileDevice::ReadOther | QFileDevice::ReadGroup);
    script.close();
    qputenv("PATH", dir_.path().toUtf8() + ':' + oldPath_);
}

CrontabStandIn::~CrontabStandIn() { qputenv("PATH", oldPath_); }

QByteArray CrontabStandIn::Table() const {
    QFile f(dir_.filePath(QStringLiteral("table")));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void CrontabStandIn::SetTable(const QByteArray& table) {
    QFile f(dir_.filePath(QStringLiteral("table")));
    f.open(QIODevice::WriteOnly);
    f.write(table);
}

void CrontabStandIn::Remove() { QFile::remove(dir_.filePath(QStringLiteral("table"))); }

void CrontabStandIn::SetFailing(bool failing) {
    QFile f(dir_.filePath(QStringLiteral("failing")));
    if (failing) f.open(QIODevice::WriteOnly);
    else f.remove();
}

QString AsCronRunsIt(const QString& command) {
    QString out;
    bool escaped = false;
    for (const QChar c : command) {
        if (escaped && c == QLatin1Char('%')) out.chop(1);
        else if (c == QLatin1Char('%')) break;
        escaped = !escaped && c == QLatin1Char('\\');
        out += c;
    }
    return out;
}

ShellRun RunAsCron(const QString& command, const QString& home) {
    QProcess sh;
    QProcessEnvironment env;
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("LOGNAME"), QStringLiteral("nobody"));
    env.insert(QStringLiteral("SHELL"), QStringLiteral("/bin/sh"));
    env.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin:/bin"));
    sh.setProcessEnvironment(env);
    sh.setWorkingDirectory(home);
    sh.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), AsCronRunsIt(command)});
    ShellRun run;
    if (!sh.waitForFinished(120000)) {
        sh.kill();
        sh.waitForFinished();
        return run;
    }
    run.exitCode = sh.exitStatus() == QProcess::NormalExit ? sh.exitCode() : -1;
    run.standardOutput = sh.readAllStandardOutput();
    run.standardError = sh.readAllStandardError();
    return run;
}
