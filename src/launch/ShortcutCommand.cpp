#include "launch/ShortcutCommand.h"

#include <QFileInfo>

ShortcutCommand BuildShortcutCommand(const ShortcutChoice& choice) {
    QStringList programArguments;
    // A launcher may start in any folder: a relative path would name another file there.
    if (!choice.profilePath.isEmpty()) programArguments << QFileInfo(choice.profilePath).absoluteFilePath();
    if (choice.autoRun) programArguments << QStringLiteral("-Auto");
    if (choice.dontAsk) programArguments << QStringLiteral("-DontAsk");
    if (choice.hide) programArguments << QStringLiteral("-Hide");
    if (choice.runAsUser.isEmpty()) return {choice.programPath, programArguments};
    return {choice.runAsTool,
            QStringList{QStringLiteral("--user"), choice.runAsUser, choice.programPath} + programArguments};
}

QString ShortcutFileName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/')) ||
        name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return {};
    return name + QStringLiteral(".desktop");
}
