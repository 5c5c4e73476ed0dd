#include "assoc/association.h"

#include "orka/errors/error.h"
#include "tolvreg/association.h"

namespace assoc {
namespace {

// Registered applications and default programs came with Windows Vista
// (6.0); Windows 8 (6.2) stopped letting a program make itself the default.
bool needsDefaultProgramsCall(WindowsVersion version) {
  return version.major == 6 && version.minor < 2;
}

}  // namespace

std::string assocCommandLine(AssocAction action, AssocSystem& system) {
  const std::string editor = system.editorPath();
  const std::string shortForm = system.shortPath(editor);
  return buildAssocCommandLine(action, editor, shortForm.empty() ? editor : shortForm);
}

void registerAssociation(AssocSystem& system) {
  const char* const failed = "関連付けが失敗しました。";
  if (system.runAssocHelper(assocCommandLine(AssocAction::kRegister, system)) != 0) throw orka::Error(failed);
  if (!needsDefaultProgramsCall(system.windowsVersion())) return;
  // The helper's entries stay even when this last step fails.
  if (!system.setAppAsDefaultAll(std::string(tolvreg::kApplicationId))) throw orka::Error(failed);
}

void unregisterAssociation(AssocSystem& system) {
  if (system.runAssocHelper(assocCommandLine(AssocAction::kRemove, system)) != 0)
    throw orka::Error("関連付けの解除が失敗しました。");
}

}  // namespace assoc
