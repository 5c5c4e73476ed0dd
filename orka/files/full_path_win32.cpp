// fullPathName (wide_path.h), in a file of its own so that a program that
// needs only this (the association helper) links nothing else of orka.
#include <windows.h>

#include "orka/files/wide_path.h"

namespace orka {

std::wstring fullPathName(const std::wstring& path) {
  // Asked once for the size and once for the text: a path may be longer
  // than MAX_PATH, and the current folder may change in between, which the
  // second answer then shows by asking for more.
  const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return std::wstring();
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
  if (length == 0 || length >= needed) return std::wstring();
  full.resize(length);
  return full;
}

}  // namespace orka
