#include "editor/document/shortcut.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "orka/text/wide.h"

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }

 private:
  T* p_ = nullptr;
};

// A shell link's first bytes: the header's size, then the link class
// {00021401-0000-0000-C000-000000000046}, both little-endian.
constexpr unsigned char kLinkHeader[20] = {0x4C, 0x00, 0x00, 0x00, 0x01, 0x14, 0x02, 0x00, 0x00, 0x00,
                                           0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

}  // namespace

bool isShellLink(const std::string& path) {
  HANDLE file = CreateFileW(orka::widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  unsigned char head[sizeof kLinkHeader] = {};
  DWORD got = 0;
  const BOOL read = ReadFile(file, head, sizeof head, &got, nullptr);
  CloseHandle(file);
  return read && got == sizeof head && std::memcmp(head, kLinkHeader, sizeof head) == 0;
}

std::optional<std::string> resolveShortcut(const std::string& path, HWND owner) {
  if (!isShellLink(path)) return std::nullopt;
  ComRef<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.out()))))
    return std::nullopt;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return std::nullopt;
  if (FAILED(file->Load(orka::widen(path).c_str(), STGM_READ))) return std::nullopt;
  if (FAILED(link->Resolve(owner, SLR_NO_UI | SLR_NOSEARCH | SLR_NOTRACK))) return std::nullopt;
  wchar_t target[MAX_PATH] = {};
  // S_FALSE: the link has no path (it points at something else).
  if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || !target[0]) return std::nullopt;
  return orka::narrow(target);
}
