#pragma once
// The command-line switches, recognised once at start-up and read for the whole run.

struct StartupSwitches {
    bool UpdateRequested = false;
    bool RegisterClasses = false;
    bool WizardRequested = false;
    bool AutoRun = false;
    bool DontAsk = false;
    bool Hidden = false;
};

StartupSwitches& Switches();
void ResetStartupSwitches();
