// A seam for tests: makes a chosen step of writing a file fail, as a failing
// disk would.
//
// The native file back ends ask faultAt() before each step of writing, and
// the safe write before it replaces the target; without a hook installed
// every step proceeds.  A write that is told kPartial moves half of its
// bytes and then fails, as a write that fills the disk does; a replacement
// told kPartial fails half-way, as ReplaceFileW can: the old file is gone
// from its name, the new one stays under its temporary name, and the move
// that would put it in place fails too.  The hook is process-wide and meant
// for one thread: install it, run one save, remove it.
#pragma once

#include <functional>

namespace orka {
namespace detail {

enum class FileStep { kCreate, kWrite, kFlush, kClose, kReplace };
enum class StepOutcome { kProceed, kFail, kPartial };

using FaultHook = std::function<StepOutcome(FileStep)>;

// Installs `hook` (an empty one removes it).
void setFaultHook(FaultHook hook);
StepOutcome faultAt(FileStep step);

}  // namespace detail
}  // namespace orka
