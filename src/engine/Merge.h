#pragma once
// The merge of the two walks of one folder pair into compare rows, and the rules that propose a
// direction for every row.

#include "engine/CompareTypes.h"
#include "engine/Scanner.h"
#include "engine/TypeConflicts.h"

#include <QString>

#include <cstdint>
#include <functional>
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

// Where the merge takes the next node of a side's walk (SideWalk::Next); false when none is left.
using NextNode = std::function<bool(ListedNode& node)>;

// The start of one side for the merge: its root ending with '/', the root's entry, the root's
// node (empty for a side whose root is missing and to be created), and its later nodes.
struct MergeSide {
    QString root;
    ScanEntry rootEntry;
    ListedNode rootNode;
    NextNode next;
};

// Appends the rows of one pair to rows (which holds at least its unused row 0), taking the
// nodes of both walks as it goes: the root's row, then each folder's files, then its
// subfolders, each followed by what lies below it. Entries whose keys are equal are paired.
// With keys that fold case, names that differ only in case are paired when each side holds
// exactly one of them, an exact-case match first otherwise, and what cannot be paired
// unambiguously becomes one-sided rows flagged CaseConflict. Every row at or below a folder that
// could not be listed on either side is flagged Unreadable; every row of a name that is a folder
// on one side and something else on the other (see FindTypeConflicts), and every row below such
// a folder, TypeConflict. Flagged rows propose nothing and are unselected, except the rows of a
// type change that the options replace (TypeChange as well): they propose what one-sided rows
// propose. Each row's ProposedMark is its mark. Returns the rows to report: each folder that
// could not be listed, each ambiguous name, each type conflict once unless the options replace
// it.
std::vector<RowProblem> MergePair(MergeSide sides[2], const MergeOptions& options, ResultList& rows);

// The direction of a row present on both sides (first matching rule wins).
void ClassifyRow(CompareRow& row, const MergeOptions& options);
