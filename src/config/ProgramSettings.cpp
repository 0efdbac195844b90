#include "config/ProgramSettings.h"

namespace {
ProgramSettings& Instance() {
    static ProgramSettings settings;
    return settings;
}
}  // namespace

ProgramSettings& Settings() { return Instance(); }
void ResetProgramSettings() { Instance() = ProgramSettings{}; }
