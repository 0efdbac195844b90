#pragma once
// The start where there is no display at all (cron, ssh, CI): no window is ever created.

#include <QString>

class StartupWindow;
struct CommandLine;

// unreachableDisplay: the display that is named but cannot be opened, for the messages; empty
// when none is named.
int RunHeadless(int argc, char* argv[], const CommandLine& commandLine, const QString& unreachableDisplay);

// Exit status of a hidden run once it has ended: 0 done without error, 1 done with errors,
// 2 nothing could run (no loadable profile, a profile without folder pairs, a root folder not
// readable, "-auto" withheld after an earlier error) or the run refused work it could not ask
// about. Says why on stderr (and, where the log has no line about it yet, in the log).
int HiddenRunStatus(const StartupWindow& window, const CommandLine& commandLine);
