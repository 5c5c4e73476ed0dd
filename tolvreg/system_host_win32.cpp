#include "tolvreg/system_host.h"

#include <windows.h>

#include "orka/files/wide_path.h"

namespace tolvreg {
namespace {

// Calls a path function the documented way: once for the size, once for the
// text.  Empty when it fails.
template <typename Call>
std::wstring askForPath(Call call) {
  const DWORD needed = call(nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring text(needed, L'\0');
  const DWORD length = call(&text[0], needed);
  if (length == 0 || length >= needed) return std::wstring();
  text.resize(length);
  return text;
}

HKEY toHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }
RegKey fromHkey(HKEY key) { return reinterpret_cast<RegKey>(key); }

class Win32Registry final : public Registry {
 public:
  RegKey root(RootKey which) override {
    return fromHkey(which == RootKey::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT);
  }

  long createKey(RegKey parent, const std::wstring& path, RegKey* key) override {
    HKEY created = nullptr;
    const LSTATUS status = RegCreateKeyExW(toHkey(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_ALL_ACCESS, nullptr, &created, nullptr);
    if (status == ERROR_SUCCESS) *key = fromHkey(created);
    return status;
  }

  long openKey(RegKey parent, const std::wstring& path, RegKey* key) override {
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(toHkey(parent), path.c_str(), 0, KEY_ALL_ACCESS, &opened);
    if (status == ERROR_SUCCESS) *key = fromHkey(opened);
    return status;
  }

  long setString(RegKey key, const std::wstring& name, const std::wstring& data) override {
    // The size counts the terminating zero, as REG_SZ readers expect it.
    const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(toHkey(key), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()), bytes);
  }

  long enumSubKey(RegKey key, uint32_t index, std::wstring* name) override {
    // Key names are at most 255 characters.
    wchar_t buffer[256];
    DWORD length = 256;
    const LSTATUS status =
        RegEnumKeyExW(toHkey(key), index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) name->assign(buffer, length);
    return status;
  }

  long deleteKey(RegKey parent, const std::wstring& name) override {
    return RegDeleteKeyW(toHkey(parent), name.c_str());
  }

  long deleteValue(RegKey key, const std::wstring& name) override {
    return RegDeleteValueW(toHkey(key), name.c_str());
  }

  void closeKey(RegKey key) override { RegCloseKey(toHkey(key)); }
};

class Win32Host final : public HelperHost {
 public:
  Registry& registry() override { return registry_; }

  unsigned long majorVersion() override {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#ifdef _MSC_VER
#pragma warning(suppress : 4996)  // deprecated, but it is what tells XP from Vista
#endif
    GetVersionExW(&info);
    return info.dwMajorVersion;
  }

  void warnNotToRunDirectly() override {
    MessageBoxW(nullptr, L"このファイルを直接実行しないで下さい。", L"ファイル関連付け",
                MB_ICONEXCLAMATION | MB_OK);
  }

  std::wstring programFolder() override {
    // Long paths need more than MAX_PATH; grow until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = GetModuleFileNameW(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
      if (length == 0) return std::wstring();
      if (length < buffer.size()) {
        buffer.resize(length);
        break;
      }
      if (buffer.size() >= 32768) return std::wstring();
      buffer.resize(buffer.size() * 2);
    }
    const size_t slash = buffer.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : buffer.substr(0, slash);
  }

  std::wstring longPath(const std::wstring& path) override {
    const std::wstring full = orka::fullPathName(path);
    if (full.empty()) return full;
    const std::wstring expanded =
        askForPath([&full](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
    return expanded.empty() ? full : expanded;
  }

 private:
  Win32Registry registry_;
};

}  // namespace

HelperHost& systemHost() {
  static Win32Host host;
  return host;
}

}  // namespace tolvreg
