// What a two-way run leaves remembered. The changes the run knows of are written entry by entry;
// then every folder's digest is checked: the digest as stored, changed by what was written, must
// be the digest of what the folder's rows want remembered. A folder where the two differ (an
// entry gone from both sides, a row in step that the compare did not read and whose remembered
// entry is not what it holds now) is read and written anew. A run over trees in step thus reads
// and writes nothing but the digests.

#include "engine/TwoWayState.h"

#include "engine/FileView.h"
#include "platform/FileListing.h"

#include <QSet>

namespace {

using SyncState::StoredEntry;
using SyncState::DigestOf;

// What is to be remembered of a row after the run.
struct Intent {
    enum Kind { Keep, Set, Forget } kind = Keep;
    StoredEntry now;  // for Set
};

Intent IntentOf(const CompareRow& row, uint8_t done, int64_t utcOffset) {
    Intent intent;
    constexpr uint8_t copied = RowDone::CopiedFrom | RowDone::CopiedFrom << 1 | RowDone::CreatedFrom | RowDone::CreatedFrom << 1;
    if (row.Unreadable || row.CaseConflict || row.TypeConflict) {
        intent.kind = Intent::Keep;
    } else if (done & (RowDone::DeletedOn | RowDone::DeletedOn << 1)) {
        // Gone from a side: what remains is new there at the next run, as without memory.
        intent.kind = Intent::Forget;
    } else if (done & copied) {
        const int s = (done & (RowDone::CopiedFrom | RowDone::CreatedFrom)) ? 0 : 1;
        const int from[2] = {s, s};
        intent.kind = Intent::Set;
        intent.now = StoredFormOf(row, from, utcOffset);
    } else if (row.Exists(0) && row.Exists(1) && (row.IsFolder() || (row.SyncAction == SyncAction::NoAction && !row.Conflict))) {
        const int from[2] = {0, 1};
        intent.kind = Intent::Set;
        intent.now = StoredFormOf(row, from, utcOffset);
    }  // else the run left it as it was: judged the same way next time
    return intent;
}

// A folder's digest as stored, as the changes written make it, and as its rows want it.
struct FolderTally {
    uint64_t stored = 0;
    uint64_t expected = 0;
    uint64_t wanted = 0;
};

// What a folder written anew is to hold: entries by name, and the names whose remembered entry
// stays as it is (rows the run left alone that the compare did not read).
struct FolderWanted {
    SyncState::StoredEntries entries;
    QSet<QString> keepAsStored;
};

class PairWriter {
public:
    PairWriter(SyncState::Store& store, SyncState::Writer& writer, const PairMemory& pair, const ResultList& results,
               const std::vector<uint8_t>& doneByRow)
        : store_(store), writer_(writer), pair_(pair), results_(results), done_(doneByRow),
          utcOffset_(FileSystem::CurrentUtcOffsetSeconds()) {}

    bool Write() {
        // Read again here: another run of the pair (a scheduled one beside the window) may have
        // written since the compare.
        SyncState::FolderDigests digests;
        if (!store_.LoadDigests(writer_.Pair(), digests)) return false;
        for (auto it = digests.cbegin(); it != digests.cend(); ++it)
            tallies_[it.key()] = FolderTally{it.value(), it.value(), 0};
        MemoryPlace place;
        for (size_t i = pair_.FirstRow + 1; i < pair_.EndRow; ++i) {
            PlaceOf(results_[i], pair_, place);
            if (place.valid && !WriteRow(i, place)) return false;
        }
        if (pair_.ReadWhole && !ForgetVanished()) return false;
        return SettleFolders();
    }

private:
    FolderTally& TallyOf(QStringView folder) {
        if (!last_ || lastFolder_ != folder) {
            lastFolder_ = folder.toString();
            last_ = &tallies_[lastFolder_];
        }
        return *last_;
    }

    int32_t MatchOf(size_t i) const {
        const size_t at = i - pair_.FirstRow;
        return at < pair_.Match.size() ? pair_.Match[at] : PairMemory::kUnread;
    }

    // Writes what the run knows changed of a row, and counts it in its folder's digests. A row
    // the compare did not read is taken to be remembered as it is now; the digests tell.
    bool WriteRow(size_t i, const MemoryPlace& place) {
        const Intent intent = IntentOf(results_[i], done_[i], utcOffset_);
        const int32_t match = MatchOf(i);
        const StoredEntry* before = match >= 0 ? &pair_.Entries.At(match) : nullptr;
        FolderTally& tally = TallyOf(place.folder);
        if (intent.kind == Intent::Keep) {
            // Two rows of a case conflict meet the same entry: it is wanted once.
            if (before && !kept_[static_cast<size_t>(match)]) tally.wanted += DigestOf(place.name, *before);
            if (before) kept_[static_cast<size_t>(match)] = true;
            return true;
        }
        if (intent.kind == Intent::Set) tally.wanted += DigestOf(place.name, intent.now);
        if (match == PairMemory::kUnread) return true;
        if (intent.kind == Intent::Set && before && *before == intent.now) return true;
        if (before) tally.expected -= DigestOf(place.name, *before);
        if (intent.kind == Intent::Forget) return !before || writer_.Remove(place.folder, place.name);
        tally.expected += DigestOf(place.name, intent.now);
        return writer_.Put(place.folder, place.name, intent.now);
    }

