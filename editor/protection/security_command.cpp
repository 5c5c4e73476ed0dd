#include "editor/protection/security_command.h"

#include <utility>

#include "editor/protection/security_dialog.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"

SecurityCommand::SecurityCommand(WindowHost& host, SecuritySettings& settings, std::function<void()> changed)
    : host_(host), settings_(settings), changed_(std::move(changed)) {
  host_.onCommand(ID_SETTINGS_SECURITY, [this] { run(); });
}

void SecurityCommand::run() {
  SecurityDialog dialog(settings_, host_.owner());
  if (dialog.DoModal() == IDOK && changed_) changed_();
  host_.focusText();
}
