#pragma once
// The records of a compare: an entry of one side and the merged rows of all pairs.

#include "engine/ChunkedList.h"
#include "engine/IndexIterator.h"
#include "platform/Attributes.h"

#include <QExplicitlySharedDataPointer>
#include <QSharedData>
#include <QString>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Signed direction code of a row.
namespace SyncAction {
constexpr int16_t LeftToRight = -1;
constexpr int16_t NoAction = 0;
constexpr int16_t RightToLeft = 1;
// The direction that copies away from side s: -1 for the left, 1 for the right.
constexpr int16_t AwayFrom(int s) { return static_cast<int16_t>(s - (1 - s)); }
}  // namespace SyncAction

// An entry of one side as the walk lists it.
struct ScanEntry {
    QString FolderPath;  // file: holding folder with trailing '/'; folder: its own path, no '/'
    QString Name;
    // The name as it is ordered and matched, where that differs from Name (letter case folded);
    // null otherwise. Kept only while the entry's folder is merged.
    QString Key;
    uint32_t Attributes = 0;
    double Modified = 0;  // local time, whole seconds, days since 30 Dec 1899; 0 for folders
    int64_t Size = 0;     // full 64-bit size; 0 for folders
    bool DeleteMatch = false;
    // For a folder that could not be listed: the error number (its contents are unknown).
    int ListError = 0;

    QStringView KeyView() const { return Key.isNull() ? QStringView(Name) : QStringView(Key); }
    bool IsFolder() const { return (Attributes & Attr::Directory) != 0; }
};

// Where a row's entries lie: the folder of each side (a folder row: the folder itself, without
// '/'; a file row: its holding folder, with '/'), shared by the rows of the same folders, and the
// right side's spelling of the name where it differs from the left's (names paired across letter
// case), which makes the record the row's own.
struct RowPlace : QSharedData {
    QString folder[2];
    QString otherName;
};

struct CompareRow {
    // The small fields first, so that they share one word instead of padding two (the result
    // list holds a row per entry); the rarely set flags are single bits.
    int16_t SyncAction = 0;
    bool Selected = false;
    bool DeleteMatch = false;
    // Bit 1 << side: that side's root lies on a file system (or in a folder) that folds letter
    // case, so a name there also stands for every spelling of it that differs only in case.
    uint8_t FoldsCase = 0;
    // Set when this row lies below a folder that could not be listed on either side: the
    // synchronisation neither copies nor deletes it.
    bool Unreadable : 1 = false;
    // Set when names that differ only in letter case made the pairing of this row ambiguous
    // (for example a.txt and A.txt on one side, a.TXT on the other), and for every row below a
    // folder whose pairing was ambiguous. Such a row is proposed as NoAction and unselected; the
    // synchronisation neither copies nor deletes it, so that no file is written over or deleted
    // in place of another whose name differs only in case.
    bool CaseConflict : 1 = false;
    // Set when the same path is a folder on one side and a file, link or special entry on the
    // other, and for every row below such a folder. Such a row is proposed as NoAction and
    // unselected; the synchronisation neither copies nor deletes it, on either side.
    bool TypeConflict : 1 = false;
    // Set with TypeConflict when the conflict is a folder opposite a file or link (a path whose
    // type changed on one side, and every row below its folder) and the compare prepared a
    // one-way mirror: such a row keeps the proposal of a one-sided row, and a one-way mirror
    // deletes the destination's entry and copies the source's in its place. Any other run
    // leaves it alone like every type conflict.
    bool TypeChange : 1 = false;
    // Set on a file row of a two-way pair when both sides changed it since the pair's last run
    // (or one side deleted it and the other changed it). The run keeps both versions: the one
    // the copy overwrites is first copied to a conflict name on both sides.
    bool Conflict : 1 = false;
    // Set on an entry of a two-way pair that the other side deleted since the pair's last run
    // while this side kept it unchanged (a folder: with everything below it), when deletions
    // travel (ProfileOptions::PropagateDeletions): the run deletes it here instead of copying
    // it back.
    bool DeletionTravels : 1 = false;
    // The mark the compare proposed (Selected as the merge set it): a view built anew starts
    // from it, so that ticks given in one view do not outlive a change of filter.
    bool ProposedMark : 1 = false;

private:
    // Whether the entry is there on the left and on the right (see Exists).
    bool existsLeft_ : 1 = false;
    bool existsRight_ : 1 = false;
    // The right name is spelt otherwise than the left one: it is RowPlace::otherName.
    bool otherRightName_ : 1 = false;

public:
    uint32_t Attributes[2] = {0, 0};
    double Time[2] = {0, 0};
    int64_t Size[2] = {0, 0};

    // The folder of side s (see RowPlace); empty where none was set.
    const QString& Folder(int s) const { return place_ ? place_->folder[s] : NoText(); }
    // The name on side s; empty where the entry is missing on that side.
    const QString& Name(int s) const {
        if (!Exists(s)) return NoText();
        return s == 1 && otherRightName_ ? place_->otherName : name_;
    }
    bool Exists(int side) const { return side == 0 ? existsLeft_ : existsRight_; }
    void SetFolder(int s, const QString& folder);
    // An empty name makes the entry missing on that side.
    void SetName(int s, const QString& name);
    void SetNames(const QString& left, const QString& right);
    // Both folders from a record that other rows of the same folders share.
    void SharePlace(const QExplicitlySharedDataPointer<RowPlace>& place);

