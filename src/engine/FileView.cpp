#include "engine/FileView.h"

#include "config/Profile.h"
#include "engine/RunCounter.h"
#include "i18n/TextLookup.h"

namespace {

bool IsFolderRow(const CompareRow& row) { return (row.Attributes[0] & Attr::Directory) != 0; }

bool PassesFilter1(const CompareRow& row, int filter) {
    switch (filter) {
    case 1: return row.SyncAction != SyncAction::NoAction || row.DeleteMatch || IsFolderRow(row);
    case 2: return row.SyncAction == SyncAction::LeftToRight || (row.SyncAction <= 0 && IsFolderRow(row));
    case 3: return row.SyncAction == SyncAction::RightToLeft || (row.SyncAction >= 0 && IsFolderRow(row));
    case 4: return row.SyncAction == SyncAction::NoAction;
    // Changed on both sides since a two-way pair's last run.
    case 5: return row.Conflict || IsFolderRow(row);
    default: return true;
    }
}

bool PassesFilter2(const CompareRow& row, int filter) {
    // Names compared exactly: rows whose names differ in case only count as one-sided here.
    switch (filter) {
    case 1: return row.Name(0) == row.Name(1) || IsFolderRow(row);
    case 2: return row.Name(0) != row.Name(1) || IsFolderRow(row);
    default: return true;
    }
}

}  // namespace

namespace {

bool PassesFilters(const CompareRow& row, size_t i, int filter, int filter2) {
    // The first row of the result list stays in the identical view whatever it proposes.
    if (!PassesFilter1(row, filter) && !(filter == 4 && i == 1)) return false;
    return !FileView::Filter2Applies(filter) || PassesFilter2(row, filter2);
}

}  // namespace

void FileView::UpdateFilesView(int filter, ViewOptions& view, RunCounter* counter) {
    view.Filter1 = filter;
    ViewList.ViewRowsOf(Results);
    ViewList.ReserveViewRows(Results.size());
    FileCounts = {0, 0, 0};
    FolderCounts = {0, 0, 0};
    // One walk over the rows builds the view, marks and counts it: a long list is read once.
    auto show = [&](size_t j) {
        CompareRow& row = Results[j];
        ViewList.AddViewedRow(j);
        ApplySelectAllTo(row);
        CountRow(row);
        if (counter) counter->Take(ViewList.size() - 1, j, row);
    };
    // A folder row that proposes nothing waits for the next row that passes the filters: when
    // that is a folder row too (or there is none), it has no file to show below it.
    size_t waiting = 0;
    const bool dropsEmptyFolders = !view.ShowEmptyFolders;
    for (size_t j = 1; j < Results.size(); ++j) {
        CompareRow& row = Results[j];
        if (!PassesFilters(row, j, filter, view.Filter2)) continue;
        // Ticks given in an earlier view do not carry over: the view starts from the compare's.
        row.Selected = row.ProposedMark;
        const bool folder = IsFolderRow(row);
        if (waiting != 0 && !folder) show(waiting);
        waiting = 0;
        if (dropsEmptyFolders && folder && row.SyncAction == SyncAction::NoAction) waiting = j;
        else show(j);
    }
    // The index list keeps its room for every row of the result (four bytes a row): the next
    // refresh, a filter change say, writes into memory it has instead of a fresh allocation
    // whose pages the system must clear first.
    treeRows_.assign(1, TreeRow());
    treeRowsCurrent_ = false;
    treeFilter1_ = filter;
    treeFilter2_ = view.Filter2;
}

void FileView::CountRow(const CompareRow& row) {
    const int a = row.SyncAction;
    if (a < -1 || a > 1) return;
    if (IsFolderRow(row)) {
        ++FolderCounts[static_cast<size_t>(a + 1)];
    } else if (row.DeleteMatch && a == SyncAction::NoAction) {
        // Deleted on whichever side the run copies from: counts toward both directions.
        ++FileCounts[0];
        ++FileCounts[2];
    } else {
        ++FileCounts[static_cast<size_t>(a + 1)];
    }
}

