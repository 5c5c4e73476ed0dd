#include "mem_registry.h"

#include <algorithm>
#include <cwctype>

namespace tolvreg_test {
namespace {

constexpr RegKey kLocalMachineHandle = 1;
constexpr RegKey kClassesRootHandle = 2;
constexpr long kKeyDeleted = 1018;  // ERROR_KEY_DELETED: the handle's key is gone

std::vector<std::wstring> splitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

std::wstring join(const std::wstring& parent, const std::wstring& child) {
  return child.empty() ? parent : parent + L"\\" + child;
}

}  // namespace

bool MemRegistry::NoCaseLess::operator()(const std::wstring& a, const std::wstring& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
    return std::towlower(static_cast<std::wint_t>(x)) < std::towlower(static_cast<std::wint_t>(y));
  });
}

MemRegistry::MemRegistry() {
  top_.children[L"HKLM"];
  top_.children[L"HKCR"];
}

RegKey MemRegistry::root(RootKey which) {
  return which == RootKey::kLocalMachine ? kLocalMachineHandle : kClassesRootHandle;
}

std::optional<std::wstring> MemRegistry::pathOf(RegKey key) const {
  if (key == kLocalMachineHandle) return std::wstring(L"HKLM");
  if (key == kClassesRootHandle) return std::wstring(L"HKCR");
  auto it = handles_.find(key);
  if (it == handles_.end()) return std::nullopt;
  return it->second;
}

const MemRegistry::Node* MemRegistry::find(const std::wstring& path) const {
  const Node* node = &top_;
  for (const std::wstring& part : splitPath(path)) {
    auto it = node->children.find(part);
    if (it == node->children.end()) return nullptr;
    node = &it->second;
  }
  return node;
}

MemRegistry::Node* MemRegistry::find(const std::wstring& path) {
  return const_cast<Node*>(static_cast<const MemRegistry*>(this)->find(path));
}

long MemRegistry::logCall(const std::wstring& line) {
  calls_.push_back(line);
  auto it = failures_.find(calls_.size() - 1);
  return it == failures_.end() ? tolvreg::kRegOk : it->second;
}

RegKey MemRegistry::newHandle(const std::wstring& path) {
  handles_[nextHandle_] = path;
  return nextHandle_++;
}

long MemRegistry::createKey(RegKey parent, const std::wstring& path, RegKey* key) {
  const std::optional<std::wstring> base = pathOf(parent);
  const std::wstring full = join(base.value_or(L"?"), path);
  if (long injected = logCall(L"create " + full)) return injected;
  Node* node = base ? find(*base) : nullptr;
  if (!node) return kKeyDeleted;
  for (const std::wstring& part : splitPath(path)) node = &node->children[part];
  *key = newHandle(full);
  return tolvreg::kRegOk;
}

long MemRegistry::openKey(RegKey parent, const std::wstring& path, RegKey* key) {
  const std::optional<std::wstring> base = pathOf(parent);
  const std::wstring full = join(base.value_or(L"?"), path);
  if (long injected = logCall(L"open " + full)) return injected;
  if (!base || !find(*base)) return kKeyDeleted;
  const Node* node = find(full);
  if (!node || node->dangling) return tolvreg::kRegFileNotFound;
  *key = newHandle(full);
  return tolvreg::kRegOk;
}

long MemRegistry::setString(RegKey key, const std::wstring& name, const std::wstring& data) {
  const std::optional<std::wstring> path = pathOf(key);
  if (long injected = logCall(L"set " + path.value_or(L"?") + L" " + (name.empty() ? L"@" : name)))
    return injected;
  Node* node = path ? find(*path) : nullptr;
  if (!node) return kKeyDeleted;
  node->values[name] = data;
  return tolvreg::kRegOk;
}

long MemRegistry::enumSubKey(RegKey key, uint32_t index, std::wstring* name) {
  const std::optional<std::wstring> path = pathOf(key);
  if (long injected = logCall(L"enum " + path.value_or(L"?"))) return injected;
  const Node* node = path ? find(*path) : nullptr;
  if (!node) return kKeyDeleted;
  if (index >= node->children.size()) return tolvreg::kRegNoMoreItems;
  *name = std::next(node->children.begin(), index)->first;
  return tolvreg::kRegOk;
}

long MemRegistry::deleteKey(RegKey parent, const std::wstring& name) {
  const std::optional<std::wstring> base = pathOf(parent);
  const std::wstring full = join(base.value_or(L"?"), name);
  if (long injected = logCall(L"delete " + full)) return injected;
  Node* parentNode = base ? find(*base) : nullptr;
  if (!parentNode) return kKeyDeleted;
  auto it = parentNode->children.find(name);
  if (it == parentNode->children.end() || it->second.dangling) return tolvreg::kRegFileNotFound;
  if (!it->second.children.empty()) return tolvreg::kRegAccessDenied;
  parentNode->children.erase(it);
  return tolvreg::kRegOk;
}

long MemRegistry::deleteValue(RegKey key, const std::wstring& name) {
  const std::optional<std::wstring> path = pathOf(key);
  if (long injected = logCall(L"deletevalue " + path.value_or(L"?") + L" " + name)) return injected;
  Node* node = path ? find(*path) : nullptr;
  if (!node) return kKeyDeleted;
  return node->values.erase(name) ? tolvreg::kRegOk : tolvreg::kRegFileNotFound;
}

void MemRegistry::closeKey(RegKey key) { handles_.erase(key); }

void MemRegistry::addKey(const std::wstring& path) {
  Node* node = &top_;
  for (const std::wstring& part : splitPath(path)) node = &node->children[part];
}

void MemRegistry::addValue(const std::wstring& path, const std::wstring& name, const std::wstring& data) {
  addKey(path);
  find(path)->values[name] = data;
}

void MemRegistry::addDanglingLink(const std::wstring& path) {
  addKey(path);
  find(path)->dangling = true;
}

bool MemRegistry::hasKey(const std::wstring& path) const { return find(path) != nullptr; }

std::vector<std::wstring> MemRegistry::dump() const {
  std::vector<std::wstring> lines;
  struct Walker {
    std::vector<std::wstring>* out;
    void walk(const Node& node, const std::wstring& path) {
      for (const auto& [name, child] : node.children) {
        const std::wstring childPath = path.empty() ? name : path + L"\\" + name;
        out->push_back(childPath);
        for (const auto& [valueName, data] : child.values)
          out->push_back(childPath + L"|" + (valueName.empty() ? L"@" : valueName) + L"=" + data);
        walk(child, childPath);
      }
    }
  };
  Walker{&lines}.walk(top_, L"");
  // The roots themselves are always there.
  lines.erase(std::remove_if(lines.begin(), lines.end(),
                             [](const std::wstring& l) { return l == L"HKLM" || l == L"HKCR"; }),
              lines.end());
  std::sort(lines.begin(), lines.end());
  return lines;
}

}  // namespace tolvreg_test
