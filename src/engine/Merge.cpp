#include "engine/Merge.h"

#include "config/Profile.h"
#include "engine/RunState.h"
#include "platform/FileSystem.h"

#include <QSet>

#include <cmath>

namespace {

void FillSide(CompareRow& row, int s, const ScanEntry& e) {
    row.Folder[s] = e.FolderPath;
    row.Name[s] = e.Name;
    row.Attributes[s] = e.Attributes;
    row.Time[s] = e.Modified;
    row.Size[s] = e.Size;
}

// Whole seconds of a difference of day-based times: times are whole seconds, so rounding
// removes the error that the subtraction of two large day values brings.
double SecondsOf(double days) { return std::round(days * 86400.0 * 1000.0) / 1000.0; }

class PairMerger {
public:
    static constexpr size_t ReleaseStep = 4096;

    PairMerger(const QString& leftRoot, const QString& rightRoot, const MergeOptions& options, ResultList& rows,
               const TypeConflictKeys* typeConflicts)
        : options_(options), rows_(rows),
          typeConflicts_(typeConflicts && !typeConflicts->isEmpty() ? typeConflicts : nullptr) {
        root_[0] = leftRoot;
        root_[1] = rightRoot;
    }

    // release: the lists belong to the caller's compare run and are dropped after the merge, so
    // the entries that have become rows are freed while the merge goes on.
    void Merge(const ScanList& left, const ScanList& right, bool release) {
        const ScanList* lists[2] = {&left, &right};
        size_t at[2] = {0, 0};
        size_t released[2] = {0, 0};
        std::vector<const ScanEntry*> group[2];
        while (at[0] < left.size() || at[1] < right.size()) {
            // The smallest key still ahead, and the entries of both sides that carry it.
            const QString* key;
            if (at[0] >= left.size()) key = &right[at[1]].SortKey;
            else if (at[1] >= right.size()) key = &left[at[0]].SortKey;
            else key = right[at[1]].SortKey < left[at[0]].SortKey ? &right[at[1]].SortKey : &left[at[0]].SortKey;
            const QString groupKey = *key;
            for (int s = 0; s < 2; ++s) {
                group[s].clear();
                while (at[s] < lists[s]->size() && (*lists[s])[at[s]].SortKey == groupKey)
                    group[s].push_back(&(*lists[s])[at[s]++]);
            }
            MergeGroup(groupKey, group[0], group[1]);
            if (release) {
                // The rows hold what they need: the entries merged so far go, a chunk of the
                // list at a time (a right-hand name equal to the left one goes with them).
                for (int s = 0; s < 2; ++s)
                    if (at[s] >= released[s] + ReleaseStep) {
                        const_cast<ScanList*>(lists[s])->ReleaseFront(at[s]);
                        released[s] = at[s];
                    }
            }
        }
    }

    std::vector<RowProblem> problems;

private:
    QStringView Relative(int s, const QString& folderPath) const {
        return folderPath.size() > root_[s].size() ? QStringView(folderPath).mid(root_[s].size()) : QStringView();
    }

    bool SamePath(const ScanEntry& l, const ScanEntry& r) const {
        return l.Name == r.Name && Relative(0, l.FolderPath) == Relative(1, r.FolderPath);
    }

    // The folder on the side where an entry is missing: the same place below that side's root.
    // Consecutive rows of one folder share the string.
    const QString& OtherFolder(int missing, const QString& present) {
        Cache& c = cache_[missing];
        const bool same = c.source != nullptr && ((present.constData() == c.source && present.size() == c.sourceSize) ||
                                                  present == c.keep);
        if (!same) {
            c.result = root_[missing];
            c.result.append(Relative(1 - missing, present));
            c.source = present.constData();
            c.sourceSize = present.size();
            c.keep = present;  // keeps the data alive, so the pointer cannot be reused by another string
        }
        return c.result;
    }

    CompareRow& NewRow() {
        CompareRow& row = rows_.emplace_back();
        row.FoldsCase = options_.foldsCase;
        return row;
    }

    void Paired(const ScanEntry& l, const ScanEntry& r, bool conflict) {
        CompareRow& row = NewRow();
        FillSide(row, 0, l);
        FillSide(row, 1, r);
        if (r.Name == l.Name) row.Name[1] = row.Name[0];  // one string for both sides
        row.DeleteMatch = l.DeleteMatch;
        ClassifyRow(row, options_);
        Flag(row, conflict);
    }

    void OneSided(int s, const ScanEntry& e, bool conflict) {
        CompareRow& row = NewRow();
        FillSide(row, s, e);
        const int o = 1 - s;
        row.Attributes[o] = e.Attributes;
        row.Folder[o] = OtherFolder(o, e.FolderPath);
        row.DeleteMatch = e.DeleteMatch;
        row.SyncAction = SyncAction::AwayFrom(s);
        row.Selected = options_.defaultMark;
        Flag(row, conflict);
    }

