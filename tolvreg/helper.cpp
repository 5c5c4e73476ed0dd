#include "tolvreg/helper.h"

#include "tolvreg/assoc_request.h"
#include "tolvreg/association.h"
#include "tolvreg/registry_steps.h"

namespace tolvreg {
namespace {

// The tokens that become registry paths must name the editor's own
// association; anything else would let whoever starts the helper write or
// delete elsewhere with administrator rights.
bool describesTheEditor(const AssocRequest& request) {
  return equalsFixed(request.vendorKey, kVendorKey) && equalsFixed(request.applicationId, kApplicationId) &&
         equalsFixed(request.extension, kExtension);
}

}  // namespace

ExitCode runHelper(std::wstring_view commandLine, HelperHost& host) {
  const std::optional<AssocRequest> request = parseAssocRequest(commandLine);
  if (!request || !describesTheEditor(*request)) {
    host.warnNotToRunDirectly();
    return kExitInvalidCommandLine;
  }
  const RegistryVariant variant = variantForMajorVersion(host.majorVersion());
  const bool done = request->mode == AssocRequest::Mode::kRegister
                        ? registerAssociation(host.registry(), *request, variant)
                        : removeAssociation(host.registry(), *request, variant);
  return done ? kExitSuccess : kExitRegistryFailure;
}

}  // namespace tolvreg
