// A small frame built on the framework the way a program would build one,
// for the tests to drive through real messages.
#pragma once

#include "framework/app.h"
#include "framework/frame_wnd.h"
#include "test_ids.h"

#include <commctrl.h>

#include <map>

namespace fwtest {

// One application object serves every test of the process.
fw::CWinApp& testApp();

class TestFrame : public fw::CFrameWnd {
 public:
  TestFrame() {
    onCommand(ID_RUN, [this] { ++runs[ID_RUN]; });
    onCommand(
        ID_TOGGLE,
        [this] {
          toggled = !toggled;
          ++runs[ID_TOGGLE];
        },
        [this](fw::CmdUI& ui) { ui.check(toggled); });
    onCommand(ID_NESTED, [this] { ++runs[ID_NESTED]; });
    onCommand(
        ID_GUARDED, [this] { ++runs[ID_GUARDED]; }, [this](fw::CmdUI& ui) { ui.enable(guardOpen); });
    onUpdate(ID_PANE_POSITION, [this](fw::CmdUI& ui) { ui.setText(paneText); });
  }

  // Window with menu, bars and an edit control as the view.  It stays
  // hidden: under wine without a window manager, destroying a shown window
  // waits two seconds for a state change that never comes.
  bool create() {
    if (!loadFrame(IDR_TEST_FRAME)) return false;
    SetWindowPos(hwnd(), nullptr, 0, 0, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
    view = CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 10, 10, hwnd(),
                           reinterpret_cast<HMENU>(static_cast<UINT_PTR>(1013)), nullptr, nullptr);
    setView(view);
    auto layout = fw::ToolBarLayout::load(IDR_TEST_FRAME);
    if (!layout || !createToolBar(*layout, WS_CHILD | WS_VISIBLE, 0xE800)) return false;
    if (!createStatusBar({0, ID_PANE_POSITION}, WS_CHILD | WS_VISIBLE, 0xE801)) return false;
    statusBar().setPaneInfo(1, ID_PANE_POSITION, 100);
    setIdleMessage(IDS_READY);
    recalcLayout();
    return true;
  }

  int count(UINT id) const {
    auto it = runs.find(id);
    return it == runs.end() ? 0 : it->second;
  }

  std::map<UINT, int> runs;
  bool toggled = false;
  bool guardOpen = true;
  std::string paneText = "1:1";
  HWND view = nullptr;
};

}  // namespace fwtest
