#pragma once
// Opening the profile named on the command line.

class StartupWindow;
struct CommandLine;

// Runs once per program run: loads the profile of the command line, compares, and with
// "-auto" synchronises; a hidden automatic run then closes the window.
void OpenCommandLineProfile(StartupWindow& window, const CommandLine& commandLine);
