#pragma once
// The shared state of a synchronisation run.

#include <QString>
#include <QStringList>

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
    bool Declined[2] = {false, false};  // ... because the user answered No when asked
};

// What a run actually did, counted by the single operations as they finish (not taken from
// the plan): the status line after a run states these numbers.
struct RunTally {
    int Copied = 0;   // files copied
    int Created = 0;  // folders created
    int Deleted = 0;  // files and folders deleted
    int Failed = 0;   // operations that failed
    int Skipped = 0;  // entries left alone on purpose (changed since the compare, a link, a
                      // conflict, a locked file with IgnoreLockedFiles, a held deletion)
    int Declined = 0;  // entries kept because the user answered No to their deletion: no error
    int CopiesPlanned = 0;  // file copies the counting passes found to do
    int CopiesEnded = 0;    // file copies that happened, failed or were left alone: what was
                            // planned beyond these was left undone
    bool Cancelled = false;  // the command stopped at a Cancel
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
    // Set when a run without questions stopped at an error (CancelAfterErrorUnattended).
    bool StoppedAfterError = false;

    // The guards of the synchronisation run in progress; empty outside one, so that the popup's
    // plain copy and delete are not affected. RowPair holds, per view row, the index of its
    // pair in Pairs; PlannedDelete, per view row, bit s when a delete pass would delete the row
    // on side s.
    std::vector<PairGuard> Pairs;
    std::vector<int> RowPair;
    std::vector<uint8_t> PlannedDelete;

    // The counts and the reported errors of the last command (synchronisation, popup copy or
    // deletion), kept after it ends so that the window can show them.
    RunTally Tally;
    QStringList Errors;
};

// Starts the counts and the error list of a new command.
void ClearRunTally();

RunState& Run();
void ResetRunState();