    void Flag(CompareRow& row, bool conflict) {
        if (conflict) row.CaseConflict = true;
        if (inUnreadable_) row.Unreadable = true;
        if (inTypeConflict_ || typeConflictHere_) {
            row.TypeConflict = true;
            row.TypeChange = options_.replacesTypeChanges && !row.CaseConflict && !row.Unreadable &&
                             (!typeConflictHere_ || typeChangeHere_) && (!inTypeConflict_ || inTypeChange_);
        }
        // A type change that the run replaces keeps the proposal of its one-sided row.
        if ((row.CaseConflict || row.Unreadable || row.TypeConflict) && !row.TypeChange) {
            row.SyncAction = SyncAction::NoAction;
            row.Selected = false;
        }
    }

    void MergeGroup(const QString& key, const std::vector<const ScanEntry*>& l, const std::vector<const ScanEntry*>& r) {
        // Leaving the subtree of an unreadable or ambiguous folder?
        if (inUnreadable_ && !key.startsWith(unreadablePrefix_)) inUnreadable_ = false;
        if (inConflict_ && !key.startsWith(conflictPrefix_)) inConflict_ = false;
        if (inTypeConflict_ && !key.startsWith(typeConflictPrefix_)) inTypeConflict_ = false;
        const bool isFolder = ((l.empty() ? r[0] : l[0])->Attributes & Attr::Directory) != 0;
        typeConflictHere_ = false;
        if (typeConflicts_) {
            // The conflict set names paths in the form of a file's key; each is reported once,
            // at its first row (the file's, which sorts before the folder's).
            const QString pathKey = isFolder ? FileFormOfFolderKey(key) : key;
            const auto conflict = typeConflicts_->constFind(pathKey);
            typeConflictHere_ = conflict != typeConflicts_->cend();
            typeChangeHere_ = typeConflictHere_ && *conflict == TypeConflictKind::FileOrLink;
            if (typeConflictHere_ && !reportedTypeConflicts_.contains(pathKey)) {
                reportedTypeConflicts_.insert(pathKey);
                // What the run replaces is no conflict it leaves behind.
                if (!(typeChangeHere_ && options_.replacesTypeChanges))
                    problems.push_back({rows_.size(), l.empty() ? 1 : 0, FileSystem::ErrTypeConflict});
            }
        }

        const size_t first = rows_.size();
        for (const auto* side : {&l, &r}) {
            for (const ScanEntry* e : *side) {
                if (e->ListError != 0 && !inUnreadable_) {
                    inUnreadable_ = true;
                    unreadablePrefix_ = key;
                }
            }
        }

        bool ambiguous = false;
        if (l.size() == 1 && r.size() == 1 && (!inConflict_ || SamePath(*l[0], *r[0]))) {
            // The ordinary case, letter case differences included; below an ambiguous folder
            // only an exact match can be trusted.
            Paired(*l[0], *r[0], false);
        } else if (l.size() == 1 && r.size() == 1) {
            OneSided(0, *l[0], true);
            OneSided(1, *r[0], true);
        } else if (r.empty()) {
            for (const ScanEntry* e : l) OneSided(0, *e, inConflict_);
        } else if (l.empty()) {
            for (const ScanEntry* e : r) OneSided(1, *e, inConflict_);
        } else {
            // Several names that differ only in case: pair exact matches, keep the rest apart.
            std::vector<bool> usedRight(r.size(), false);
            std::vector<bool> usedLeft(l.size(), false);
            for (size_t a = 0; a < l.size(); ++a) {
                for (size_t b = 0; b < r.size(); ++b) {
                    if (!usedRight[b] && SamePath(*l[a], *r[b])) {
                        usedLeft[a] = usedRight[b] = true;
                        Paired(*l[a], *r[b], false);
                        break;
                    }
                }
            }
            // Each ambiguous name is reported, unless the folder above it already was.
            const bool report = !inConflict_;
            for (size_t a = 0; a < l.size(); ++a) {
                if (usedLeft[a]) continue;
                if (report) problems.push_back({rows_.size(), 0, FileSystem::ErrCaseConflict});
                OneSided(0, *l[a], true);
                ambiguous = true;
            }
            for (size_t b = 0; b < r.size(); ++b) {
                if (usedRight[b]) continue;
                if (report) problems.push_back({rows_.size(), 1, FileSystem::ErrCaseConflict});
                OneSided(1, *r[b], true);
                ambiguous = true;
            }
        }
        if (ambiguous && isFolder && !inConflict_) {
            inConflict_ = true;
            conflictPrefix_ = key;
        }
        if (typeConflictHere_ && isFolder && !inTypeConflict_) {
            inTypeConflict_ = true;
            inTypeChange_ = typeChangeHere_;
            typeConflictPrefix_ = key;
        }

        // The rows of folders that could not be listed, for the error report.
        for (size_t k = first; k < rows_.size(); ++k) {
            for (int s = 0; s < 2; ++s) {
                if (!rows_[k].Exists(s) || !rows_[k].IsFolder()) continue;
                const auto& side = s == 0 ? l : r;
                for (const ScanEntry* e : side)
                    if (e->ListError != 0 && e->Name == rows_[k].Name[s] && e->FolderPath == rows_[k].Folder[s])
                        problems.push_back({k, s, e->ListError});
            }
        }
    }

