#pragma once
// The shared state of a synchronisation run.

#include <QString>

#include <atomic>
#include <cstdint>
#include <set>
#include <vector>

// What the guards of a synchronisation run know of one folder pair (see SyncGuards.h).
struct PairGuard {
    QString Root[2];             // the pair's root folders as the compare listed them
    bool RootMissing[2] = {false, false};  // the compare found the root missing (AutoCreate)
    int FilesHeld[2] = {0, 0};   // files the side holds in the compare's result
    int PlannedDeletions[2] = {0, 0};  // files the run's delete passes would delete there
    bool KeepSide[2] = {false, false};  // nothing may be deleted on that side in this run
};

struct RunState {
    std::atomic<bool> CancelRequested{false};
    int64_t TotalBytes = 0;
    std::set<int> IgnoredErrors;
    bool ResetSource = false;       // clear the archive bit of the source after a copy
    bool ResetDestination = false;  // give the destination the source's attributes without archive
    bool DefaultMark = true;        // mark of new rows in a merge
    // Set when any operation of the run reported an error (for the exit status).
    bool ErrorReported = false;
    // Set when a run without questions refused work that it could not ask about (a mass
    // deletion, folder pairs that share folders, an out-of-date list): the unattended run then
    // ends with status 2.
    bool Refused = false;

    // The guards of the synchronisation run in progress; empty outside one, so that the popup's
    // plain copy and delete are not affected. RowPair holds, per view row, the index of its
    // pair in Pairs; PlannedDelete, per view row, bit s when a delete pass would delete the row
    // on side s.
    std::vector<PairGuard> Pairs;
    std::vector<int> RowPair;
    std::vector<uint8_t> PlannedDelete;
};

RunState& Run();
void ResetRunState();
