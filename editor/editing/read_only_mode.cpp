#include "editor/editing/read_only_mode.h"

void ReadOnlyMode::set(bool on) {
  settings_.readOnly = on;
  if (EditCtrl* edit = document_.edit()) edit->setReadOnly(on);
  if (on && listener_) listener_();
  if (settings_.perFileReadOnly && !document_.path().empty())
    settings_.readOnlyList.touch(document_.path()) = on;
}

void ReadOnlyMode::restoreForDocument() {
  if (settings_.perFileReadOnly && !document_.path().empty())
    set(settings_.readOnlyList.touch(document_.path()));
}
