#pragma once
// The start with a display: the application with windows, the windowed run host and frmMain.

struct CommandLine;

int RunWindowed(int argc, char* argv[], const CommandLine& commandLine);
