#include "engine/Merge.h"

#include "config/Profile.h"
#include "platform/FileSystem.h"

#include <QSet>

#include <cerrno>
#include <cmath>

namespace {

void FillSide(CompareRow& row, int s, const ScanEntry& e) {
    row.Attributes[s] = e.Attributes;
    row.Time[s] = e.Modified;
    row.Size[s] = e.Size;
}

// Whole seconds of a difference of day-based times: times are whole seconds, so rounding
// removes the error that the subtraction of two large day values brings.
double SecondsOf(double days) { return std::round(days * 86400.0 * 1000.0) / 1000.0; }

// What the rows at and below a folder take from the folders above them.
struct Inherited {
    bool unreadable = false;    // a folder here or above could not be listed on either side
    bool caseConflict = false;  // the pairing of a folder above was ambiguous
    bool typeConflict = false;  // a folder above stands opposite something that is no folder
    bool typeChange = false;    // ... opposite a file or link
};

using Group = std::vector<ScanEntry*>;

class PairMerger {
public:
    PairMerger(MergeSide sides[2], const MergeOptions& options, ResultList& rows)
        : sides_(sides), options_(options), rows_(rows) {}

    void Merge() {
        Group roots[2] = {{&sides_[0].rootEntry}, {&sides_[1].rootEntry}};
        const Inherited below = MergeGroup(roots[0], roots[1], true, Inherited(), TypeConflictKeys(), nullptr);
        MergeNode(&sides_[0].rootNode, &sides_[1].rootNode, below);
    }

    std::vector<RowProblem> problems;

private:
    // The rows of a folder (on one side or both; a missing side has no node): its files, then
    // its subfolders, each followed by what lies below it.
    void MergeNode(ListedNode* left, ListedNode* right, const Inherited& in) {
        ListedNode* nodes[2] = {left, right};
        const TypeConflictKeys conflicts = FindTypeConflicts(left, right);
        QSet<QString> reported;  // each conflict once, at its first row (the file's)
        size_t at[2], end[2];
        for (int part = 0; part < 2; ++part) {
            for (int s = 0; s < 2; ++s) {
                const ListedNode* n = nodes[s];
                at[s] = n ? (part == 0 ? 0 : n->firstFolder) : 0;
                end[s] = n ? (part == 0 ? n->firstFolder : n->entries.size()) : 0;
            }
            Group group[2];
            while (at[0] < end[0] || at[1] < end[1]) {
                // The smallest key still ahead, and the entries of both sides that carry it.
                QStringView key;
                if (at[0] >= end[0]) key = nodes[1]->entries[at[1]].KeyView();
                else if (at[1] >= end[1]) key = nodes[0]->entries[at[0]].KeyView();
                else {
                    const QStringView l = nodes[0]->entries[at[0]].KeyView(), r = nodes[1]->entries[at[1]].KeyView();
                    key = CompareKeys(r, l) < 0 ? r : l;
                }
                for (int s = 0; s < 2; ++s) {
                    group[s].clear();
                    while (at[s] < end[s] && nodes[s]->entries[at[s]].KeyView() == key)
                        group[s].push_back(&nodes[s]->entries[at[s]++]);
                }
                if (part == 0) {
                    MergeGroup(group[0], group[1], false, in, conflicts, &reported);
                    continue;
                }
                ListedNode below[2];
                bool listed[2] = {false, false};
                for (int s = 0; s < 2; ++s)
                    if (!group[s].empty()) listed[s] = TakeNode(s, group[s], below[s]);
                const Inherited inherited = MergeGroup(group[0], group[1], true, in, conflicts, &reported);
                MergeNode(listed[0] ? &below[0] : nullptr, listed[1] ? &below[1] : nullptr, inherited);
            }
        }
    }

    // Takes the node of the folders of group from side s's walk and gives each folder its
    // listing error. A walk that ended before the node came counts as a failed listing: an
    // empty node would claim folders empty that were never listed.
    bool TakeNode(int s, Group& group, ListedNode& node) {
        if (!sides_[s].next || !sides_[s].next(node)) {
            for (ScanEntry* e : group) e->ListError = EIO;
            return false;
        }
        for (size_t k = 0; k < group.size(); ++k) group[k]->ListError = k < node.errors.size() ? node.errors[k] : EIO;
        return true;
    }

    QStringView Relative(int s, const QString& folderPath) const {
        const QString& root = sides_[s].root;
        return folderPath.size() > root.size() ? QStringView(folderPath).mid(root.size()) : QStringView();
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
            c.result = sides_[missing].root;
            c.result.append(Relative(1 - missing, present));
            c.source = present.constData();
            c.sourceSize = present.size();
            c.keep = present;  // keeps the data alive, so the pointer cannot be reused by another string
        }
        return c.result;
    }

    // The folders of a row, shared with the rows before it where they are the same folders
    // (every file of a folder, one-sided or not, takes the same strings).
    const QExplicitlySharedDataPointer<RowPlace>& PlaceOf(const QString& left, const QString& right) {
        const auto same = [](const QString& a, const QString& b) {
            return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
        };
        if (!place_ || !same(place_->folder[0], left) || !same(place_->folder[1], right)) {
            place_ = new RowPlace;
            place_->folder[0] = left;
            place_->folder[1] = right;
        }
        return place_;
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
        row.SharePlace(PlaceOf(l.FolderPath, r.FolderPath));
        // One string for both sides where they are spelt alike, as they always are where names
        // are matched by exact spelling.
        row.SetNames(l.Name, options_.foldsCase == 0 ? l.Name : r.Name);
        row.DeleteMatch = l.DeleteMatch;
        ClassifyRow(row, options_);
        Flag(row, conflict);
    }

