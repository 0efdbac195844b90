#include "platform/NetworkShare.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace FileSystem {

namespace {

QString GvfsFolder() {
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty()) runtime = QStringLiteral("/run/user/") + QString::number(::getuid());
    return runtime + QStringLiteral("/gvfs");
}

QString WithRest(const QString& mount, const ShareAddress& address) {
    return address.rest.isEmpty() ? mount : mount + QLatin1Char('/') + address.rest;
}

// The GVfs mount folder of the share, if one is there: the usual name first, then any
// "smb-share:" name with the same server and share in other letter case or with more keys.
QString ExistingMount(const ShareAddress& address) {
    const QString base = GvfsFolder();
    const QString usual = QStringLiteral("smb-share:server=%1,share=%2").arg(address.server, address.share);
    if (QFileInfo(base + QLatin1Char('/') + usual).isDir()) return base + QLatin1Char('/') + usual;
    const QStringList names = QDir(base).entryList({QStringLiteral("smb-share:*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        QString server, share;
        for (const QString& part : name.mid(10).split(QLatin1Char(','))) {
            if (part.startsWith(QLatin1String("server="))) server = part.mid(7);
            else if (part.startsWith(QLatin1String("share="))) share = part.mid(6);
        }
        if (server.compare(address.server, Qt::CaseInsensitive) == 0 &&
            share.compare(address.share, Qt::CaseInsensitive) == 0)
            return base + QLatin1Char('/') + name;
    }
    return QString();
}

}  // namespace

bool ParseSharePath(const QString& path, ShareAddress& out) {
    if (!path.startsWith(QLatin1String("//")) || path.startsWith(QLatin1String("///"))) return false;
    const QStringList parts = path.mid(2).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.size() < 2) return false;
    out.server = parts[0];
    out.share = parts[1];
    out.rest = parts.mid(2).join(QLatin1Char('/'));
    // "." and ".." would lead out of the share's folder.
    for (const QString& p : parts)
        if (p == QLatin1String(".") || p == QLatin1String("..")) return false;
    return true;
}

QString GvfsPathOf(const ShareAddress& address) {
    const QString mount = ExistingMount(address);
    if (!mount.isEmpty()) return WithRest(mount, address);
    return WithRest(GvfsFolder() + QStringLiteral("/smb-share:server=%1,share=%2").arg(address.server, address.share),
                    address);
}

QString MountShare(const ShareAddress& address, const QString& user, const QString& password, int timeoutMs) {
    QString mount = ExistingMount(address);
    if (mount.isEmpty()) {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty()) return QString();
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(gio, {QStringLiteral("mount"), QStringLiteral("smb://%1/%2").arg(address.server, address.share)});
        if (!p.waitForStarted(timeoutMs)) return QString();
        // gio asks for the user, the domain and the password, in turn; "DOMAIN\\user" names
        // the domain, else gio's default is taken.
        if (!user.isEmpty()) {
            const qsizetype backslash = user.indexOf(QLatin1Char('\\'));
            const QString name = backslash < 0 ? user : user.mid(backslash + 1);
            const QString domain = backslash < 0 ? QString() : user.left(backslash);
            p.write((name + QLatin1Char('\n') + domain + QLatin1Char('\n') + password + QLatin1Char('\n')).toUtf8());
        }
        p.closeWriteChannel();
        if (!p.waitForFinished(timeoutMs)) {
            p.kill();
            p.waitForFinished(1000);
            return QString();
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return QString();
        mount = ExistingMount(address);
        if (mount.isEmpty()) return QString();
    }
    // The folder below the share may be missing: the scan reports it, or AutoCreate makes it.
    return WithRest(mount, address);
}

}  // namespace FileSystem
