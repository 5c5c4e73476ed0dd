#include "framework/help.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "orka/text/wide.h"

namespace fw {

bool showHtmlHelp(std::string_view helpFile) {
  const std::wstring path = orka::widen(helpFile);
  // The viewer answers a missing file with a box of its own; checking first
  // gives the caller one clear failure instead.
  if (path.empty() || GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;

  wchar_t windows[MAX_PATH];
  const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  // A full path, so that no hh.exe planted beside a document is started.
  std::wstring viewer(windows, length);
  if (viewer.back() != L'\\') viewer += L'\\';
  viewer += L"hh.exe";
  // Paths cannot hold quotes, so quoting is enough.
  std::wstring commandLine = L"\"" + viewer + L"\" \"" + path + L"\"";

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(viewer.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace fw
