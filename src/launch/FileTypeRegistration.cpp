#include "launch/FileTypeRegistration.h"

#include "launch/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

constexpr int kToolTimeoutMs = 30000;

QString DesktopFileName() { return QString::fromLatin1(ApplicationId) + QStringLiteral(".desktop"); }

// The package goes in under the program's id, replacing an older copy of the same file only.
QString InstallMimePackage(const FileTypeRegistration& where, QString* installedAt) {
    const QByteArray& package = where.mimePackage;
    if (!package.contains(ProfileMimeType)) return QStringLiteral("the MIME package does not declare ") + ProfileMimeType;
    const QString folder = where.dataHome + QStringLiteral("/mime/packages");
    if (!QDir().mkpath(folder)) return folder + QStringLiteral(": cannot be created");
    *installedAt = folder + QLatin1Char('/') + QString::fromLatin1(ApplicationId) + QStringLiteral(".xml");
    QFile target(*installedAt);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(package) != package.size() || !target.flush())
        return *installedAt + QStringLiteral(": ") + target.errorString();
    return {};
}

QString RunStep(const ToolRunner& run, const QString& program, const QStringList& arguments) {
    QString error;
    const int status = run(program, arguments, &error);
    if (status == 0) return {};
    const QString command = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '));
    if (status < 0) return command + QStringLiteral(": the program could not be started (is it installed?)");
    return command + QStringLiteral(": exit status ") + QString::number(status) +
           (error.trimmed().isEmpty() ? QString() : QStringLiteral(": ") + error.trimmed());
}

}  // namespace

int RunTool(const QString& program, const QStringList& arguments, QString* error) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) return -1;
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        if (error) *error = QStringLiteral("no answer within %1 s").arg(kToolTimeoutMs / 1000);
        return 1;
    }
    if (error) *error = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : 1;
}

FileTypeRegistrationResult RegisterProfileFileType(const FileTypeRegistration& where, const ToolRunner& run) {
    FileTypeRegistrationResult result;
    QString installedAt;
    if (QString failure = InstallMimePackage(where, &installedAt); !failure.isEmpty()) {
        result.failure = failure;
        return result;
    }
    result.done << installedAt;
    const QString mimeFolder = where.dataHome + QStringLiteral("/mime");
    if (QString failure = RunStep(run, QStringLiteral("update-mime-database"), {mimeFolder}); !failure.isEmpty()) {
        result.failure = failure;
        return result;
    }
    result.done << QStringLiteral("update-mime-database ") + mimeFolder;
    // The default application must be an entry the desktop can find: the installed one, or the
    // user's own menu entry, written now where none exists.
    if (QString failure = InstallProgramMenuEntry(where.dataHome, where.systemDataFolders, where.programPath, where.iconSource);
        !failure.isEmpty()) {
        result.failure = failure;
        return result;
    }
    result.done << QStringLiteral("menu entry ") + DesktopFileName();
    const QStringList defaultArguments{QStringLiteral("default"), DesktopFileName(), QString::fromLatin1(ProfileMimeType)};
    if (QString failure = RunStep(run, QStringLiteral("xdg-mime"), defaultArguments); !failure.isEmpty()) {
        result.failure = failure;
        return result;
    }
    result.done << QStringLiteral("xdg-mime ") + defaultArguments.join(QLatin1Char(' '));
    return result;
}
