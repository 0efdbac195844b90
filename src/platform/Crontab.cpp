#include "platform/Crontab.h"

#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr int TimeoutMs = 30000;

QString CrontabProgram() { return QStandardPaths::findExecutable(QStringLiteral("crontab")); }

QString NotInstalled() { return QStringLiteral("the command \"crontab\" is not installed"); }

// The first line of what the command wrote to standard error, or why it did not run.
QString Failure(QProcess& process, const QByteArray& standardError) {
    if (process.error() == QProcess::FailedToStart || process.error() == QProcess::Timedout)
        return process.errorString();
    const QString text = QString::fromLocal8Bit(standardError).trimmed();
    if (!text.isEmpty()) return text.section(QLatin1Char('\n'), 0, 0);
    return QStringLiteral("crontab ended with exit status %1").arg(process.exitCode());
}

bool Finished(QProcess& process) {
    if (!process.waitForFinished(TimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

}  // namespace

bool CrontabInstalled() { return !CrontabProgram().isEmpty(); }

CrontabText ReadCrontab() {
    CrontabText result;
    const QString program = CrontabProgram();
    if (program.isEmpty()) {
        result.error = NotInstalled();
        return result;
    }
    QProcess process;
    process.start(program, {QStringLiteral("-l")});
    if (Finished(process)) {
        result.ok = true;
        result.text = process.readAllStandardOutput();
        return result;
    }
    // A user who never had a table is told so on standard error; for us that is an empty one.
    const QByteArray error = process.readAllStandardError();
    if (process.exitStatus() == QProcess::NormalExit && error.trimmed().startsWith("no crontab for")) {
        result.ok = true;
        return result;
    }
    result.error = Failure(process, error);
    return result;
}

QString WriteCrontab(const QByteArray& table) {
    const QString program = CrontabProgram();
    if (program.isEmpty()) return NotInstalled();
    QProcess process;
    process.start(program, {QStringLiteral("-")});
    if (!process.waitForStarted(TimeoutMs)) return process.errorString();
    process.write(table);
    process.closeWriteChannel();
    if (Finished(process)) return {};
    return Failure(process, process.readAllStandardError());
}
