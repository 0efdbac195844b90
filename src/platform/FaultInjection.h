#pragma once
// Internal to the platform layer: the steps of FaultPlan.h ask here whether a plan wants them to
// fail.

#include "platform/FaultPlan.h"

#include <atomic>

namespace FileSystem::Faults {

extern std::atomic<FaultPlan*> plan;

// The error the step on path must fail with, or 0.
inline int At(FaultPoint point, const QByteArray& path) {
    FaultPlan* const p = plan.load(std::memory_order_acquire);
    return p ? p->ErrorAt(point, path) : 0;
}
// The same for the entry name in folder: the path is joined only while a plan is in force.
inline int At(FaultPoint point, const QByteArray& folder, const QByteArray& name) {
    FaultPlan* const p = plan.load(std::memory_order_acquire);
    return p ? p->ErrorAt(point, folder + '/' + name) : 0;
}

// Forget what the layer learnt about the file system and the kernel while a plan was in force.
void ForgetUnnamedFileSupport();
void ForgetOpenat2Support();

}  // namespace FileSystem::Faults
