// ReadOnlyMode: switching read-only mode on and off.
//
// The mode is one setting (Settings::readOnly) that the text's control
// follows by refusing every change by the user, and, with perFileReadOnly
// set, an entry of the open document in the settings' read-only list, so
// that the document opens the same way next time.  Switching it on tells the
// listener (the search commands close a Replace dialog there).
// User-interface thread only.
#pragma once

#include <functional>

#include "editor/document/open_document.h"
#include "settings/settings.h"

class ReadOnlyMode {
 public:
  ReadOnlyMode(Settings& settings, OpenDocument& document) : settings_(settings), document_(document) {}

  bool on() const { return settings_.readOnly; }
  void set(bool on);
  // The open document's remembered mode, when perFileReadOnly is set and
  // the document has a file.
  void restoreForDocument();
  void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

 private:
  Settings& settings_;
  OpenDocument& document_;
  std::function<void()> listener_;
};
