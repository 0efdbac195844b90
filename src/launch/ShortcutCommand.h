#pragma once
// What a shortcut starts: the program with the profile and the switches in the order Auto,
// DontAsk, Hide, either directly or as another user through the run-as tool.

#include <QString>
#include <QStringList>

struct ShortcutCommand {
    QString target;
    QStringList arguments;
};

struct ShortcutChoice {
    QString programPath;   // absolute
    QString profilePath;   // may be empty
    bool autoRun = false;
    bool dontAsk = false;
    bool hide = false;
    QString runAsUser;     // empty: the user who starts the shortcut
    QString runAsTool;     // the run-as tool by absolute path, used when runAsUser is set
};

ShortcutCommand BuildShortcutCommand(const ShortcutChoice& choice);

// The file name of a shortcut named by the user: the name with ".desktop"; empty when the name
// cannot be a file name (empty, "." or "..", or holding "/" or a line break).
QString ShortcutFileName(const QString& name);
