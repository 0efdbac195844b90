#pragma once
// Shortcuts as freedesktop.org desktop entries (".desktop" files): the Exec line quoted as that
// format asks, so that a launcher starts exactly the program and arguments it was given.

#include <QString>
#include <QStringList>

// One argument of an Exec line: double-quoted when it holds a reserved character (with \ " `
// and $ escaped by a backslash), "%" doubled. Before the text of the Exec key is written, the
// general escapes of a desktop-entry string still apply (see DesktopStringValue).
QString DesktopExecArgument(const QString& argument);
// A value of a string key: backslash, line break, tab and carriage return escaped, a leading
// blank written as "\s".
QString DesktopStringValue(const QString& value);

// Whether a desktop entry can carry the text as an argument (no line break: a launcher would
// pass it on, but no shell or terminal user could reproduce the command).
bool DesktopCanCarry(const QString& text);

struct ShortcutSpec {
    QString filePath;       // the shortcut file, ending in ".desktop"
    QString name;           // shown as the shortcut's name
    QString target;         // the program, by absolute path
    QString workingFolder;  // may be empty
    QStringList arguments;  // may be empty
    QString iconPath;       // may be empty
    QString description;
};

// Writes the desktop entry (replacing a file of that name) and marks it executable, as desktops
// ask of launchers they are to trust. Returns an empty text on success, else the reason.
// Refuses an empty file path or target.
QString CreateShortcut(const ShortcutSpec& shortcut);

// The application id that names the program's menu entry and icon, installed or not.
inline constexpr char ApplicationId[] = "org.tandor.Tandor";
// The class of the program's windows (the application name), which a menu entry names as its
// StartupWMClass so that the desktop matches a running window to its entry.
inline constexpr char WindowClass[] = "tandor";
// The file type of profiles, which the menu entry says the program opens.
inline constexpr char ProfileMimeType[] = "application/x-tandor-profile";

// The menu entry and icon of the program itself for the user, so that the desktop's menu
// finds the program: <dataHome>/applications/<ApplicationId>.desktop and the icon under
// <dataHome>/icons/hicolor/scalable/apps/. Written only where missing or when the program has
// moved, and never when one of the system's data folders holds an installed entry of that id
// (the menu would show the program twice). Returns an empty text on success, else the reason.
QString InstallProgramMenuEntry(const QString& dataHome, const QStringList& systemDataFolders,
                                const QString& programPath, const QString& iconSource);
