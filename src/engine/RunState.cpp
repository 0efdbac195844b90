#include "engine/RunState.h"

namespace {
RunState& Instance() {
    static RunState state;
    return state;
}
}  // namespace

RunState& Run() { return Instance(); }

void ResetRunState() {
    RunState& s = Instance();
    s.CancelRequested = false;
    s.IgnoredErrors.clear();
    s.DefaultMark = true;
    s.ErrorReported = false;
    s.Refused = false;
    s.ConflictsKept = 0;
    ClearRunTally();
}

void ClearRunTally() {
    Instance().Tally = RunTally();
    Instance().Errors.clear();
    Instance().StoppedAfterError = false;
}
