#include "engine/FolderPairRows.h"

#include "engine/RowRules.h"

namespace {

bool SameEntry(const CompareRow& a, const CompareRow& b) {
    return a.Name(0) == b.Name(0) && a.Name(1) == b.Name(1) && a.Folder(0) == b.Folder(0) &&
           a.Folder(1) == b.Folder(1);
}

bool IsFileOn(const CompareRow& row, int s) { return row.Exists(s) && (row.Attributes[s] & Attr::Directory) == 0; }

// The pairs of a list (one per root row; rows before the first root row count to a first pair)
// and the pair of each of its rows.
std::vector<int> SplitIntoPairs(const ResultList& list, std::vector<FolderPairRows::Pair>& pairs) {
    std::vector<int> rowPair(list.size(), 0);
    pairs.clear();
    for (size_t i = 1; i < list.size(); ++i) {
        const CompareRow& row = list[i];
        if (FolderPairRows::BeginsPair(row, pairs.empty())) pairs.push_back(FolderPairRows::Begun(row));
        const int p = static_cast<int>(pairs.size()) - 1;
        rowPair[i] = p;
        for (int s = 0; s < 2; ++s)
            if (IsFileOn(row, s)) ++pairs[static_cast<size_t>(p)].FilesHeld[s];
    }
    if (pairs.empty()) pairs.emplace_back();
    return rowPair;
}

// The view list is the result list with rows left out, in the same order: each view row is
// found by walking the result list forward. False when a view row is not there (a view that
// was not built from these results).
bool MapViewOntoResults(const ResultList& results, const std::vector<int>& resultPair, const ResultList& view,
                        std::vector<int>& viewPair) {
    // A view of these very rows knows where each of its rows comes from.
    if (view.IsView()) {
        viewPair.assign(view.size(), 0);
        for (size_t i = 1; i < view.size(); ++i) {
            const size_t j = view.ViewedIndex(i);
            if (j >= results.size() || &view[i] != &results[j]) return false;
            viewPair[i] = resultPair[j];
        }
        return true;
    }
    // A view that left nothing out is the result list itself.
    if (view.size() == results.size()) {
        viewPair = resultPair;
        return true;
    }
    viewPair.assign(view.size(), 0);
    size_t j = 1;
    for (size_t i = 1; i < view.size(); ++i) {
        while (j < results.size() && !SameEntry(results[j], view[i])) ++j;
        if (j >= results.size()) return false;
        viewPair[i] = resultPair[j++];
    }
    return true;
}

}  // namespace

FolderPairRows::Pair FolderPairRows::Begun(const CompareRow& row) {
    Pair pair;
    if (!IsRootRow(row)) return pair;
    for (int s = 0; s < 2; ++s) {
        pair.Root[s] = row.Folder(s);
        pair.RootMissing[s] = row.Attributes[s] == Attr::Invalid;
    }
    return pair;
}

FolderPairRows FolderPairRows::Of(const ResultList& results, const ResultList& view) {
    FolderPairRows rows;
    const std::vector<int> resultPair = SplitIntoPairs(results, rows.Pairs);
    if (!MapViewOntoResults(results, resultPair, view, rows.RowPair)) rows.RowPair = SplitIntoPairs(view, rows.Pairs);
    return rows;
}
