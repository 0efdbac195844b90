#pragma once
// What keeps a synchronisation run from deleting what the user still needs:
// - nothing is deleted opposite a root folder that was missing at the compare (an unplugged
//   disk, a renamed folder): the run creates that root and copies into it instead;
// - a run that would delete more than MaxDeletePercent of the files a side holds asks first,
//   and without questions deletes nothing there and ends with status 2;
// - folder pairs that share or nest folders do not run with a delete option unless the user
//   agrees, since one pair would delete what another copies.
// The guard state lives in Run() for the duration of one run; the walks consult it per row.

#include "engine/CompareTypes.h"

#include <QString>

#include <cstddef>

struct Profile;

// Sets up the per-pair and per-row guard state for a run over the view list, and clears it
// again when it ends. results is the compare's full list: the view may leave rows out (filters,
// empty folders), the root rows of the pairs included.
class RunGuardScope {
public:
    RunGuardScope(const ResultList& results, const ResultList& view);
    ~RunGuardScope();
    RunGuardScope(const RunGuardScope&) = delete;
    RunGuardScope& operator=(const RunGuardScope&) = delete;
};

// The counting delete pass: notes that the file of view row `row` would be deleted on side s.
void PlanDeletion(size_t row, int side);
// Files the delete passes would delete, over all pairs and sides.
int PlannedDeletionCount();
// Nothing may be deleted on side s of the row's pair in this run.
bool DeletionHeld(size_t row, int side);
// Counts a deletion that DeletionHeld kept back: as declined when the user chose it, else as skipped.
void CountHeldDeletion(size_t row, int side);
// The root folder on side s of the row's pair was missing at the compare; this run creates it.
bool CreatesRootOf(size_t row, int side);

// After the counting passes, before the first change: holds the deletions opposite a missing
// root (reported as a skipped part of the run), and for each pair and side that would lose
// more than MaxDeletePercent of its files asks (interactive) or holds them and refuses
// (without questions).
void DecideDeletions();

// Whether the run may go on although two folder pairs of the profile share or nest folders
// while a delete option is on: asks once, or refuses without questions. True when no two pairs
// overlap.
bool SharedRootsAllowed(const Profile& profile);

// A run without questions could not do its work and could not ask: logs the text, records it
// as the last error for the next interactive start, and makes the run end with status 2.
// logText: the same message with its paths escaped for the log (LogPath), when it names paths.
void RefuseUnattended(const QString& text, const QString& logText = QString());
