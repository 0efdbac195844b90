#pragma once
// Loading the current profile and the profile named on the command line.

#include <QString>

class StartupWindow;

// Reads the file at ProfilePath into the current profile, shows it and starts a compare run.
// A file without sections: message 805 as a warning, ProfilePath cleared. Returns whether the
// profile was loaded.
bool LoadProfile(StartupWindow& window);

// The name shown in the title: the file name of the path without its last extension.
QString ProfileNameOf(const QString& profilePath);

// Runs once per program run: loads the profile of the command line, compares, and with
// "-auto" synchronises; a hidden automatic run then closes the window.
void OpenCommandLineProfile(StartupWindow& window, const QString& commandLine);
