#include "platform/SystemInfo.h"

#include "platform/Clock.h"
#include "platform/IniFileIo.h"
#include "platform/PathCodec.h"
#include "platform/ProgramLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <climits>
#include <unistd.h>

namespace {

QString& ProgramFolderOverride() {
    static QString folder;
    return folder;
}

QString HomeFolder() {
    const QString home = qEnvironmentVariable("HOME");
    return home.isEmpty() ? QDir::homePath() : home;
}

QString ConfigHome() {
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative XDG base directories are ignored, as the freedesktop.org rules say.
    if (!xdg.isEmpty() && xdg.startsWith(QLatin1Char('/'))) return xdg;
    return HomeFolder() + QStringLiteral("/.config");
}

QString StripTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) path.chop(1);
    return path;
}

// One entry of ~/.config/user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents"; empty when the
// file does not name that folder.
QString XdgUserDirEntry(const QString& name) {
    const IniFileIo::RawFile raw = IniFileIo::ReadFile(ConfigHome() + QStringLiteral("/user-dirs.dirs"));
    const QString text = IniFileIo::DecodeText(raw.bytes);
    const QString wanted = QStringLiteral("XDG_%1_DIR").arg(name);
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        const QStringView t = line.trimmed();
        if (t.startsWith(QLatin1Char('#'))) continue;
        const qsizetype eq = t.indexOf(QLatin1Char('='));
        if (eq < 0 || t.left(eq).trimmed() != wanted) continue;
        QString value = t.mid(eq + 1).trimmed().toString();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) {
            value = value.mid(1, value.size() - 2);
        }
        if (value.startsWith(QLatin1String("$HOME"))) value = HomeFolder() + value.mid(5);
        if (!value.startsWith(QLatin1Char('/'))) continue;  // only absolute paths are valid there
        return StripTrailingSlash(value);
    }
    return {};
}

QString XdgUserDir(const QString& name, const QString& fallback) {
    const QString named = XdgUserDirEntry(name);
    return named.isEmpty() ? HomeFolder() + QLatin1Char('/') + fallback : named;
}

QString ExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0) return {};
    return PathCodec::Decode(buffer, static_cast<qsizetype>(n));
}

}  // namespace

QString GetKnownFolder(KnownFolder folder, bool createIfMissing, bool verify) {
    QString path;
    switch (folder) {
    case KnownFolder::AppData: path = ConfigHome(); break;
    case KnownFolder::Documents: path = XdgUserDir(QStringLiteral("DOCUMENTS"), QStringLiteral("Documents")); break;
    case KnownFolder::Music: path = XdgUserDir(QStringLiteral("MUSIC"), QStringLiteral("Music")); break;
    case KnownFolder::Pictures: path = XdgUserDir(QStringLiteral("PICTURES"), QStringLiteral("Pictures")); break;
    case KnownFolder::Videos: path = XdgUserDir(QStringLiteral("VIDEOS"), QStringLiteral("Videos")); break;
    }
    path = StripTrailingSlash(path);
    const bool exists = QFileInfo(path).isDir();
    if (!exists && createIfMissing) {
        if (!QDir().mkpath(path)) return {};
    } else if (!exists && verify) {
        return {};
    }
    return path;
}

QString DesktopFolder() {
    QString path = XdgUserDirEntry(QStringLiteral("DESKTOP"));
    if (path.isEmpty()) {
        path = HomeFolder() + QStringLiteral("/Desktop");
        if (!QFileInfo(path).isDir()) return {};
    }
    // xdg-user-dirs names the home folder itself for a desktop folder it was told not to have.
    if (path == StripTrailingSlash(HomeFolder())) return {};
    return path;
}

QString ProgramFolder() {
    if (!ProgramFolderOverride().isEmpty()) return ProgramFolderOverride();
    const QString exe = ExecutablePath();
    if (exe.isEmpty()) return QDir::currentPath();
    return ProgramDataFolderFor(QFileInfo(exe).absolutePath());
}

QString ProgramExecutablePath() {
    if (!ProgramFolderOverride().isEmpty()) return ProgramFolderOverride() + QLatin1Char('/') + ProgramFileBaseName();
    const QString exe = ExecutablePath();
    return exe.isEmpty() ? ProgramFileBaseName() : exe;
}

QString ProgramFileBaseName() {
    const QString exe = ExecutablePath();
    return exe.isEmpty() ? QStringLiteral("tandor") : QFileInfo(exe).completeBaseName();
}

void SetProgramFolderForTests(const QString& folder) { ProgramFolderOverride() = folder; }

QString TempFolder() {
    const QString tmp = qEnvironmentVariable("TMPDIR");
    return tmp.isEmpty() ? QStringLiteral("/tmp") : StripTrailingSlash(tmp);
}

void WaitWithEvents(int milliseconds) {
    const double wanted = milliseconds / 1000.0;
    const double start = Clock::SecondsOfDay();
    for (;;) {
        if (QCoreApplication::instance()) QCoreApplication::processEvents();
        QThread::msleep(10);
        double now = Clock::SecondsOfDay();
        // The seconds-of-day clock starts again at midnight; a wait across it goes on counting.
        if (now < start) now += 86400.0;
        if (now - start >= wanted) break;
    }
}
