#pragma once
// The merge of the two sorted scan lists of one folder pair into compare rows, and the rules
// that propose a direction for every row.

#include "engine/CompareTypes.h"
#include "engine/TypeConflicts.h"

#include <QString>

#include <cstdint>
#include <vector>

struct ProfileOptions;

struct MergeOptions {
    uint32_t archiveMask = 0;  // Attr::Archive when the archive bit takes part, else 0
    double tolerance = 0;      // days; a difference equal to it counts as equal
    bool compareSize = true;
    bool defaultMark = true;   // mark of rows that propose something
    uint8_t foldsCase = 0;     // CompareRow::FoldsCase of every row of the pair
    // The run this compare prepares is a one-way mirror (ReplacesTypeChanges of the sync
    // options): a folder opposite a file or link is a type change that the run replaces.
    bool replacesTypeChanges = false;
};
// The options of a profile: the time lag, or the largest date value while dates are ignored.
MergeOptions MergeOptionsOf(const ProfileOptions& options, bool defaultMark);

// A row the compare reports: a folder below a root that could not be listed (its error
// number), a name whose letter case makes its pairing ambiguous (FileSystem::ErrCaseConflict),
// or a path that is a folder on one side and something else on the other
// (FileSystem::ErrTypeConflict). side is the side whose entry the report names.
struct RowProblem {
    size_t row = 0;
    int side = 0;
    int error = 0;
};

// Appends the rows of one pair to rows (which holds at least its unused row 0). leftRoot and
// rightRoot are the two roots with their trailing '/'. Entries whose keys are equal are paired.
// With keys that fold case, names that differ only in case are paired when each side holds
// exactly one of them, an exact-case match first otherwise, and what cannot be paired
// unambiguously becomes one-sided rows flagged CaseConflict. Every row at or below a folder that
// could not be listed on either side is flagged Unreadable; every row whose key is in
// typeConflicts (see FindTypeConflicts), and every row below such a folder, TypeConflict.
// Flagged rows propose nothing and are unselected, except the rows of a type change that the
// options replace (TypeChange as well): they propose what one-sided rows propose. Empties the
// run's IgnoredErrors. Returns the rows to report: each folder that could not be listed, each
// ambiguous name, each type conflict once unless the options replace it.
std::vector<RowProblem> MergeScanLists(const ScanList& left, const ScanList& right, const QString& leftRoot,
                                       const QString& rightRoot, const MergeOptions& options, ResultList& rows,
                                       const TypeConflictKeys* typeConflicts = nullptr);

// The same for a compare run that drops the lists afterwards: each entry's sort key is freed as
// soon as it is merged, and both lists are empty on return.
std::vector<RowProblem> MergeAndReleaseScanLists(ScanList& left, ScanList& right, const QString& leftRoot,
                                                 const QString& rightRoot, const MergeOptions& options,
                                                 ResultList& rows, const TypeConflictKeys* typeConflicts = nullptr);

// The direction of a row present on both sides (first matching rule wins).
void ClassifyRow(CompareRow& row, const MergeOptions& options);
