// A registry kept in memory, answering like the Win32 registry functions
// (creating intermediate keys, refusing to delete a key that still has
// subkeys, not-found codes), for testing the helper's steps natively.
//
// Every call except root() and closeKey() is logged as one line such as
// "set HKLM\SOFTWARE\V\A LocalizedString"; failAtCall(n, status) makes the
// call with log index n fail with that status and change nothing.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tolvreg/registry.h"

namespace tolvreg_test {

using tolvreg::RegKey;
using tolvreg::RootKey;

class MemRegistry final : public tolvreg::Registry {
 public:
  MemRegistry();

  RegKey root(RootKey which) override;
  long createKey(RegKey parent, const std::wstring& path, RegKey* key) override;
  long openKey(RegKey parent, const std::wstring& path, RegKey* key) override;
  long setString(RegKey key, const std::wstring& name, const std::wstring& data) override;
  long enumSubKey(RegKey key, uint32_t index, std::wstring* name) override;
  long deleteKey(RegKey parent, const std::wstring& name) override;
  long deleteValue(RegKey key, const std::wstring& name) override;
  void closeKey(RegKey key) override;

  // Test-side access by full path such as L"HKCR\\Tolvane.vtxt".
  void addKey(const std::wstring& path);
  void addValue(const std::wstring& path, const std::wstring& name, const std::wstring& data);
  // A key that is listed by its parent but, like a registry link whose
  // target is gone, can be neither opened nor deleted.
  void addDanglingLink(const std::wstring& path);
  bool hasKey(const std::wstring& path) const;
  // Every key (as "path") and value (as "path|name=data", "@" for the default
  // value), sorted.
  std::vector<std::wstring> dump() const;

  void failAtCall(size_t index, long status) { failures_[index] = status; }
  const std::vector<std::wstring>& calls() const { return calls_; }
  size_t openHandles() const { return handles_.size(); }

 private:
  struct NoCaseLess {
    bool operator()(const std::wstring& a, const std::wstring& b) const;
  };
  struct Node {
    std::map<std::wstring, Node, NoCaseLess> children;
    std::map<std::wstring, std::wstring, NoCaseLess> values;
    bool dangling = false;
  };

  Node* find(const std::wstring& path);
  const Node* find(const std::wstring& path) const;
  std::optional<std::wstring> pathOf(RegKey key) const;
  // Logs the call; the injected status when this call is to fail, else 0.
  long logCall(const std::wstring& line);
  RegKey newHandle(const std::wstring& path);

  Node top_;  // children "HKLM" and "HKCR"
  std::map<RegKey, std::wstring> handles_;
  RegKey nextHandle_ = 0x1000;
  std::vector<std::wstring> calls_;
  std::map<size_t, long> failures_;
};

}  // namespace tolvreg_test
