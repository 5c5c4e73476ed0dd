// Control bars of a frame: the tool bar (comctl32 toolbar) and the status bar
// (comctl32 status window with panes).
//
// Both are children of a frame, which creates, places and updates them (see
// frame_wnd.h); they send their notifications to the frame: button clicks as
// WM_COMMAND, tooltip requests as TTN_GETDISPINFOW, hot-item changes as
// TBN_HOTITEMCHANGE.  The objects own their windows.
#pragma once

#include "framework/wnd.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// What a tool bar shows: one image per button, left to right in the bitmap,
// in the order of the non-separator entries of `commands` (0 = separator).
struct ToolBarLayout {
  UINT bitmapId = 0;
  int buttonWidth = 16;
  int buttonHeight = 15;
  std::vector<UINT> commands;

  // Reads a layout resource of type kToolBarResourceType with the same id
  // as the bitmap: WORDs version (1), width, height, count, then `count`
  // command ids (0 = separator).  Nothing when the resource is missing or
  // malformed.
  static std::optional<ToolBarLayout> load(UINT id);
};

// Resource type number of tool-bar layouts in our resource scripts.
constexpr UINT kToolBarResourceType = 241;

class CToolBar : public CWnd {
 public:
  // Creates the bar as a child of `parent` with the given window style
  // (WS_*, TBSTYLE_* and CCS_* bits; WS_CHILD, TBSTYLE_FLAT,
  // TBSTYLE_TOOLTIPS and CCS_TOP are always added) and control id.
  bool create(HWND parent, const ToolBarLayout& layout, DWORD style, UINT controlId);

  const std::vector<UINT>& commands() const { return layout_.commands; }
  void setButtonState(UINT command, bool enabled, bool checked);
  bool isButtonEnabled(UINT command) const;
  bool isButtonChecked(UINT command) const;
  // Screen rectangle of a button, e.g. to point the mouse at it in tests.
  RECT buttonRect(UINT command) const;
  // Height it takes in the frame when visible.
  int height() const;

 private:
  ToolBarLayout layout_;
};

class CStatusBar : public CWnd {
 public:
  // Window style: WS_* and SBARS_* bits (WS_CHILD is always added).
  bool create(HWND parent, DWORD style, UINT controlId);

  // One pane per id.  Id 0 is the message pane: it takes the width left
  // over.  Other panes are as wide as the text of their string-table entry
  // (with a small margin), or 0 wide when there is none: set the width with
  // setPaneInfo then.
  bool setIndicators(const std::vector<UINT>& ids);
  void setPaneInfo(int index, UINT id, int width);
  int paneCount() const { return static_cast<int>(panes_.size()); }
  UINT paneId(int index) const;
  // Index of the pane with that id, or -1.
  int commandToIndex(UINT id) const;

  void setPaneText(int index, std::string_view text);
  std::string paneText(int index) const;

  // Re-sizes itself along the bottom of its parent and recomputes the pane
  // edges; the frame calls it from its layout.
  void reposition();
  int height() const;

 private:
  struct Pane {
    UINT id;
    int width;
  };
  void applyParts();

  std::vector<Pane> panes_;
};

}  // namespace fw
