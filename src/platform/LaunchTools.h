#pragma once
// The helper programs that scheduled tasks and shortcuts rely on, found in PATH.

#include <QString>
#include <QStringList>

// The run-as tool (`pkexec`); empty where it is not installed.
QString RunAsTool();
// A graphical editor of scheduled tasks, as the program and its arguments; empty where none
// is installed.
QStringList SchedulerTool();
// Starts a program detached in the given folder; false when it cannot be started.
bool StartDetached(const QString& program, const QStringList& arguments, const QString& workingFolder);
// $XDG_DATA_HOME, else ~/.local/share.
QString UserDataHome();
// $XDG_DATA_DIRS (absolute entries only), else /usr/local/share and /usr/share: where installed
// programs keep their menu entries.
QStringList SystemDataFolders();
// The user's name: $USER, else $LOGNAME, else the last component of $HOME.
QString UserName();
