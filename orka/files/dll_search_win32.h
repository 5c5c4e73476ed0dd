// Where the programs may load libraries from (Windows only; header only, so
// that Tolvreg, which links nothing of the editor, uses the same rule).
//
// Every library the programs load after start-up (the help viewer, COM
// servers, the shell's helpers) lives in the system folder.  Looking for one
// by bare name in the program's own folder or the current directory first
// would load whatever file of that name was planted there; Tolvreg runs with
// administrator rights, which makes that matter all the more.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace orka {

// Call first thing in the program.  Restricts the search to the system
// folder where the system can (Windows 8, or 7 with its loader update) and
// at least drops the current directory elsewhere.
inline void restrictDllSearchToSystem() {
  SetDllDirectoryW(L"");
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// Loads `name` from the system folder only.
inline HMODULE loadSystemLibrary(const wchar_t* name) {
  return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace orka
