#pragma once
// What keeps a synchronisation run from deleting what the user still needs:
// - nothing is deleted opposite a root folder that was missing at the compare (an unplugged
//   disk, a renamed folder): the run creates that root and copies into it instead;
// - a run that would delete more than MaxDeletePercent of the files a side holds asks first,
//   and without questions deletes nothing there and ends with status 2;
// - folder pairs that share or nest folders do not run with a delete option unless the user
//   agrees, since one pair would delete what another copies.
// The guards belong to the run (SyncJob) and read its plan.

#include "engine/CompareTypes.h"
#include "engine/FolderPairRows.h"

#include <QString>

#include <cstddef>
#include <vector>

struct Profile;
struct RunPlan;
class RunHost;

class RunGuards {
public:
    // Counts the files the plan's delete passes would delete, per pair and side.
    explicit RunGuards(const RunPlan& plan);

    // Files the delete passes would delete, over all pairs and sides.
    int PlannedDeletionCount() const;
    // Before the first change: holds the deletions opposite a missing root (reported as a
    // skipped part of the run), and for each pair and side that would lose more than
    // MaxDeletePercent of its files asks (interactive) or holds them and refuses (without
    // questions).
    void DecideDeletions(RunHost& host);
    // Nothing may be deleted on side s of the row's pair in this run.
    bool DeletionHeld(size_t row, int side) const;
    // ... because the user answered No when asked (a held deletion is then declined, not skipped).
    bool DeletionDeclined(size_t row, int side) const;

private:
    struct PairDecision {
        int PlannedDeletions[2] = {0, 0};   // files the run's delete passes would delete there
        bool KeepSide[2] = {false, false};  // nothing may be deleted on that side in this run
        bool Declined[2] = {false, false};  // ... because the user answered No when asked
    };
    const FolderPairRows& pairs_;
    std::vector<PairDecision> decisions_;
};

// Whether the run may go on although two folder pairs of the profile share or nest folders
// while a delete option is on: asks once, or refuses without questions. True when no two pairs
// overlap.
bool SharedRootsAllowed(const Profile& profile);

// A run without questions could not do its work and could not ask: logs the text, records it
// as the last error for the next interactive start, and makes the run end with status 2.
// logText: the same message with its paths escaped for the log (LogPath), when it names paths.
void RefuseUnattended(const QString& text, const QString& logText = QString());
