#include "editor/protection/crash_reports.h"

namespace {

// WER_FAULT_REPORTING_FLAG_NOHEAP of werapi.h, which not every tool chain
// ships.
constexpr DWORD kNoHeap = 1;

}  // namespace

bool keepHeapOutOfCrashReports(WerSetFlagsFunction setFlags) {
  return setFlags && SUCCEEDED(setFlags(kNoHeap));
}

bool keepHeapOutOfCrashReports() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC found = kernel ? GetProcAddress(kernel, "WerSetFlags") : nullptr;
  // The cast through void* keeps compilers from warning about the
  // function pointer's changed type.
  return keepHeapOutOfCrashReports(reinterpret_cast<WerSetFlagsFunction>(reinterpret_cast<void*>(found)));
}
