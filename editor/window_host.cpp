#include "editor/window_host.h"

#include "framework/modal.h"

int WindowHost::showError(const std::string& text) {
  return fw::messageBox(owner(), text, kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}

int WindowHost::ask(const std::string& text, UINT type) {
  return fw::messageBox(owner(), text, kQuestionCaption, type);
}
