#pragma once
// Start-up: settings, switches, the command-line profile, the unattended run and the exit.

int RunProgram(int argc, char* argv[]);
