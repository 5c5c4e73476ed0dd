#include "editor/assoc_commands.h"

#include "editor/window_host.h"
#include "framework/modal.h"
#include "orka/errors/error.h"

void runAssocCommand(HWND owner, assoc::AssocAction action, assoc::AssocSystem& system) {
  const bool registering = action == assoc::AssocAction::kRegister;
  try {
    if (registering)
      assoc::registerAssociation(system);
    else
      assoc::unregisterAssociation(system);
  } catch (const orka::Error& e) {
    fw::messageBox(owner, e.message(), kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  fw::messageBox(owner, registering ? "関連付けを行いました。" : "関連付けを解除しました。", kQuestionCaption,
                 MB_OK | MB_ICONINFORMATION);
}
