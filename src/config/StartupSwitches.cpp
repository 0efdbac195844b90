#include "config/StartupSwitches.h"

namespace {
StartupSwitches& Instance() {
    static StartupSwitches switches;
    return switches;
}
}  // namespace

StartupSwitches& Switches() { return Instance(); }
void ResetStartupSwitches() { Instance() = StartupSwitches{}; }
