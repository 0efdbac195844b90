#pragma once
// One run of a command (synchronisation, popup copy or deletion) as an object: it carries out a
// plan (RunPlan.h) and owns what the run needs while it lasts: its tally, its guards, the batch
// of replacements and the copy workers of the walk in progress, and the host it reports to.
// At its end the tally becomes the last command's (Run().Tally), where the windows read it.

#include "engine/CompareTypes.h"
#include "engine/RunPlan.h"
#include "engine/RunState.h"
#include "engine/SyncGuards.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

class RunHost;

namespace FileSystem {
class ReplacementBatch;
class CopyWorkers;
}  // namespace FileSystem

// The copies of the walk in progress whose report is still to come: replacements waiting in its
// batch, and new files handed to its copy workers (started with the walk's first new file).
struct CopyQueue {
    struct Waiting {
        int side;
        int row;
    };
    std::unique_ptr<FileSystem::ReplacementBatch> batch;  // only during a copy pass
    std::vector<Waiting> waiting;
    std::unique_ptr<FileSystem::CopyWorkers> workers;
    std::deque<Waiting> handedOut;  // in the order handed out, which is that of the results
};

class SyncJob {
public:
    // cancel: the flag the window's Cancel button sets (Run().CancelRequested).
    SyncJob(ResultList& view, RunHost& host, std::atomic<bool>& cancel);
    ~SyncJob();
    SyncJob(const SyncJob&) = delete;
    SyncJob& operator=(const SyncJob&) = delete;

    // Sets up the guards of a synchronisation over the plan (a popup copy or deletion has none).
    RunGuards& Guard(const RunPlan& plan);
    // Carries out one pass of the plan; a copy pass with its batch and workers, finished before
    // it returns (after a cancel the waiting replacements are discarded).
    void RunPass(const RunPlan& plan, const PlannedPass& pass);
    // The progress total of a copy pass as things stand now: the files it will still copy.
    void CountCopies(const RunPlan& plan, const PlannedPass& pass);
    // Makes the tally the last command's, with whether it stopped at a Cancel.
    void Publish();

    bool Cancelled() const { return cancel.load(); }

    ResultList& view;
    RunHost& host;
    std::atomic<bool>& cancel;
    RunTally tally;
    int64_t totalBytes = 0;         // what the copy passes will copy, for the progress window
    bool resetSource = false;       // clear the archive bit of the source after a copy
    bool resetDestination = false;  // give the destination the source's attributes without archive
    std::optional<RunGuards> guards;
    CopyQueue copies;
    // Per view row, what the run did to it (TwoWayState.h, RowDone): the remembered state of a
    // two-way pair is written from it at the end.
    std::vector<uint8_t> rowDone;

private:
    void DeletePass(const RunPlan& plan, const PlannedPass& pass);
    void KeepConflicts(const RunPlan& plan, const PlannedPass& pass);
    void CopyPass(const RunPlan& plan, const PlannedPass& pass);
    // Whether a planned copy is still to make: an earlier pass may have deleted its source, or
    // its destination where only one-sided entries are copied.
    bool StillToCopy(const RunPlan& plan, const PlannedPass& pass, const PlannedAction& action) const;
    bool Held(size_t row, int side) const { return guards && guards->DeletionHeld(row, side); }
    // A deletion the guards kept back: declined when the user chose it, else skipped.
    void CountHeld(size_t row, int side);
};
