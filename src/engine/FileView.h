#pragma once
// The list the program works on: the compare result, the filtered view list the window shows
// and the synchronisation walks, the tree list of the tree view, and the counts. Plain code, so
// that the main window and the unattended run build the same list from the same toolbar states.

#include "engine/CompareTypes.h"
#include "engine/TwoWayState.h"

#include <QString>

#include <array>
#include <cstdint>
#include <vector>

class RunCounter;
struct ViewOptions;

// One entry of the tree view's source list.
struct TreeRow {
    QString LeftFolder;
    QString RightFolder;
    QString Name;         // the left name, else the right one; empty for a pair's root
    uint32_t Attributes = 0;
    int ViewIndex = 0;    // the view-list row this entry leads to
};

class FileView {
public:
    FileView() = default;
    // The view list points into Results: a copy would point into the original's, a move takes
    // the view along onto the moved rows.
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    FileView(FileView&& other) noexcept { *this = std::move(other); }
    FileView& operator=(FileView&& other) noexcept;

    // Rows 1..n; row 0 holds no row (the compare run quotes unreadable roots in the view's).
    ResultList Results = ResultList(1);
    // A view of Results (see ResultList): rebuilt by UpdateFilesView, emptied with Results.
    ResultList ViewList = ResultList(1);
    // Indexed by SyncAction + 1: what goes left to right, what stays, what goes right to left.
    std::array<int, 3> FileCounts{0, 0, 0};
    std::array<int, 3> FolderCounts{0, 0, 0};
    // The shown result no longer matches the profile (grey list); a synchronisation refuses it.
    bool Stale = false;
    // The check mark of the title cell: on at start-up and whenever a profile is opened.
    bool SelectAll = true;
    // Per side, the folders (ending with '/') in which the compare met stale temporary files of
    // killed copies: a synchronisation that may write on that side removes them.
    std::array<std::vector<QString>, 2> StaleTemporaryFolders;
    // What the compare knew of its two-way pairs' last runs; the run writes its own after it.
    TwoWayMemory Memory;

    // Rebuilds the view list and the counts from Results with the view options (Filter1 :=
    // filter, then Filter2 unless filter is 4, then the empty folders), and applies SelectAll.
    // A counter handed in is given each row of the new view, marked, in order.
    void UpdateFilesView(int filter, ViewOptions& view, RunCounter* counter = nullptr);
    // The tree view's source list, numbered from 1 like the view list: every row of the view
    // before empty folders were dropped, each leading to the view row it stands for. Built on
    // first use after each UpdateFilesView (from Results with the same filters), since only the
    // tree window needs it and a run without that window should not hold it.
    const std::vector<TreeRow>& TreeRows();
    // SelectAll on: marks every row that proposes something, matches the delete masks or is a
    // folder (other rows keep their mark); off: clears every mark. Rows flagged Unreadable,
    // CaseConflict or TypeConflict are never marked by it, except a type change that the
    // compare prepared to replace (TypeChange).
    void ApplySelectAll();

    // Whether toolbar 2 (Filter2) takes part: not while only identical rows are shown.
    static bool Filter2Applies(int filter1) { return filter1 != 4; }
    // The texts of the three count boxes (messages 700-703 and 710-713).
    QString CountText(int box) const;
    int LastIndex() const { return static_cast<int>(ViewList.size()) - 1; }

    // Forgets every result (the state before the first compare).
    void Clear();

private:
    void ApplySelectAllTo(CompareRow& row) const;
    void CountRow(const CompareRow& row);

    std::vector<TreeRow> treeRows_ = std::vector<TreeRow>(1);
    bool treeRowsCurrent_ = true;
    int treeFilter1_ = 0;
    int treeFilter2_ = 0;
};

// The view of the program's one main list.
FileView& CurrentFileView();
void ResetFileView();
