// Making the file system fail at one step of a save, through the native
// file seam, for the fault-injection tests of the document and the settings.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "orka/files/file_faults.h"

namespace testing_support {

using orka::detail::FileStep;
using orka::detail::StepOutcome;

// While it lives, the step with index `failAt` (counting every step from 0)
// goes as `outcome` and every other step proceeds; steps() lists what was
// asked.  A negative `failAt` only records.
class InjectedFault {
 public:
  InjectedFault(int failAt, StepOutcome outcome) {
    orka::detail::setFaultHook([this, failAt, outcome](FileStep step) {
      steps_.push_back(step);
      return static_cast<int>(steps_.size()) - 1 == failAt ? outcome : StepOutcome::kProceed;
    });
  }
  ~InjectedFault() { orka::detail::setFaultHook(nullptr); }
  InjectedFault(const InjectedFault&) = delete;
  InjectedFault& operator=(const InjectedFault&) = delete;

  const std::vector<FileStep>& steps() const { return steps_; }

 private:
  std::vector<FileStep> steps_;
};

inline const char* nameOf(FileStep step) {
  switch (step) {
    case FileStep::kCreate: return "create";
    case FileStep::kWrite: return "write";
    case FileStep::kFlush: return "flush";
    case FileStep::kClose: return "close";
    case FileStep::kReplace: return "replace";
  }
  return "?";
}

// Runs `save` once to learn its steps, then once for every step failing and
// every write stopping half-way (a full disk), calling `check` after each
// with a description of the fault.  Returns the steps as a readable list.
inline std::string forEveryFault(const std::function<void()>& save,
                                 const std::function<void(const std::string& fault, FileStep step)>& check) {
  std::vector<FileStep> steps;
  {
    InjectedFault recorder(-1, StepOutcome::kProceed);
    save();
    steps = recorder.steps();
  }
  std::string list;
  for (size_t i = 0; i < steps.size(); ++i) {
    list += (i ? " " : "") + std::string(nameOf(steps[i]));
    for (StepOutcome outcome : {StepOutcome::kFail, StepOutcome::kPartial}) {
      if (outcome == StepOutcome::kPartial && steps[i] != FileStep::kWrite) continue;
      const std::string fault = "step " + std::to_string(i) + " (" + nameOf(steps[i]) +
                                (outcome == StepOutcome::kPartial ? ", disk full)" : ")");
      {
        InjectedFault injected(static_cast<int>(i), outcome);
        save();
      }
      check(fault, steps[i]);
    }
  }
  return list;
}

}  // namespace testing_support
