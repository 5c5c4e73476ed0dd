#include "tolvreg/registry_steps.h"

namespace tolvreg {
namespace {

const wchar_t kRegisteredApplications[] = L"SOFTWARE\\RegisteredApplications";

struct WriteStep {
  RootKey root;
  std::wstring path;
  std::vector<NamedValue> values;
};

bool runWriteSteps(Registry& registry, const std::vector<WriteStep>& steps) {
  for (const WriteStep& step : steps)
    if (!writeValues(registry, step.root, step.path, step.values)) return false;
  return true;
}

// The file type under HKEY_CLASSES_ROOT, shared by both variants.
void addFileTypeSteps(const AssocRequest& request, std::vector<WriteStep>* steps) {
  const std::wstring type = request.fileTypeId();
  steps->push_back({RootKey::kClassesRoot, type, {{L"", request.typeName}}});
  steps->push_back({RootKey::kClassesRoot, type + L"\\DefaultIcon", {{L"", request.icon}}});
  steps->push_back({RootKey::kClassesRoot, type + L"\\shell", {{L"", L"open"}}});
  steps->push_back({RootKey::kClassesRoot, type + L"\\shell\\open\\command", {{L"", request.openCommand}}});
}

std::vector<WriteStep> vistaRegisterSteps(const AssocRequest& request) {
  const std::wstring application = L"SOFTWARE\\" + request.vendorKey + L"\\" + request.applicationId;
  const std::wstring capabilities = application + L"\\Capabilities";
  std::vector<WriteStep> steps = {
      {RootKey::kLocalMachine, application, {{L"LocalizedString", request.displayName}}},
      {RootKey::kLocalMachine,
       capabilities,
       {{L"ApplicationName", request.displayName}, {L"ApplicationDescription", request.description}}},
      {RootKey::kLocalMachine, kRegisteredApplications, {{request.applicationId, capabilities}}},
      {RootKey::kLocalMachine,
       capabilities + L"\\FileAssociations",
       {{request.extension, request.fileTypeId()}}},
  };
  addFileTypeSteps(request, &steps);
  return steps;
}

std::vector<WriteStep> legacyRegisterSteps(const AssocRequest& request) {
  std::vector<WriteStep> steps = {
      {RootKey::kClassesRoot, request.extension, {{L"", request.fileTypeId()}}},
  };
  addFileTypeSteps(request, &steps);
  return steps;
}

bool deleteRegisteredApplication(Registry& registry, const std::wstring& applicationId) {
  RegKey key = 0;
  const long opened = registry.openKey(registry.root(RootKey::kLocalMachine), kRegisteredApplications, &key);
  if (isNotFound(opened)) return true;
  if (opened != kRegOk) return false;
  const long deleted = registry.deleteValue(key, applicationId);
  registry.closeKey(key);
  return deleted == kRegOk || isNotFound(deleted);
}

}  // namespace

RegistryVariant variantForMajorVersion(unsigned long majorVersion) {
  return majorVersion >= 6 ? RegistryVariant::kVistaOrLater : RegistryVariant::kLegacy;
}

bool writeValues(Registry& registry, RootKey root, const std::wstring& path,
                 const std::vector<NamedValue>& values) {
  RegKey key = 0;
  if (registry.createKey(registry.root(root), path, &key) != kRegOk) return false;
  bool ok = true;
  for (const NamedValue& value : values) {
    if (registry.setString(key, value.name, value.data) != kRegOk) {
      ok = false;
      break;
    }
  }
  registry.closeKey(key);
  return ok;
}

namespace {

// `listed`: the parent has just named this key.  If it then cannot be found,
// it is there but cannot be opened (a link whose target is gone); counting it
// as removed would bring it back at index 0 for ever.
bool deleteTreeOf(Registry& registry, RegKey parent, const std::wstring& name, bool listed) {
  RegKey key = 0;
  const long opened = registry.openKey(parent, name, &key);
  if (isNotFound(opened) && !listed) return true;
  if (opened != kRegOk) return false;

  // Always ask for the first child: deleting it moves the next one there.
  for (;;) {
    std::wstring child;
    const long found = registry.enumSubKey(key, 0, &child);
    if (found == kRegNoMoreItems) break;
    if (found != kRegOk || !deleteTreeOf(registry, key, child, true)) {
      registry.closeKey(key);
      return false;
    }
  }
  registry.closeKey(key);
  return registry.deleteKey(parent, name) == kRegOk;
}

}  // namespace

bool deleteTree(Registry& registry, RegKey parent, const std::wstring& name) {
  return deleteTreeOf(registry, parent, name, false);
}

bool deleteTreeUnder(Registry& registry, RootKey root, const std::wstring& parentPath,
                     const std::wstring& name) {
  RegKey parent = 0;
  const long opened = registry.openKey(registry.root(root), parentPath, &parent);
  if (isNotFound(opened)) return true;
  if (opened != kRegOk) return false;
  const bool ok = deleteTree(registry, parent, name);
  registry.closeKey(parent);
  return ok;
}

bool registerAssociation(Registry& registry, const AssocRequest& request, RegistryVariant variant) {
  return runWriteSteps(registry, variant == RegistryVariant::kVistaOrLater ? vistaRegisterSteps(request)
                                                                           : legacyRegisterSteps(request));
}

bool removeAssociation(Registry& registry, const AssocRequest& request, RegistryVariant variant) {
  const RegKey classes = registry.root(RootKey::kClassesRoot);
  if (variant == RegistryVariant::kLegacy) {
    // The whole extension key goes, whatever else it holds.
    return deleteTree(registry, classes, request.extension) &&
           deleteTree(registry, classes, request.fileTypeId());
  }
  // The vendor's own key stays: other programs of the maker may live there.
  return deleteTreeUnder(registry, RootKey::kLocalMachine, L"SOFTWARE\\" + request.vendorKey,
                         request.applicationId) &&
         deleteRegisteredApplication(registry, request.applicationId) &&
         deleteTree(registry, classes, request.fileTypeId());
}

}  // namespace tolvreg
