#include "editor/document/shortcut.h"

#include <shlobj.h>
#include <shobjidl.h>

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

}  // namespace

std::optional<std::string> resolveShortcut(const std::string& path, HWND owner) {
  ComRef<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.out()))))
    return std::nullopt;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out())))) return std::nullopt;
  if (FAILED(file->Load(orka::widen(path).c_str(), STGM_READ))) return std::nullopt;
  if (FAILED(link->Resolve(owner, SLR_ANY_MATCH))) return std::nullopt;
  wchar_t target[MAX_PATH] = {};
  // S_FALSE: the link has no path (it points at something else).
  if (link->GetPath(target, MAX_PATH, nullptr, 0) != S_OK || !target[0]) return std::nullopt;
  return orka::narrow(target);
}
