#include "platform/FaultPlan.h"

#include "platform/FaultInjection.h"

namespace FileSystem {

std::atomic<FaultPlan*> Faults::plan{nullptr};

FaultPlanScope::FaultPlanScope(FaultPlan& plan) { Faults::plan.store(&plan, std::memory_order_release); }

FaultPlanScope::~FaultPlanScope() {
    Faults::plan.store(nullptr, std::memory_order_release);
    Faults::ForgetUnnamedFileSupport();
    Faults::ForgetOpenat2Support();
}

}  // namespace FileSystem