    struct Cache {
        const QChar* source = nullptr;
        qsizetype sourceSize = 0;
        QString keep;
        QString result;
    };

    QString root_[2];
    const MergeOptions& options_;
    ResultList& rows_;
    Cache cache_[2];
    bool inUnreadable_ = false;
    QString unreadablePrefix_;
    bool inConflict_ = false;
    QString conflictPrefix_;
    const TypeConflictKeys* typeConflicts_;
    bool typeConflictHere_ = false;  // the group being merged is a conflict itself
    bool typeChangeHere_ = false;    // ... of a folder and a file or link
    bool inTypeConflict_ = false;
    bool inTypeChange_ = false;      // the folder of that conflict stands opposite a file or link
    QString typeConflictPrefix_;
    QSet<QString> reportedTypeConflicts_;
};

}  // namespace

MergeOptions MergeOptionsOf(const ProfileOptions& options, bool defaultMark) {
    MergeOptions m;
    m.archiveMask = options.CheckArchiveAttr != 0 ? Attr::Archive : 0;
    m.tolerance = options.CompareDate ? options.TimeLag : MaxDateValue;
    m.compareSize = options.CompareSize;
    m.defaultMark = defaultMark;
    return m;
}

void ClassifyRow(CompareRow& row, const MergeOptions& o) {
    auto propose = [&](int16_t action, bool selected) {
        row.SyncAction = action;
        row.Selected = selected;
    };
    if (row.IsFolder()) return propose(SyncAction::NoAction, o.defaultMark);
    const bool leftArchive = (row.Attributes[0] & o.archiveMask) != 0;
    const bool rightArchive = (row.Attributes[1] & o.archiveMask) != 0;
    if (leftArchive && !rightArchive) return propose(SyncAction::LeftToRight, o.defaultMark);
    if (rightArchive && !leftArchive) return propose(SyncAction::RightToLeft, o.defaultMark);
    const double tolerance = SecondsOf(o.tolerance);
    const double diff = SecondsOf(row.Time[0] - row.Time[1]);
    if (diff > tolerance) return propose(SyncAction::LeftToRight, o.defaultMark);
    if (-diff > tolerance) return propose(SyncAction::RightToLeft, o.defaultMark);
    if (o.compareSize && row.Size[0] > row.Size[1]) return propose(SyncAction::LeftToRight, o.defaultMark);
    if (o.compareSize && row.Size[0] < row.Size[1]) return propose(SyncAction::RightToLeft, o.defaultMark);
    if (o.compareSize && row.DeleteMatch) return propose(SyncAction::NoAction, true);
    propose(SyncAction::NoAction, false);
}

namespace {

std::vector<RowProblem> MergeLists(const ScanList& left, const ScanList& right, const QString& leftRoot,
                                   const QString& rightRoot, const MergeOptions& options, ResultList& rows,
                                   bool release, const TypeConflictKeys* typeConflicts) {
    if (rows.empty()) rows.emplace_back();  // the unused row 0
    // One reservation for the most rows the pair can give (every entry one-sided). The part a
    // typical pair leaves unused is never touched and costs no resident memory, while growing
    // step by step would copy the whole list at its largest and a final shrink_to_fit once more.
    rows.reserve(rows.size() + left.size() + right.size());
    const size_t first = rows.size();
    PairMerger merger(leftRoot, rightRoot, options, rows, typeConflicts);
    merger.Merge(left, right, release);
    for (size_t i = first; i < rows.size(); ++i) rows[i].ProposedMark = rows[i].Selected;
    Run().IgnoredErrors.clear();
    return std::move(merger.problems);
}

}  // namespace

std::vector<RowProblem> MergeScanLists(const ScanList& left, const ScanList& right, const QString& leftRoot,
                                       const QString& rightRoot, const MergeOptions& options, ResultList& rows,
                                       const TypeConflictKeys* typeConflicts) {
    return MergeLists(left, right, leftRoot, rightRoot, options, rows, false, typeConflicts);
}

std::vector<RowProblem> MergeAndReleaseScanLists(ScanList& left, ScanList& right, const QString& leftRoot,
                                                 const QString& rightRoot, const MergeOptions& options,
                                                 ResultList& rows, const TypeConflictKeys* typeConflicts) {
    std::vector<RowProblem> problems = MergeLists(left, right, leftRoot, rightRoot, options, rows, true, typeConflicts);
    ScanList().swap(left);
    ScanList().swap(right);
    return problems;
}
