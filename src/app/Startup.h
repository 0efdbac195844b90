#pragma once
// Start-up: settings, switches, the command-line profile, the unattended run and the exit.

#include <optional>

class StartupWindow;
struct CommandLine;

// Exit status of a run that ends by itself.
enum ExitStatus { ExitDone = 0, ExitWithErrors = 1, ExitNothingRan = 2 };

// The start-up order of the main window's load handler, steps 1 to 22. Returns no status when
// the program goes on; the exit status when it ends during start-up ("-regclasses"). canAsk is
// false where no window can be shown to anyone; every question is then answered as with
// "-dontask".
std::optional<ExitStatus> RunStartupSequence(StartupWindow& window, const CommandLine& commandLine, bool canAsk);

// Whether this start was asked for "-auto" but does not synchronise, because the last
// unattended run ended with an error and DontAutoRunAfterError is on (already reported).
bool AutoRunWithheldAfterError();

// What the first activation of the main window does: press "All" on the filter toolbars (the
// window does that itself) and open the command-line profile, once per program run.
void FirstActivation(StartupWindow& window, const CommandLine& commandLine);

