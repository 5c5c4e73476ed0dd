#include "orka/files/file_faults.h"

#include <utility>

namespace orka {
namespace detail {
namespace {

FaultHook& installedHook() {
  static FaultHook hook;
  return hook;
}

}  // namespace

void setFaultHook(FaultHook hook) { installedHook() = std::move(hook); }

StepOutcome faultAt(FileStep step) {
  const FaultHook& hook = installedHook();
  return hook ? hook(step) : StepOutcome::kProceed;
}

}  // namespace detail
}  // namespace orka
