#pragma once
// Copies of files on worker threads while the caller goes on with its walk. A synchronisation of
// many small files is mostly system calls (open, copy, metadata, name), one file after the other;
// two threads copying different files keep both cores busy and let one file's reading overlap
// another's writing. Every copy is FileSystem::CopyFile as on the caller's thread: each worker
// registers the caller's roots for itself (roots are per thread), so nothing it writes leaves them
// or passes through a link, and keeps its folders open from one file to the next.
//
// Results come back in the order the copies were added, so that the caller reports them as if
// it had copied them itself. A copy that had not begun when the cancel flag was raised is dropped
// untouched and says so; one that had begun ends as CopyFile ends on a cancel. A failure that
// must end the run (an unattended run that stops at its first error) stops the workers at once:
// the caller learns of it only when it takes the result, and no copy begins meanwhile.

#include "platform/FileSystem.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace FileSystem {

class CopyWorkers {
public:
    struct Copy {
        QString source;
        QString destination;
        SeenEntry seen;  // what the compare saw at the destination
    };
    struct Result {
        bool started = false;  // false: dropped by a cancel before it began, nothing written
        bool ok = false;
        int error = 0;  // LastError() of the copy when it failed
    };

    // Whether a failed copy's error ends the run: after such a failure no further copy begins.
    using StopRule = std::function<bool(int error)>;
    // Starts threads workers for copies that watch cancel; the roots registered on the calling
    // thread (BeneathRoot.h) are registered on each of them. stopAfter is asked on the workers'
    // threads.
    CopyWorkers(int threads, const std::atomic<bool>* cancel, StopRule stopAfter = {});
    // Drops the copies not yet begun and waits for the others; results not taken are lost, so a
    // caller takes them all (TakeFinished until Pending() is 0) before.
    ~CopyWorkers();
    CopyWorkers(const CopyWorkers&) = delete;
    CopyWorkers& operator=(const CopyWorkers&) = delete;

    void Add(Copy copy);
    // Added and not yet taken.
    size_t Pending() const;
    // The finished results at the front, in the order of Add. With waitMs > 0, first waits up to
    // that long until at least atLeast of them are finished (at most all that are pending).
    std::vector<Result> TakeFinished(int waitMs, size_t atLeast = 1);

    // Workers worth starting on this machine: none with a single core.
    static int DefaultThreads();

private:
    struct Slot {
        Copy copy;
        Result result;
        bool done = false;
    };
    void Work(bool rootsRegistered, const QStringList& roots);
    size_t FinishedAtFront() const;  // with mutex_ held

    const std::atomic<bool>* cancel_;
    const StopRule stopAfter_;
    mutable std::mutex mutex_;
    std::condition_variable workAdded_;
    std::condition_variable copyDone_;
    std::deque<Slot> slots_;  // in the order of Add; the front ones are taken first
    size_t nextToStart_ = 0;  // index in slots_ of the first copy no worker has begun
    bool stopping_ = false;
    bool halted_ = false;  // a failure ended the run: copies not yet begun are dropped
    // Waking a thread costs a system call each: workers are woken only when one is idle, the
    // caller only while it waits.
    int idleWorkers_ = 0;
    size_t awaited_ = 0;  // finished front results the waiting caller needs, 0 while it does not wait
    std::vector<std::thread> threads_;
};

// Tests: the number of workers DefaultThreads() answers; a negative value goes back to the
// machine's.
void SetCopyWorkersForTests(int threads);

}  // namespace FileSystem
