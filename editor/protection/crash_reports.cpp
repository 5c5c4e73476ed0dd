#include "editor/protection/crash_reports.h"

#include <windows.h>

namespace {

// WER_FAULT_REPORTING_FLAG_NOHEAP of werapi.h, which not every tool chain
// ships.
constexpr DWORD kNoHeap = 1;

using WerSetFlagsFunction = HRESULT(WINAPI*)(DWORD flags);

}  // namespace

bool keepHeapOutOfCrashReports() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  FARPROC found = kernel ? GetProcAddress(kernel, "WerSetFlags") : nullptr;
  if (!found) return false;
  // Through void*, which compilers accept without a warning about the
  // function's changed type.
  auto setFlags = reinterpret_cast<WerSetFlagsFunction>(reinterpret_cast<void*>(found));
  return SUCCEEDED(setFlags(kNoHeap));
}