    void OneSided(int s, const ScanEntry& e, bool conflict) {
        CompareRow& row = NewRow();
        FillSide(row, s, e);
        const int o = 1 - s;
        row.Attributes[o] = e.Attributes;
        const QString& other = OtherFolder(o, e.FolderPath);
        row.SharePlace(s == 0 ? PlaceOf(e.FolderPath, other) : PlaceOf(other, e.FolderPath));
        row.SetNames(s == 0 ? e.Name : QString(), s == 0 ? QString() : e.Name);
        row.DeleteMatch = e.DeleteMatch;
        row.SyncAction = SyncAction::AwayFrom(s);
        row.Selected = options_.defaultMark;
        Flag(row, conflict);
    }

    void Flag(CompareRow& row, bool conflict) {
        if (conflict) row.CaseConflict = true;
        if (flags_.unreadable) row.Unreadable = true;
        if (flags_.typeConflict || typeConflictHere_) {
            row.TypeConflict = true;
            row.TypeChange = options_.replacesTypeChanges && !row.CaseConflict && !row.Unreadable &&
                             (!typeConflictHere_ || typeChangeHere_) && (!flags_.typeConflict || flags_.typeChange);
        }
        // A type change that the run replaces keeps the proposal of its one-sided row.
        if ((row.CaseConflict || row.Unreadable || row.TypeConflict) && !row.TypeChange) {
            row.SyncAction = SyncAction::NoAction;
            row.Selected = false;
        }
        row.ProposedMark = row.Selected;
    }

    // The rows of the entries of both sides that share one key; returns what the rows below
    // them take from them (for a folder).
    Inherited MergeGroup(const Group& l, const Group& r, bool isFolder, const Inherited& in,
                         const TypeConflictKeys& conflicts, QSet<QString>* reported) {
        typeConflictHere_ = typeChangeHere_ = false;
        if (!conflicts.isEmpty()) {
            const QString key = (l.empty() ? r[0] : l[0])->KeyView().toString();
            const auto conflict = conflicts.constFind(key);
            typeConflictHere_ = conflict != conflicts.cend();
            typeChangeHere_ = typeConflictHere_ && *conflict == TypeConflictKind::FileOrLink;
            if (typeConflictHere_ && !reported->contains(key)) {
                reported->insert(key);
                // What the run replaces is no conflict it leaves behind.
                if (!(typeChangeHere_ && options_.replacesTypeChanges))
                    problems.push_back({rows_.size(), l.empty() ? 1 : 0, FileSystem::ErrTypeConflict});
            }
        }
        flags_ = in;
        for (const Group* side : {&l, &r})
            for (const ScanEntry* e : *side)
                if (e->ListError != 0) flags_.unreadable = true;

        const size_t first = rows_.size();
        bool ambiguous = false;
        if (l.size() == 1 && r.size() == 1 && (!in.caseConflict || SamePath(*l[0], *r[0]))) {
            // The ordinary case, letter case differences included; below an ambiguous folder
            // only an exact match can be trusted.
            Paired(*l[0], *r[0], false);
        } else if (l.size() == 1 && r.size() == 1) {
            OneSided(0, *l[0], true);
            OneSided(1, *r[0], true);
        } else if (r.empty()) {
            for (const ScanEntry* e : l) OneSided(0, *e, in.caseConflict);
        } else if (l.empty()) {
            for (const ScanEntry* e : r) OneSided(1, *e, in.caseConflict);
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
            const bool report = !in.caseConflict;
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

        // The rows of folders that could not be listed, for the error report.
        for (size_t k = first; k < rows_.size(); ++k) {
            for (int s = 0; s < 2; ++s) {
                if (!rows_[k].Exists(s) || !rows_[k].IsFolder()) continue;
                for (const ScanEntry* e : s == 0 ? l : r)
                    if (e->ListError != 0 && e->Name == rows_[k].Name(s) && e->FolderPath == rows_[k].Folder(s))
                        problems.push_back({k, s, e->ListError});
            }
        }

        Inherited below = flags_;
        if (!isFolder) return below;
        if (ambiguous && !in.caseConflict) below.caseConflict = true;
        if (typeConflictHere_ && !in.typeConflict) {
            below.typeConflict = true;
            below.typeChange = typeChangeHere_;
        }
        return below;
    }

    struct Cache {
        const QChar* source = nullptr;
        qsizetype sourceSize = 0;
        QString keep;
        QString result;
    };

    MergeSide* sides_;
    const MergeOptions& options_;
    ResultList& rows_;
    Cache cache_[2];
    QExplicitlySharedDataPointer<RowPlace> place_;
    Inherited flags_;                // what the rows of the group being merged take from above
    bool typeConflictHere_ = false;  // the group being merged is a conflict itself
    bool typeChangeHere_ = false;    // ... of a folder and a file or link
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

std::vector<RowProblem> MergePair(MergeSide sides[2], const MergeOptions& options, ResultList& rows) {
    if (rows.empty()) rows.emplace_back();  // the unused row 0
    PairMerger merger(sides, options, rows);
    merger.Merge();
    return std::move(merger.problems);
}
