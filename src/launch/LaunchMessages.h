#pragma once
// The language files' numbers of the messages of scheduled tasks and shortcuts.

namespace LaunchMessage {
constexpr int NoSuchTask = 1290;              // There is no task named "%1".
constexpr int LineBreakInCronLine = 1291;     // A crontab line cannot hold the line break in "%1".
constexpr int TaskExists = 1292;              // A task named "%1" exists already.
constexpr int CouldNotStart = 1293;           // "%1" could not be started.
constexpr int CrontabNotInstalled = 1294;     // The command "crontab" is not installed, ...
constexpr int FolderMissing = 1295;           // The folder "%1" does not exist.
constexpr int ShortcutNeedsFileAndProgram = 1296;  // A shortcut needs a file and a program.
constexpr int FolderNotCreated = 1297;        // The folder "%1" cannot be created.
}  // namespace LaunchMessage
