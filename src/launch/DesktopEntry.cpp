#include "launch/DesktopEntry.h"

#include "i18n/TextLookup.h"
#include "launch/LaunchMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The characters that force an argument into double quotes.
bool IsReserved(QChar c) {
    return QStringLiteral(" \t\n\"'\\><~|&;$*?#()`").contains(c);
}

QString ExecLine(const QString& target, const QStringList& arguments) {
    QString line = DesktopExecArgument(target);
    for (const QString& argument : arguments) line += QLatin1Char(' ') + DesktopExecArgument(argument);
    return line;
}

QString WriteFile(const QString& path, const QByteArray& contents, bool executable) {
    if (!QFileInfo(QFileInfo(path).absolutePath()).isDir())
        return FormatMsg(LaunchMessage::FolderMissing, {QFileInfo(path).absolutePath()});
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    file.write(contents);
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!file.commit()) return file.errorString();
    return {};
}

QByteArray EntryText(const QString& name, const QString& comment, const QString& exec, const QString& workingFolder,
                     const QString& icon, const QStringList& extraLines = {}) {
    QStringList lines = {QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application"),
                         QStringLiteral("Version=1.0"), QStringLiteral("Name=") + DesktopStringValue(name)};
    if (!comment.isEmpty()) lines << QStringLiteral("Comment=") + DesktopStringValue(comment);
    lines << QStringLiteral("Exec=") + DesktopStringValue(exec);
    if (!workingFolder.isEmpty()) lines << QStringLiteral("Path=") + DesktopStringValue(workingFolder);
    if (!icon.isEmpty()) lines << QStringLiteral("Icon=") + DesktopStringValue(icon);
    lines << QStringLiteral("Terminal=false") << extraLines;
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

}  // namespace

QString DesktopExecArgument(const QString& argument) {
    QString out;
    const bool quote = argument.isEmpty() || std::any_of(argument.begin(), argument.end(), IsReserved);
    for (const QChar c : argument) {
        if (c == QLatin1Char('%')) out += QLatin1Char('%');
        else if (quote && QStringLiteral("\"`$\\").contains(c)) out += QLatin1Char('\\');
        out += c;
    }
    return quote ? QLatin1Char('"') + out + QLatin1Char('"') : out;
}

QString DesktopStringValue(const QString& value) {
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == QLatin1Char('\\')) out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n')) out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t')) out += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r')) out += QStringLiteral("\\r");
        else if (c == QLatin1Char(' ') && i == 0) out += QStringLiteral("\\s");
        else out += c;
    }
    return out;
}

bool DesktopCanCarry(const QString& text) {
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

QString CreateShortcut(const ShortcutSpec& shortcut) {
    if (shortcut.filePath.isEmpty() || shortcut.target.isEmpty())
        return FormatMsg(LaunchMessage::ShortcutNeedsFileAndProgram);
    return WriteFile(shortcut.filePath,
                     EntryText(shortcut.name, shortcut.description, ExecLine(shortcut.target, shortcut.arguments),
                               shortcut.workingFolder, shortcut.iconPath),
                     true);
}

QString InstallProgramMenuEntry(const QString& dataHome, const QStringList& systemDataFolders,
                                const QString& programPath, const QString& iconSource) {
    const QString id = QString::fromLatin1(ApplicationId);
    const QString entryName = QStringLiteral("/applications/") + id + QStringLiteral(".desktop");
    for (const QString& folder : systemDataFolders)
        if (QFileInfo::exists(folder + entryName)) return {};  // installed: the menu has it already
    const QString applications = dataHome + QStringLiteral("/applications");
    const QString iconFolder = dataHome + QStringLiteral("/icons/hicolor/scalable/apps");
    const QString entryPath = dataHome + entryName;
    const QByteArray entry =
        EntryText(QStringLiteral("Tandor"), QStringLiteral("Keep pairs of folders in step"),
                  ExecLine(programPath, {}) + QStringLiteral(" %f"), QFileInfo(programPath).absolutePath(), id,
                  {QStringLiteral("Categories=Utility;FileTools;"),
                   QStringLiteral("MimeType=%1;").arg(QLatin1String(ProfileMimeType)),
                   QStringLiteral("StartupWMClass=%1").arg(QLatin1String(WindowClass))});
    QFile existing(entryPath);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == entry) return {};
    if (!QDir().mkpath(applications) || !QDir().mkpath(iconFolder))
        return FormatMsg(LaunchMessage::FolderNotCreated, {applications});
    // An installed program has no icon in its data folder: its icon is in the hicolor theme
    // already, under the same id the entry names.
    if (!iconSource.isEmpty() && QFileInfo::exists(iconSource)) {
        QFile icon(iconSource);
        if (!icon.open(QIODevice::ReadOnly)) return icon.errorString();
        if (QString error = WriteFile(iconFolder + QLatin1Char('/') + id + QStringLiteral(".svg"), icon.readAll(), false); !error.isEmpty())
            return error;
    }
    return WriteFile(entryPath, entry, false);
}
