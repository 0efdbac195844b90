#pragma once
// The shared state of a synchronisation run.

#include <atomic>
#include <cstdint>
#include <set>

struct RunState {
    std::atomic<bool> CancelRequested{false};
    int64_t TotalBytes = 0;
    std::set<int> IgnoredErrors;
    bool ResetSource = false;       // clear the archive bit of the source after a copy
    bool ResetDestination = false;  // give the destination the source's attributes without archive
    bool DefaultMark = true;        // mark of new rows in a merge
    // Set when any operation of the run reported an error (for the exit status).
    bool ErrorReported = false;
};

RunState& Run();
void ResetRunState();
