#pragma once
// Counts what a synchronisation of a whole view would do while the view's rows pass by once, in
// order: the planner's rules taken row by row (PlanRules.h). It holds nothing per row, so a
// refresh of a long list can count as it builds the view.

#include "engine/FolderPairRows.h"
#include "engine/PlanRules.h"

class RunCounter {
public:
    // request: a command over the whole list (row 0, not its folder only).
    RunCounter(const ResultList& results, const RunRequest& request);

    // View row i, counted from 1 without gaps, which is row j of the compare's list.
    void Take(size_t i, size_t j, const CompareRow& row);
    // False when the view's first row is no folder: the command is then one on that file alone,
    // which only a plan counts (the counts are left at nothing).
    bool Counted() const { return wholeList_; }
    const RunCounts& Counts() const { return counts_; }

private:
    // The pair of row j of the compare's list; j never goes back.
    const FolderPairRows::Pair& PairAt(size_t j);

    const ResultList& results_;
    const PassList passes_;
    const bool guarded_;
    bool wholeList_;
    size_t nextPairRow_ = 1;
    FolderPairRows::Pair pair_;
    RunCounts counts_;
};
