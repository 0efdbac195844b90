#pragma once
// The start with a display: the application with windows, the windowed run host and frmMain.

#include <QString>

int RunWindowed(int argc, char* argv[], const QString& commandLine);
