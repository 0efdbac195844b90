#include "platform/LaunchTools.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <pwd.h>
#include <unistd.h>

QString RunAsTool() { return QStandardPaths::findExecutable(QStringLiteral("pkexec")); }

QStringList SchedulerTool() {
    const QString gnome = QStandardPaths::findExecutable(QStringLiteral("gnome-schedule"));
    if (!gnome.isEmpty()) return {gnome};
    return {};
}

bool StartDetached(const QString& program, const QStringList& arguments, const QString& workingFolder) {
    return QProcess::startDetached(program, arguments, workingFolder);
}

QString UserDataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    // Relative XDG base directories are ignored, as the freedesktop.org rules say.
    if (xdg.startsWith(QLatin1Char('/'))) return xdg;
    const QString home = qEnvironmentVariable("HOME");
    return (home.isEmpty() ? QDir::homePath() : home) + QStringLiteral("/.local/share");
}

QStringList SystemDataFolders() {
    QStringList folders;
    for (const QString& folder : qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (folder.startsWith(QLatin1Char('/'))) folders << folder;
    if (folders.isEmpty()) folders = {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")};
    return folders;
}

QString UserName() {
    // The crontab is the one of the account the program runs as, whatever the environment says.
    if (const passwd* account = ::getpwuid(::getuid()); account && account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
    for (const char* name : {"USER", "LOGNAME"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty()) return value;
    }
    return QDir(qEnvironmentVariable("HOME")).dirName();
}