const std::vector<TreeRow>& FileView::TreeRows() {
    if (treeRowsCurrent_) return treeRows_;
    treeRowsCurrent_ = true;
    treeRows_.assign(1, TreeRow());
    for (size_t i = 1; i < Results.size(); ++i) {
        const CompareRow& row = Results[i];
        if (!PassesFilters(row, i, treeFilter1_, treeFilter2_)) continue;
        TreeRow& t = treeRows_.emplace_back();
        t.LeftFolder = row.Folder(0);
        t.RightFolder = row.Folder(1);
        t.Name = row.Name(0).isEmpty() ? row.Name(1) : row.Name(0);
        t.Attributes = row.Attributes[0] | row.Attributes[1];
    }
    // Each entry leads to the view row it stands for; a dropped empty folder to the next row
    // that is shown.
    size_t t = 1;
    for (size_t i = 1; i < ViewList.size(); ++i) {
        while (t < treeRows_.size()) {
            TreeRow& entry = treeRows_[t++];
            entry.ViewIndex = static_cast<int>(i);
            if (entry.LeftFolder == ViewList[i].Folder(0)) break;
        }
    }
    return treeRows_;
}

void FileView::ApplySelectAll() {
    for (size_t i = 1; i < ViewList.size(); ++i) ApplySelectAllTo(ViewList[i]);
}

void FileView::ApplySelectAllTo(CompareRow& row) const {
    if (!SelectAll) {
        row.Selected = false;
    } else if (!row.Unreadable && !row.CaseConflict && !(row.TypeConflict && !row.TypeChange) &&
               (row.SyncAction != SyncAction::NoAction || row.DeleteMatch || IsFolderRow(row))) {
        row.Selected = true;
    }
}

QString FileView::CountText(int box) const {
    static const char* const fileKeys[3][2] = {{"700", "701"}, {"702", "703"}, {"700", "701"}};
    static const char* const folderKeys[3][2] = {{"710", "711"}, {"712", "713"}, {"710", "711"}};
    if (box < 0 || box > 2) return QString();
    const size_t b = static_cast<size_t>(box);
    const int files = FileCounts[b];
    const int folders = FolderCounts[b];
    return FormatMsg(QString::fromLatin1(fileKeys[b][files == 0 ? 0 : 1]), {QString::number(files)}) +
           FormatMsg(QString::fromLatin1(folderKeys[b][folders == 0 ? 0 : 1]), {QString::number(folders)});
}

FileView& FileView::operator=(FileView&& other) noexcept {
    Results = std::move(other.Results);
    ViewList = std::move(other.ViewList);
    ViewList.MoveViewOnto(Results);
    FileCounts = other.FileCounts;
    FolderCounts = other.FolderCounts;
    Stale = other.Stale;
    SelectAll = other.SelectAll;
    StaleTemporaryFolders = std::move(other.StaleTemporaryFolders);
    Memory = std::move(other.Memory);
    treeRows_ = std::move(other.treeRows_);
    treeRowsCurrent_ = other.treeRowsCurrent_;
    treeFilter1_ = other.treeFilter1_;
    treeFilter2_ = other.treeFilter2_;
    other.Clear();
    return *this;
}

void FileView::Clear() {
    ViewList.assign(1, CompareRow());
    Results.assign(1, CompareRow());
    treeRows_.assign(1, TreeRow());
    treeRowsCurrent_ = true;
    FileCounts = {0, 0, 0};
    FolderCounts = {0, 0, 0};
    for (std::vector<QString>& folders : StaleTemporaryFolders) folders.clear();
    Memory = TwoWayMemory();
}

namespace {
FileView& Instance() {
    static FileView view;
    return view;
}
}  // namespace

FileView& CurrentFileView() { return Instance(); }

void ResetFileView() {
    FileView& view = Instance();
    view.Clear();
    view.Stale = false;
    view.SelectAll = true;
}
