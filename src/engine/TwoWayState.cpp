#include "engine/TwoWayState.h"

#include "engine/Merge.h"
#include "engine/RowRules.h"
#include "platform/FileListing.h"

#include <QScopeGuard>

#include <algorithm>
#include <cmath>

namespace {

using SyncState::StoredEntry;

// Days from 30 Dec 1899 (the day count of the compare's times) to 1 Jan 1970.
constexpr int64_t kEpochDays = 25569;

// The compare keeps local times with the offset in force at the scan; the store keeps file
// times, so that a change of daylight saving time between two runs changes nothing.
int64_t UtcSecondsOf(double localDays, int64_t utcOffsetSeconds) {
    return static_cast<int64_t>(std::llround((localDays - kEpochDays) * 86400.0)) - utcOffsetSeconds;
}

bool IsFileOn(const CompareRow& row, int s) { return row.Exists(s) && !IsFolderOn(row, s); }

// Whether side s of a file row differs from what it held after the last run, by the compare's
// own rules: the time beyond the tolerance, the size where sizes count.
bool ChangedSince(const CompareRow& row, int s, const StoredEntry& stored, const MergeOptions& o, int64_t utcOffset) {
    if (stored.kind != StoredEntry::Kind::File) return true;
    if (o.compareSize && row.Size[s] != stored.size[s]) return true;
    const double toleranceSeconds = std::round(o.tolerance * 86400.0);
    return std::fabs(static_cast<double>(UtcSecondsOf(row.Time[s], utcOffset) - stored.mtime[s])) > toleranceSeconds;
}

// Where the rows needing their remembered entries are more than one in this many, every entry
// of the pair is read at once: one lookup costs about what reading some entries in a row does.
constexpr size_t kWholeReadShare = 8;
constexpr size_t kFewestWholeRead = 64;

// A row that the merge found the same on both sides: judging it needs no memory.
bool InStepAsMerged(const CompareRow& row) {
    return row.Exists(0) && row.Exists(1) && row.SyncAction == SyncAction::NoAction && !row.Unreadable &&
           !row.CaseConflict && !row.TypeConflict;
}

}  // namespace

void SplitInto(QStringView path, MemoryPlace& place) {
    const qsizetype cut = path.lastIndexOf(QLatin1Char('/')) + 1;
    place.folder = path.left(cut);
    place.name = path.mid(cut);
    place.valid = true;
}

void PlaceOf(const CompareRow& row, const PairMemory& pair, MemoryPlace& place) {
    const int s = row.Exists(0) ? 0 : 1;
    place.valid = row.Exists(s);
    if (!place.valid) return;
    // A file row's folder holds it (ending with '/'); a folder row's folder is its own path.
    const QStringView below = QStringView(row.Folder(s)).mid(pair.Root[s].size());
    if (row.FoldsCase != 0) {
        place.folded = (row.IsFolder() ? below.toString() : below.toString() + row.Name(s)).toCaseFolded();
        SplitInto(place.folded, place);
    } else if (row.IsFolder()) {
        SplitInto(below, place);
    } else {
        place.folder = below;
        place.name = row.Name(s);
    }
}

StoredEntry StoredFormOf(const CompareRow& row, const int from[2], int64_t utcOffsetSeconds) {
    StoredEntry e;
    if (row.IsFolder()) {
        e.kind = StoredEntry::Kind::Folder;
        return e;
    }
    for (int s = 0; s < 2; ++s) {
        e.size[s] = row.Size[from[s]];
        e.mtime[s] = UtcSecondsOf(row.Time[from[s]], utcOffsetSeconds);
    }
    return e;
}

