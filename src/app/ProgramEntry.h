#pragma once

// The whole program: picks a start with windows or, without a display, one without any, and
// returns the exit status.
int RunProgram(int argc, char* argv[]);
