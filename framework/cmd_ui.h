// CmdUI: what an update handler says about one command.
//
// Update handlers fill it; the frame applies it to whatever shows the command
// (a menu item when its menu opens, a tool-bar button or a status-bar pane at
// idle) and consults it before carrying a command out, so a disabled command is
// refused whichever way it arrives.  Nothing set means enabled, unchecked and
// text unchanged.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace fw {

class CmdUI {
 public:
  explicit CmdUI(UINT id) : id_(id) {}

  UINT id() const { return id_; }
  void enable(bool on = true) { enabled_ = on; }
  void check(bool on = true) { checked_ = on; }
  // Text of a status-bar pane with this id (ignored for menus and buttons).
  void setText(std::string_view text) { text_ = std::string(text); }

  bool enabled() const { return enabled_; }
  bool checked() const { return checked_; }
  const std::optional<std::string>& text() const { return text_; }

 private:
  UINT id_;
  bool enabled_ = true;
  bool checked_ = false;
  std::optional<std::string> text_;
};

}  // namespace fw
