#include "tolvreg/helper.h"

#include "tolvreg/assoc_request.h"
#include "tolvreg/registry_steps.h"

namespace tolvreg {

ExitCode runHelper(std::wstring_view commandLine, HelperHost& host) {
  const std::optional<AssocRequest> request = parseAssocRequest(commandLine);
  if (!request) {
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
