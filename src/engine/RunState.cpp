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
    s.TotalBytes = 0;
    s.IgnoredErrors.clear();
    s.ResetSource = false;
    s.ResetDestination = false;
    s.DefaultMark = true;
    s.ErrorReported = false;
    s.Refused = false;
    s.Pairs.clear();
    s.RowPair.clear();
    s.PlannedDelete.clear();
    ClearRunTally();
}

void ClearRunTally() {
    Instance().Tally = RunTally();
    Instance().Errors.clear();
    Instance().StoppedAfterError = false;
}
