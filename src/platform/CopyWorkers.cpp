#include "platform/CopyWorkers.h"

#include "platform/BeneathRoot.h"
#include "platform/CopyNames.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace FileSystem {

namespace {
std::atomic<int> workersForTests{-1};
}

void SetCopyWorkersForTests(int threads) { workersForTests.store(threads, std::memory_order_relaxed); }

int CopyWorkers::DefaultThreads() {
    const int forced = workersForTests.load(std::memory_order_relaxed);
    if (forced >= 0) return forced;
    // Two are enough to keep the system calls of one file running while another's are: more
    // threads only contend for the same folder locks.
    return std::thread::hardware_concurrency() >= 2 ? 2 : 0;
}

CopyWorkers::CopyWorkers(int threads, const std::atomic<bool>* cancel, StopRule stopAfter)
    : cancel_(cancel), stopAfter_(std::move(stopAfter)) {
    const bool registered = RootsRegistered();
    const QStringList roots = RegisteredRoots();
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this, registered, roots] { Work(registered, roots); });
}

CopyWorkers::~CopyWorkers() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workAdded_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void CopyWorkers::Add(Copy copy) {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        slots_.push_back(Slot{std::move(copy), {}, false});
        wake = idleWorkers_ > 0;
    }
    if (wake) workAdded_.notify_one();
}

size_t CopyWorkers::Pending() const {
    const std::lock_guard lock(mutex_);
    return slots_.size();
}

size_t CopyWorkers::FinishedAtFront() const {
    size_t n = 0;
    while (n < slots_.size() && slots_[n].done) ++n;
    return n;
}

std::vector<CopyWorkers::Result> CopyWorkers::TakeFinished(int waitMs, size_t atLeast) {
    std::unique_lock lock(mutex_);
    atLeast = std::min(atLeast, slots_.size());
    if (waitMs > 0 && FinishedAtFront() < atLeast) {
        awaited_ = atLeast;
        copyDone_.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return FinishedAtFront() >= atLeast; });
        awaited_ = 0;
    }
    std::vector<Result> results;
    while (!slots_.empty() && slots_.front().done) {
        results.push_back(slots_.front().result);
        slots_.pop_front();
        --nextToStart_;
    }
    return results;
}

void CopyWorkers::Work(bool rootsRegistered, const QStringList& roots) {
    // The same confinement as the thread that hands out the copies; without roots there, none here.
    std::optional<RootScope> scope;
    if (rootsRegistered) scope.emplace(roots);
    const FolderHandleScope folders;
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idleWorkers_;
        workAdded_.wait(lock, [this] { return stopping_ || nextToStart_ < slots_.size(); });
        --idleWorkers_;
        if (stopping_) return;
        // A deque keeps its elements in place while others are added at the back or taken from
        // the front, and the front is only taken once it is done.
        Slot& slot = slots_[nextToStart_++];
        const Copy copy = std::move(slot.copy);
        const bool halted = halted_;
        lock.unlock();
        Result result;
        bool halts = false;
        if (!halted && !(cancel_ && cancel_->load())) {
            result.started = true;
            result.ok = CopyFile(copy.source, copy.destination, {}, cancel_, copy.seen);
            result.error = result.ok ? 0 : LastError();
            halts = !result.ok && stopAfter_ && stopAfter_(result.error);
        }
        lock.lock();
        if (halts) halted_ = true;
        slot.result = result;
        slot.done = true;
        if (awaited_ > 0 && FinishedAtFront() >= awaited_) copyDone_.notify_one();
    }
}

}  // namespace FileSystem
