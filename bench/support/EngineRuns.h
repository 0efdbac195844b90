#pragma once
// The program's own runs as the unattended start makes them: a profile with one folder pair,
// the compare run into the file view, the synchronisation run over the whole view list. Each
// function is meant to run inside a measurement child (bench::RunInChild).

#include <QString>

#include <array>
#include <cstdint>

class RunHost;

namespace bench {

// Which toolbar directions a synchronisation uses (SyncOptions 0..4).
using Directions = std::array<bool, 5>;
constexpr Directions BothWays{true, true, false, false, false};
// Make the right folder a mirror of the left: copy left to right, delete what only the right holds.
constexpr Directions Mirror{true, false, false, false, true};

struct EngineTiming {
    double compareSeconds = 0;
    double syncSeconds = 0;
    int64_t rows = 0;        // rows of the result list (entries of both sides, paired)
    int64_t viewRows = 0;
    bool compareOk = false;  // the compare run listed both roots
    bool syncRan = false;
    bool errors = false;
};

// Sets up the program state of an unattended run (settings that keep everything inside the
// benchmark folder, -auto -dontask -hide) with a profile holding the one pair.
void PrepareUnattendedRun(const QString& left, const QString& right, const Directions& directions,
                          bool dontAsk = true);
// One side's walk on its own, as the compare walks that side of the pair set up by
// PrepareUnattendedRun (same masks, switches and options, the other root left out): every
// folder listed and put in order, without a merge.
struct SideListing {
    double listSeconds = 0;
    int64_t entries = 0;
    bool ok = false;            // the root could be listed
};
SideListing ListOneSide(const QString& root, const QString& otherRoot);

// Runs the compare (and, when sync is set, the synchronisation) with the given host (the
// headless host of the unattended program when null).
EngineTiming RunEngine(bool sync, RunHost* host = nullptr);

}  // namespace bench