    bool IsFolder() const { return (Attributes[0] & Attr::Directory) != 0; }
    bool SideFoldsCase(int side) const { return (FoldsCase & (1u << side)) != 0; }
    // Whether the row lies below the folder whose path on side s is folder (without '/').
    bool LiesBelow(int s, const QString& folder) const {
        const QString& f = Folder(s);
        return f.size() > folder.size() && f.startsWith(folder) && f[folder.size()] == QLatin1Char('/');
    }

private:
    static const QString& NoText() {
        static const QString none;
        return none;
    }

    QExplicitlySharedDataPointer<RowPlace> place_;
    // The left name, or the right one where the left entry is missing; one string for both
    // sides where they are spelt alike.
    QString name_;
};
// The flags share the first word with the direction; a row is 80 bytes on 64-bit systems (the
// result list holds one per entry).
static_assert(sizeof(CompareRow) <= 8 + 8 + 8 + sizeof(QString) + 32, "a compare row grew");

// Index 0 holds no row of its own (the compare run uses its folders to quote unreadable roots);
// rows 1..n are the rows of all pairs.
//
// The same type serves as a view: a list of some rows of another list, in their order, held as
// indices (four bytes a row instead of a copy of each row). A view's row 0 is its own; every
// other row is the row of the list it views, so a tick given through the view is the viewed
// row's Selected. The viewed list must outlive the view and keep its rows while the view is in
// use (it is rebuilt whenever that list is).
class ResultList {
public:
    using iterator = IndexIterator<ResultList, CompareRow>;
    using const_iterator = IndexIterator<const ResultList, const CompareRow>;
    using value_type = CompareRow;

    ResultList() = default;
    explicit ResultList(size_t n) : rows_(n) {}

    size_t size() const { return base_ ? index_.size() : rows_.size(); }
    bool empty() const { return size() == 0; }
    CompareRow& operator[](size_t i) { return base_ && i != 0 ? base_->rows_[index_[i]] : rows_[i]; }
    const CompareRow& operator[](size_t i) const { return base_ && i != 0 ? base_->rows_[index_[i]] : rows_[i]; }
    CompareRow& back() { return (*this)[size() - 1]; }
    const CompareRow& back() const { return (*this)[size() - 1]; }
    iterator begin() { return {this, 0}; }
    iterator end() { return {this, size()}; }
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    // A list of rows of its own (what every operation below makes of a view).
    void assign(size_t n, const CompareRow& row) {
        DropView();
        rows_.clear();
        for (size_t i = 0; i < n; ++i) rows_.push_back(row);
    }
    void push_back(const CompareRow& row) {
        StopViewing();
        rows_.push_back(row);
    }
    void push_back(CompareRow&& row) {
        StopViewing();
        rows_.push_back(std::move(row));
    }
    CompareRow& emplace_back() {
        StopViewing();
        return rows_.emplace_back();
    }
    void reserve(size_t) {}  // the rows grow in chunks; nothing is ever moved
    void resize(size_t n) {
        StopViewing();
        rows_.resize(n);
    }
    void clear() { assign(0, CompareRow()); }

    // Makes this list a view of base with its own row 0 and no other row yet.
    void ViewRowsOf(ResultList& base) {
        base_ = &base;
        rows_.clear();
        rows_.emplace_back();
        index_.assign(1, 0);
    }
    // Appends row i of the viewed list.
    void AddViewedRow(size_t i) { index_.push_back(static_cast<uint32_t>(i)); }
    // Makes view row i stand for row j of the viewed list.
    void SetViewedRow(size_t i, size_t j) { index_[i] = static_cast<uint32_t>(j); }
    // Keeps the view's first n rows.
    void KeepViewRows(size_t n) { index_.resize(n); }
    void ReserveViewRows(size_t n) { index_.reserve(n); }
    // The index in the viewed list of view row i (i itself for a list of its own).
    size_t ViewedIndex(size_t i) const { return base_ ? index_[i] : i; }
    // The rows of the viewed list, the ones the view leaves out included (the list's own rows
    // for a list of its own).
    size_t ViewedSize() const { return base_ ? base_->rows_.size() : rows_.size(); }
    const CompareRow& ViewedRow(size_t j) const { return base_ ? base_->rows_[j] : rows_[j]; }
    bool IsView() const { return base_ != nullptr; }
    // After the viewed rows moved into base (with the list that held them): views them there.
    void MoveViewOnto(ResultList& base) {
        if (base_) base_ = &base;
    }

private:
    // A view that is grown or cut like a list of its own becomes one: a copy of its rows.
    void StopViewing() {
        if (!base_) return;
        for (size_t i = 1; i < index_.size(); ++i) rows_.push_back(base_->rows_[index_[i]]);
        DropView();
    }
    void DropView() {
        base_ = nullptr;
        std::vector<uint32_t>().swap(index_);
    }

    // Chunks rather than one block: a list of a million rows grows without being copied whole
    // (and without the memory of a second copy at the moment it is largest).
    ChunkedList<CompareRow> rows_;
    ResultList* base_ = nullptr;
    std::vector<uint32_t> index_;
};