    // With every entry read: those that no row met are gone from both sides.
    bool ForgetVanished() {
        std::vector<bool> met(static_cast<size_t>(pair_.Entries.size()), false);
        for (const int32_t m : pair_.Match)
            if (m >= 0) met[static_cast<size_t>(m)] = true;
        MemoryPlace place;
        for (int64_t e = 0; e < pair_.Entries.size(); ++e) {
            if (met[static_cast<size_t>(e)]) continue;
            SplitInto(pair_.Entries.PathAt(e), place);
            TallyOf(place.folder).expected -= DigestOf(place.name, pair_.Entries.At(e));
            if (!writer_.Remove(place.folder, place.name)) return false;
        }
        return true;
    }

    bool SettleFolders() {
        QHash<QString, FolderWanted> rewrite;
        for (auto it = tallies_.cbegin(); it != tallies_.cend(); ++it) {
            const FolderTally& t = it.value();
            if (t.expected != t.wanted) rewrite.insert(it.key(), FolderWanted());
            else if (t.wanted != t.stored && !writer_.PutDigest(it.key(), t.wanted)) return false;
        }
        if (rewrite.isEmpty()) return true;
        // What the rows of those folders want remembered, gathered again.
        MemoryPlace place;
        for (size_t i = pair_.FirstRow + 1; i < pair_.EndRow; ++i) {
            PlaceOf(results_[i], pair_, place);
            if (!place.valid) continue;
            const auto folder = rewrite.find(place.folder.toString());
            if (folder == rewrite.end()) continue;
            const Intent intent = IntentOf(results_[i], done_[i], utcOffset_);
            const int32_t match = MatchOf(i);
            if (intent.kind == Intent::Set) folder->entries.Add(place.name, intent.now);
            else if (intent.kind == Intent::Keep && match >= 0) folder->entries.Add(place.name, pair_.Entries.At(match));
            else if (intent.kind == Intent::Keep && match == PairMemory::kUnread) folder->keepAsStored.insert(place.name.toString());
        }
        for (auto it = rewrite.cbegin(); it != rewrite.cend(); ++it)
            if (!Rewrite(it.key(), it.value())) return false;
        return true;
    }

    // Makes the folder's remembered entries what is wanted, by what the store holds now.
    bool Rewrite(const QString& folder, const FolderWanted& wanted) {
        SyncState::StoredEntries stored;
        if (!store_.LoadFolder(writer_.Pair(), folder, stored)) return false;
        uint64_t digest = 0;
        for (int64_t e = 0; e < wanted.entries.size(); ++e) {
            const QStringView name = wanted.entries.PathAt(e);
            const StoredEntry& entry = wanted.entries.At(e);
            digest += DigestOf(name, entry);
            const StoredEntry* now = stored.Find(name);
            if ((!now || !(*now == entry)) && !writer_.Put(folder, name, entry)) return false;
        }
        for (int64_t e = 0; e < stored.size(); ++e) {
            const QStringView name = stored.PathAt(e);
            if (wanted.entries.Find(name)) continue;
            if (wanted.keepAsStored.contains(name.toString())) digest += DigestOf(name, stored.At(e));
            else if (!writer_.Remove(folder, name)) return false;
        }
        return writer_.PutDigest(folder, digest);
    }

    SyncState::Store& store_;
    SyncState::Writer& writer_;
    const PairMemory& pair_;
    const ResultList& results_;
    const std::vector<uint8_t>& done_;
    const int64_t utcOffset_;
    QHash<QString, FolderTally> tallies_;
    std::vector<bool> kept_ = std::vector<bool>(static_cast<size_t>(pair_.Entries.size()), false);
    QString lastFolder_;
    FolderTally* last_ = nullptr;
};

}  // namespace

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
    std::shared_ptr<SyncState::Store> kept = memory.Store;
    if (!kept || !kept->IsOpen()) {
        kept = std::make_shared<SyncState::Store>();
        if (!kept->Open(memory.DatabasePath)) {
            error = kept->Error();
            return false;
        }
    }
    SyncState::Store& store = *kept;
    SyncState::Writer writer = store.Write();
    bool ok = writer.Began();
    for (size_t p = 0; p < memory.Pairs.size() && ok; ++p) {
        const PairMemory& pair = memory.Pairs[p];
        ok = writer.SelectPair(pair.Root[0], pair.Root[1]) &&
             PairWriter(store, writer, pair, results, doneByRow).Write();
    }
    if (ok && writer.Commit()) return true;
    error = store.Error();
    return false;
}
