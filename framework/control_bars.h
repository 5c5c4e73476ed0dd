// Control bars of a frame: the tool bar (comctl32 toolbar) and the status bar
// (comctl32 status window with panes).
//
// Both are children of a frame, which creates, places and updates them (see
// frame_wnd.h) and tells them its DPI (setDpi); they send their notifications to the frame: button clicks as
// WM_COMMAND, tooltip requests as TTN_GETDISPINFOW, hot-item changes as
// TBN_HOTITEMCHANGE.  The objects own their windows.
#pragma once

#include "framework/wnd.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

// One bitmap of button pictures, all of one size.
struct ToolBarImages {
  UINT bitmapId = 0;
  int width = 16;
  int height = 15;
};

// What a tool bar shows: one image per button, left to right in the bitmap,
// in the order of the non-separator entries of `commands` (0 = separator).
// The bitmap `bitmapId` holds the pictures drawn for 96 dpi; `larger` may
// add the same pictures drawn bigger, for screens of higher DPI.
struct ToolBarLayout {
  UINT bitmapId = 0;
  int buttonWidth = 16;
  int buttonHeight = 15;
  std::vector<UINT> commands;
  std::vector<ToolBarImages> larger;

  // The set for `dpi`: the smallest at least as wide as the 96-dpi pictures
  // scaled to it, else the largest there is.  Pictures are never stretched,
  // which would blur them.
  ToolBarImages imagesFor(UINT dpi) const;

  // Reads a layout resource of type kToolBarResourceType with the same id
  // as the bitmap: WORDs version (1), width, height, count, then `count`
  // command ids (0 = separator); optionally followed by the number of
  // larger sets and, for each, its bitmap id, width and height.  Nothing
  // when the resource is missing or malformed.
  static std::optional<ToolBarLayout> load(UINT id);
};

// Resource type number of tool-bar layouts in our resource scripts.
constexpr UINT kToolBarResourceType = 241;

class CToolBar : public CWnd {
 public:
  // Creates the bar as a child of `parent` with the given window style
  // (WS_*, TBSTYLE_* and CCS_* bits; WS_CHILD, TBSTYLE_FLAT,
  // TBSTYLE_TOOLTIPS and CCS_TOP are always added) and control id, with
  // the pictures and button margins for `dpi`.
  bool create(HWND parent, const ToolBarLayout& layout, DWORD style, UINT controlId, UINT dpi = 96);
  // Rebuilds the bar with the pictures and margins for another DPI.  The
  // window is made anew (a tool bar cannot change its picture size once it
  // has pictures), hidden or shown as before; the frame's next idle pass
  // gives the buttons their states again.  False when that fails.
  bool setDpi(UINT dpi);
  // Size of one button in pixels.
  SIZE buttonSize() const;

  const std::vector<UINT>& commands() const { return layout_.commands; }
  void setButtonState(UINT command, bool enabled, bool checked);
  bool isButtonEnabled(UINT command) const;
  bool isButtonChecked(UINT command) const;
  // Screen rectangle of a button, e.g. to point the mouse at it in tests.
  RECT buttonRect(UINT command) const;
  // Height it takes in the frame when visible.
  int height() const;

 private:
  bool build(HWND parent, DWORD style, UINT controlId);

  ToolBarLayout layout_;
  UINT dpi_ = 96;
};

class CStatusBar : public CWnd {
 public:
  // Window style: WS_* and SBARS_* bits (WS_CHILD is always added).
  bool create(HWND parent, DWORD style, UINT controlId);

  ~CStatusBar() override;

  // One pane per id.  Id 0 is the message pane: it takes the width left
  // over.  Other panes are as wide as the text of their string-table entry
  // (with a small margin), or 0 wide when there is none: set the width with
  // setPaneInfo then.
  bool setIndicators(const std::vector<UINT>& ids);
  // `width` is given at 96 dpi; the bar scales it to its DPI.
  void setPaneInfo(int index, UINT id, int width);
  // Scales the panes and the bar's font to `dpi`.
  void setDpi(UINT dpi);
  // Width of a pane in pixels (the message pane's is what is left over).
  int paneWidth(int index) const;
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
    int width;  // at 96 dpi
  };
  void applyParts();
  std::vector<int> paneEdges() const;

  std::vector<Pane> panes_;
  UINT dpi_ = 96;
  HFONT font_ = nullptr;  // ours when the DPI is not the system's
};

}  // namespace fw
