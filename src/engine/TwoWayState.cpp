#include "engine/TwoWayState.h"

#include "engine/FileView.h"
#include "engine/Merge.h"
#include "engine/RowRules.h"
#include "platform/FileListing.h"

#include <QSet>

#include <cmath>
#include <optional>

namespace {

using SyncState::StoredEntry;

// Days from 30 Dec 1899 (the day count of the compare's times) to 1 Jan 1970.
constexpr int64_t kEpochDays = 25569;

// The compare keeps local times with the offset in force at the scan; the store keeps file
// times, so that a change of daylight saving time between two runs changes nothing.
int64_t UtcSecondsOf(double localDays) {
    return static_cast<int64_t>(std::llround((localDays - kEpochDays) * 86400.0)) - FileSystem::CurrentUtcOffsetSeconds();
}

bool IsFileOn(const CompareRow& row, int s) { return row.Exists(s) && !IsFolderOn(row, s); }

// Whether side s of a file row differs from what it held after the last run, by the compare's
// own rules: the time beyond the tolerance, the size where sizes count.
bool ChangedSince(const CompareRow& row, int s, const StoredEntry& stored, const MergeOptions& o) {
    if (stored.kind != StoredEntry::Kind::File) return true;
    if (o.compareSize && row.Size[s] != stored.size[s]) return true;
    const double toleranceSeconds = std::round(o.tolerance * 86400.0);
    return std::fabs(static_cast<double>(UtcSecondsOf(row.Time[s]) - stored.mtime[s])) > toleranceSeconds;
}

}  // namespace

QString MemoryKeyOf(const CompareRow& row, const PairMemory& pair) {
    const int s = row.Exists(0) ? 0 : 1;
    if (!row.Exists(s)) return QString();
    const QString& root = pair.Root[s];
    QString key;
    if (row.IsFolder()) key = row.Folder[s].mid(root.size());  // a folder row's folder is its own path
    else key = row.Folder[s].mid(root.size()) + row.Name[s];
    return row.FoldsCase != 0 ? key.toCaseFolded() : key;
}

StoredEntry StoredFormOf(const CompareRow& row, const int from[2]) {
    StoredEntry e;
    if (row.IsFolder()) {
        e.kind = StoredEntry::Kind::Folder;
        return e;
    }
    for (int s = 0; s < 2; ++s) {
        e.size[s] = row.Size[from[s]];
        e.mtime[s] = UtcSecondsOf(row.Time[from[s]]);
    }
    return e;
}

int JudgeAgainstMemory(ResultList& rows, const PairMemory& pair, const MergeOptions& o, bool propagateDeletions) {
    if (!pair.Known || pair.FirstRow >= pair.EndRow) return 0;
    // Opposite a root that is missing every entry looks deleted: nothing travels from there.
    const CompareRow& root = rows[pair.FirstRow];
    const bool rootsPresent = root.Attributes[0] != Attr::Invalid && root.Attributes[1] != Attr::Invalid;
    const bool travels = propagateDeletions && rootsPresent;
    int conflicts = 0;
    std::vector<size_t> deletedFolders;  // one-sided folders that the other side deleted
    for (size_t i = pair.FirstRow + 1; i < pair.EndRow; ++i) {
        CompareRow& row = rows[i];
        if (row.Unreadable || row.CaseConflict || row.TypeConflict) continue;
        const auto found = pair.Entries.constFind(MemoryKeyOf(row, pair));
        const StoredEntry* stored = found != pair.Entries.cend() ? &*found : nullptr;
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
                const bool changed[2] = {ChangedSince(row, 0, *stored, o), ChangedSince(row, 1, *stored, o)};
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
        if (ChangedSince(row, s, *stored, o)) {
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
        for (size_t j = *it + 1; j < pair.EndRow && rows[j].LiesBelow(s, folder.Folder[s]) && all; ++j)
            all = rows[j].DeletionTravels;
        folder.DeletionTravels = all;
    }
    return conflicts;
}

bool RememberRun(const FileView& files, const std::vector<uint8_t>* done, QString& error) {
    const TwoWayMemory& memory = files.Memory;
    if (!memory.Active) return true;
    const ResultList& results = files.Results;
    // What happened to each row of the compare's result list (the run knows its view's rows).
    std::vector<uint8_t> doneByRow(results.size(), 0);
    if (done) {
        const ResultList& view = files.ViewList;
        for (size_t i = 1; i < view.size() && i < done->size(); ++i) {
            const size_t j = view.ViewedIndex(i);
            if (j < doneByRow.size()) doneByRow[j] = (*done)[i];
        }
    }
    SyncState::Store store;
    if (!store.Open(memory.DatabasePath)) {
        error = store.Error();
        return false;
    }
    SyncState::Writer writer = store.Write();
    if (!writer.Began()) {
        error = store.Error();
        return false;
    }
    for (const PairMemory& pair : memory.Pairs) {
        if (!writer.SelectPair(pair.Root[0], pair.Root[1])) {
            error = store.Error();
            return false;
        }
        // The remembered entries the compare listed again; only when some were not listed is a
        // set of the listed ones built (a run over an unchanged tree finds every one).
        qsizetype listedAgain = 0;
        std::vector<QString> listed;
        bool ok = true;
        for (size_t i = pair.FirstRow + 1; i < pair.EndRow && ok; ++i) {
            const CompareRow& row = results[i];
            const QString key = MemoryKeyOf(row, pair);
            if (key.isEmpty()) continue;
            const auto found = pair.Entries.constFind(key);
            const StoredEntry* before = found != pair.Entries.cend() ? &*found : nullptr;
            if (before) {
                ++listedAgain;
                listed.push_back(key);
            }
            const uint8_t d = doneByRow[i];
            std::optional<StoredEntry> now;  // empty: forget the entry
            bool keep = false;               // leave the remembered entry as it is
            if (row.Unreadable || row.CaseConflict || row.TypeConflict) {
                keep = true;
            } else if (d & (RowDone::DeletedOn | RowDone::DeletedOn << 1)) {
                // Gone from a side: what remains is new there at the next run, as without memory.
                now.reset();
            } else if (d & (RowDone::CopiedFrom | RowDone::CopiedFrom << 1 | RowDone::CreatedFrom | RowDone::CreatedFrom << 1)) {
                const int s = (d & (RowDone::CopiedFrom | RowDone::CreatedFrom)) ? 0 : 1;
                const int from[2] = {s, s};
                now = StoredFormOf(row, from);
            } else if (row.Exists(0) && row.Exists(1) && (row.IsFolder() || (row.SyncAction == SyncAction::NoAction && !row.Conflict))) {
                const int from[2] = {0, 1};
                now = StoredFormOf(row, from);
            } else {
                keep = true;  // the run left it as it was: judged the same way next time
            }
            if (keep) continue;
            if (now) {
                if (!before || !(*before == *now)) ok = writer.Put(key, *now);
            } else if (before) {
                ok = writer.Remove(key);
            }
        }
        // Entries the compare no longer lists are gone from both sides.
        if (ok && listedAgain < pair.Entries.size()) {
            const QSet<QString> seen(listed.begin(), listed.end());
            for (auto it = pair.Entries.cbegin(); it != pair.Entries.cend() && ok; ++it)
                if (!seen.contains(it.key())) ok = writer.Remove(it.key());
        }
        if (!ok) {
            error = store.Error();
            return false;
        }
    }
    if (!writer.Commit()) {
        error = store.Error();
        return false;
    }
    return true;
}