bool ReadMemory(SyncState::Store& store, const ResultList& rows, PairMemory& pair) {
    const size_t count = pair.EndRow - pair.FirstRow;
    pair.Match.assign(count, PairMemory::kAbsent);
    if (!pair.Known()) return true;
    size_t needed = 0;
    for (size_t i = pair.FirstRow + 1; i < pair.EndRow; ++i) needed += InStepAsMerged(rows[i]) ? 0 : 1;
    pair.ReadWhole = needed > std::max(kFewestWholeRead, count / kWholeReadShare);
    if (pair.ReadWhole && !store.LoadAll(pair.Id, pair.Entries)) return false;
    store.BeginReading();
    const auto endReading = qScopeGuard([&store] { store.EndReading(); });
    MemoryPlace place;
    for (size_t i = pair.FirstRow + 1; i < pair.EndRow; ++i) {
        const CompareRow& row = rows[i];
        int32_t& match = pair.Match[i - pair.FirstRow];
        PlaceOf(row, pair, place);
        if (!place.valid) continue;
        if (pair.ReadWhole) {
            match = static_cast<int32_t>(pair.Entries.IndexOf(place.folder, place.name));
            continue;
        }
        if (InStepAsMerged(row)) {
            match = PairMemory::kUnread;
            continue;
        }
        SyncState::StoredEntry stored;
        bool found = false;
        if (!store.Find(pair.Id, place.folder, place.name, stored, found)) return false;
        if (!found) continue;
        pair.Entries.Add(place.folder, place.name, stored);
        match = static_cast<int32_t>(pair.Entries.size() - 1);
    }
    return true;
}

int JudgeAgainstMemory(ResultList& rows, const PairMemory& pair, const MergeOptions& o, bool propagateDeletions) {
    if (!pair.Known() || pair.FirstRow >= pair.EndRow || pair.Match.size() != pair.EndRow - pair.FirstRow) return 0;
    const int64_t utcOffset = FileSystem::CurrentUtcOffsetSeconds();
    // Opposite a root that is missing every entry looks deleted: nothing travels from there.
    const CompareRow& root = rows[pair.FirstRow];
    const bool rootsPresent = root.Attributes[0] != Attr::Invalid && root.Attributes[1] != Attr::Invalid;
    const bool travels = propagateDeletions && rootsPresent;
    int conflicts = 0;
    std::vector<size_t> deletedFolders;  // one-sided folders that the other side deleted
    for (size_t i = pair.FirstRow + 1; i < pair.EndRow; ++i) {
        CompareRow& row = rows[i];
        if (row.Unreadable || row.CaseConflict || row.TypeConflict) continue;
        const int32_t found = pair.Match[i - pair.FirstRow];
        if (found == PairMemory::kUnread) continue;  // in step: nothing to judge
        const StoredEntry* stored = found >= 0 ? &pair.Entries.At(found) : nullptr;
        if (row.IsFolder()) {
            if (stored && stored->kind == StoredEntry::Kind::Folder && row.Exists(0) != row.Exists(1))
                deletedFolders.push_back(i);
            continue;
        }
        if (row.Exists(0) && row.Exists(1)) {
            if (row.SyncAction == SyncAction::NoAction) continue;  // the same on both sides now
            if (!stored) {
                // New on both sides since the last run, and different.
                row.Conflict = true;
            } else {
                const bool changed[2] = {ChangedSince(row, 0, *stored, o, utcOffset), ChangedSince(row, 1, *stored, o, utcOffset)};
                if (changed[0] && changed[1]) row.Conflict = true;
                // One side's edit is what the run copies, also where the other side is newer.
                else if (changed[0] != changed[1]) row.SyncAction = SyncAction::AwayFrom(changed[0] ? 0 : 1);
            }
            if (row.Conflict) ++conflicts;
            continue;
        }
        // On one side only: deleted on the other since the last run, or new here.
        const int s = row.Exists(0) ? 0 : 1;
        if (!stored || !IsFileOn(row, s)) continue;
        if (ChangedSince(row, s, *stored, o, utcOffset)) {
            // Changed here, deleted there: copied back, and said so.
            row.Conflict = true;
            ++conflicts;
        } else if (travels) {
            row.DeletionTravels = true;
        }
    }
    // A folder goes with the deletion only when everything below it goes (the deepest first).
    for (auto it = deletedFolders.rbegin(); travels && it != deletedFolders.rend(); ++it) {
        CompareRow& folder = rows[*it];
        const int s = folder.Exists(0) ? 0 : 1;
        bool all = true;
        for (size_t j = *it + 1; j < pair.EndRow && rows[j].LiesBelow(s, folder.Folder(s)) && all; ++j)
            all = rows[j].DeletionTravels;
        folder.DeletionTravels = all;
    }
    return conflicts;
}

