#include "editor/document/open_document.h"

#include "editor/window_host.h"

std::string OpenDocument::displayName() const { return path().empty() ? std::string("無題") : path(); }

std::string OpenDocument::title() const {
  if (locked()) return std::string("ロック中 - ") + kAppTitle;
  std::string name = "無題";
  if (!path().empty()) {
    const size_t slash = path().find_last_of("\\/");
    name = slash == std::string::npos ? path() : path().substr(slash + 1);
  }
  return name + " - " + kAppTitle;
}

bool OpenDocument::hasUnsavedChanges() const {
  if (sealed_) return sealed_->modified();
  return edit_ && edit_->modified();
}
