// What every platform's NativeFile shares: the fault seam in front of the
// system calls, so that a test's injected failure behaves the same on both.
#include "orka/files/native_file.h"

#include "orka/files/file_faults.h"

namespace orka {
namespace detail {

NativeFile::OpenResult NativeFile::open(const std::string& path, Mode mode) {
  if (mode != Mode::kRead && faultAt(FileStep::kCreate) != StepOutcome::kProceed) return OpenResult::kFailed;
  return systemOpen(path, mode);
}

bool NativeFile::close() {
  if (handle_ == kInvalid) return true;
  const bool ok = systemClose();
  return faultAt(FileStep::kClose) == StepOutcome::kProceed && ok;
}

bool NativeFile::write(const void* data, uint32_t count, uint32_t* done) {
  const StepOutcome fault = faultAt(FileStep::kWrite);
  if (fault == StepOutcome::kFail) {
    *done = 0;
    return false;
  }
  // A full disk takes part of a write and refuses the rest.
  const uint32_t allowed = fault == StepOutcome::kPartial ? count / 2 : count;
  return systemWrite(data, allowed, done) && fault == StepOutcome::kProceed;
}

bool NativeFile::flush() { return faultAt(FileStep::kFlush) == StepOutcome::kProceed && systemFlush(); }

}  // namespace detail
}  // namespace orka
