#include <string>
#include <vector>

#include "targets.h"
#include "tolvreg/assoc_request.h"
#include "tolvreg/helper.h"
#include "tolvreg/fake_paths.h"
#include "tolvreg/mem_registry.h"

namespace fuzz {
namespace {

class Host : public tolvreg::HelperHost {
 public:
  explicit Host(unsigned long major) : major_(major) {}
  tolvreg::Registry& registry() override { return registry_; }
  unsigned long majorVersion() override { return major_; }
  void warnNotToRunDirectly() override { warned_ = true; }
  // Where the seeds' editor lives.
  std::wstring programFolder() override { return L"C:\\Program Files\\Tolvane"; }
  std::wstring longPath(const std::wstring& path) override { return tolvreg_test::fakeLongPath(path); }

  tolvreg_test::MemRegistry registry_;
  unsigned long major_;
  bool warned_ = false;
};

}  // namespace

void tolvreg(const uint8_t* data, size_t size) {
  if (size == 0) return;
  // The first byte picks the system; the rest is the line in UTF-16 units.
  std::wstring line;
  for (size_t i = 1; i + 1 < size; i += 2) line += static_cast<wchar_t>(data[i] | data[i + 1] << 8);
  tolvreg::parseAssocRequest(line);

  Host host(data[0] & 1 ? 6 : 5);
  host.registry_.addKey(L"HKLM\\SOFTWARE\\RegisteredApplications");
  const std::vector<std::wstring> before = host.registry_.dump();
  const tolvreg::ExitCode code = tolvreg::runHelper(line, host);
  check(code == tolvreg::kExitSuccess || code == tolvreg::kExitInvalidCommandLine ||
            code == tolvreg::kExitRegistryFailure,
        "one of the three exit codes");
  check(code != tolvreg::kExitInvalidCommandLine || host.registry_.dump() == before,
        "a refused line touches nothing");
  check(host.registry_.openHandles() == 0, "every key closed");
}

}  // namespace fuzz
