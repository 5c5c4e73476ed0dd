// Writing and removing the association's registry entries.
//
// Each step reports success by its result.  A sequence of steps stops at the
// first one that fails and leaves the earlier ones done: the helper does no
// rollback, and running it again (or removing) brings the registry to a
// known state.  Keys that do not exist count as removed.
#pragma once

#include <string>
#include <vector>

#include "tolvreg/assoc_request.h"
#include "tolvreg/registry.h"

namespace tolvreg {

// Windows Vista brought registered applications and default programs; older
// systems only know the extension key.
enum class RegistryVariant { kVistaOrLater, kLegacy };

RegistryVariant variantForMajorVersion(unsigned long majorVersion);

struct NamedValue {
  std::wstring name;  // empty: the key's default value
  std::wstring data;
};

// Creates or opens `root`\`path` and sets each value in order as REG_SZ,
// stopping at the first failure.
bool writeValues(Registry& registry, RootKey root, const std::wstring& path,
                 const std::vector<NamedValue>& values);

// Deletes `parent`\`name` with all its subkeys; true when it is gone.  A
// subkey that is listed but cannot be opened fails the step.
bool deleteTree(Registry& registry, RegKey parent, const std::wstring& name);

// deleteTree of `name` below `root`\`parentPath`; a missing parent is fine.
bool deleteTreeUnder(Registry& registry, RootKey root, const std::wstring& parentPath,
                     const std::wstring& name);

bool registerAssociation(Registry& registry, const AssocRequest& request, RegistryVariant variant);
bool removeAssociation(Registry& registry, const AssocRequest& request, RegistryVariant variant);

}  // namespace tolvreg
