// The registry as the helper uses it: a thin seam over the Win32 registry
// functions, so that the steps that write and remove an association run the
// same against the real registry (system_host_win32.cpp) and against the
// in-memory one of the tests.
//
// Every operation answers with the status code of the Win32 call it stands
// for (0 on success, the system error number otherwise) and never throws.
// Keys are opaque handles; the two roots are always open and are never
// closed.  Key names compare without regard to case.  Single-threaded.
#pragma once

#include <cstdint>
#include <string>

namespace tolvreg {

// The status codes the steps look at; any other non-zero code is a failure.
constexpr long kRegOk = 0;             // ERROR_SUCCESS
constexpr long kRegFileNotFound = 2;   // ERROR_FILE_NOT_FOUND
constexpr long kRegPathNotFound = 3;   // ERROR_PATH_NOT_FOUND
constexpr long kRegAccessDenied = 5;   // ERROR_ACCESS_DENIED
constexpr long kRegNoMoreItems = 259;  // ERROR_NO_MORE_ITEMS

inline bool isNotFound(long status) { return status == kRegFileNotFound || status == kRegPathNotFound; }

using RegKey = std::uintptr_t;

enum class RootKey { kLocalMachine, kClassesRoot };

class Registry {
 public:
  virtual ~Registry() = default;

  virtual RegKey root(RootKey which) = 0;
  // Creates `path` below `parent` (with any missing keys on the way) or opens
  // it when it exists, with full access (RegCreateKeyExW).
  virtual long createKey(RegKey parent, const std::wstring& path, RegKey* key) = 0;
  // Opens an existing key with full access (RegOpenKeyExW).
  virtual long openKey(RegKey parent, const std::wstring& path, RegKey* key) = 0;
  // Sets a REG_SZ value; an empty name sets the key's default value
  // (RegSetValueExW).
  virtual long setString(RegKey key, const std::wstring& name, const std::wstring& data) = 0;
  // The name of the subkey at `index`, kRegNoMoreItems past the last one
  // (RegEnumKeyExW).
  virtual long enumSubKey(RegKey key, uint32_t index, std::wstring* name) = 0;
  // Deletes a subkey that has no subkeys of its own (RegDeleteKeyW).
  virtual long deleteKey(RegKey parent, const std::wstring& name) = 0;
  // Deletes a value (RegDeleteValueW).
  virtual long deleteValue(RegKey key, const std::wstring& name) = 0;
  virtual void closeKey(RegKey key) = 0;
};

}  // namespace tolvreg
