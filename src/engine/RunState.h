#pragma once
// What outlives a single command: the last command's counts and errors (the windows show them),
// the outcome of the program's run (its exit status), the cancel flag of the window's Cancel
// button, and the errors the user chose not to be asked about again. What one run needs while it
// lasts belongs to the run itself (SyncJob.h).

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <set>

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
    int Conflicts = 0;       // files changed on both sides whose two versions were kept: no error
};

struct RunState {
    std::atomic<bool> CancelRequested{false};
    std::set<int> IgnoredErrors;
    bool DefaultMark = true;        // mark of new rows in a merge
    // Set when any operation of the run reported an error (for the exit status).
    bool ErrorReported = false;
    // Set when a run without questions refused work that it could not ask about (a mass
    // deletion, folder pairs that share folders, an out-of-date list): the unattended run then
    // ends with status 2.
    bool Refused = false;
    // Conflicts of two-way runs whose versions were kept (and the files deleted on one side and
    // changed on the other): no error, yet the unattended run ends with status 1, so that its
    // caller learns that someone should look at them.
    int ConflictsKept = 0;
    // Set when a run without questions stopped at an error (CancelAfterErrorUnattended).
    bool StoppedAfterError = false;

    // The counts and the reported errors of the last command (synchronisation, popup copy or
    // deletion), kept after it ends so that the window can show them.
    RunTally Tally;
    QStringList Errors;
};

// Starts the counts and the error list of a new command.
void ClearRunTally();

RunState& Run();
void ResetRunState();
