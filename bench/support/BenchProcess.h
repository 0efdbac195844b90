#pragma once
// Timing and memory of one measurement, each in a process of its own so that the peak resident
// size belongs to that measurement alone and no state leaks from one repetition to the next.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// What one measurement reports. The timed part is chosen by the measured code itself (the
// set-up in the same child is not timed).
struct Sample {
    double seconds = 0;
    double cpuSeconds = 0;         // user + system time of the whole child (all its threads)
    int64_t peakKiB = 0;           // VmHWM of the child at its end
    std::vector<double> values;    // free numbers the measured code reports (counts, etc.)
    bool ok = false;
    std::string error;
};

// Runs body in a forked child. body fills seconds and values; the child adds peakKiB from
// /proc/self/status. The parent must not have started threads (only the child runs engine code).
Sample RunInChild(const std::function<void(Sample&)>& body);

// Runs a program (argv[0] searched in PATH) with standard output discarded; times it from the
// spawn to the end. peakKiB is the child's maximum resident size (wait4). ok is true for exit
// status 0, or for a status listed in acceptedStatus.
Sample RunCommand(const std::vector<std::string>& argv, const std::vector<int>& acceptedStatus = {},
                  const std::vector<std::string>& extraEnvironment = {});

// Peak resident size of the calling process (VmHWM) in KiB.
int64_t PeakResidentKiB();

double Median(std::vector<double> values);
double NowSeconds();  // a monotonic clock

// Writes back dirty pages so that one measurement does not pay for the writes of the last.
void SyncFileSystem();

}  // namespace bench
