#pragma once
// Which folder pair each row of a view belongs to. A profile's compare lists its pairs one after
// another, each beginning with its root row; a view may leave rows out (filters, empty
// folders), so the pairs are split on the compare's full list and the view's rows mapped onto it.

#include "engine/CompareTypes.h"
#include "engine/RowRules.h"

#include <QString>

#include <vector>

struct FolderPairRows {
    struct Pair {
        QString Root[2];                       // the pair's root folders as the compare listed them
        bool RootMissing[2] = {false, false};  // the compare found the root missing (AutoCreate)
        int FilesHeld[2] = {0, 0};             // files the side holds in the compare's result
    };
    std::vector<Pair> Pairs;  // at least one
    std::vector<int> RowPair;  // per view row, its index in Pairs

    // results: the compare's full list; view: the rows a command walks (results itself or a view
    // of it). A view that was not built from these results is split on its own rows.
    static FolderPairRows Of(const ResultList& results, const ResultList& view);

    const Pair* PairOf(size_t row) const {
        if (row >= RowPair.size()) return nullptr;
        const auto p = static_cast<size_t>(RowPair[row]);
        return p < Pairs.size() ? &Pairs[p] : nullptr;
    }
    // A pair begins at each root row of a list, and at its first row when that is none; the
    // rows before the next begin belong to it. Rows that begin no pair are given to the one
    // before; Begun says what the pair of a row that begins one knows from it.
    static bool BeginsPair(const CompareRow& row, bool first) { return first || IsRootRow(row); }
    static Pair Begun(const CompareRow& row);

    // The root on side s of the row's pair was missing at the compare: the run creates it.
    bool CreatesRootOf(size_t row, int side) const {
        const Pair* p = PairOf(row);
        return p && p->RootMissing[side];
    }
};
