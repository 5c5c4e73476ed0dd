// The frame: command routing on every route, update handlers on menus and
// bars, prompts, tooltips and layout.
#include "test_frame.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace fwtest {
namespace {

enum class Route { Execute, Menu, AcceleratorCommand, Key, ToolBarCommand };

const char* routeName(Route route) {
  switch (route) {
    case Route::Execute:
      return "execute";
    case Route::Menu:
      return "menu";
    case Route::AcceleratorCommand:
      return "posted accelerator command";
    case Route::Key:
      return "key through TranslateAccelerator";
    case Route::ToolBarCommand:
      return "tool-bar command";
  }
  return "?";
}

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(frame.create()); }

  HMENU fileMenu() const { return GetSubMenu(GetMenu(frame.hwnd()), 0); }

  void openMenu(HMENU menu) {
    SendMessageW(frame.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, FALSE));
  }

  bool grayed(HMENU menu, UINT id) const { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) != 0; }
  bool checked(HMENU menu, UINT id) const { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

  // A real key press: the keyboard state says whether Ctrl is down.
  void pressKey(UINT vk, bool ctrl) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg = {};
    msg.hwnd = frame.view;
    msg.message = WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = 1 | (static_cast<LPARAM>(MapVirtualKeyW(vk, 0)) << 16);
    app.processMessage(msg);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
    SetKeyboardState(keys);
    app.pumpPending();
  }

  void invoke(UINT id, Route route) {
    switch (route) {
      case Route::Execute:
        frame.execute(id);
        break;
      case Route::Menu:
        SendMessageW(frame.hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
        break;
      case Route::AcceleratorCommand:
        PostMessageW(frame.hwnd(), WM_COMMAND, MAKEWPARAM(id, 1), 0);
        app.pumpPending();
        break;
      case Route::Key:
        if (id == ID_RUN) pressKey('R', true);
        if (id == ID_GUARDED) pressKey(VK_F5, false);
        if (id == ID_NO_HANDLER) pressKey(VK_F6, false);
        break;
      case Route::ToolBarCommand:
        // What a button sends, whatever state the button shows.
        SendMessageW(frame.hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(frame.toolBar().hwnd()));
        break;
    }
  }

  void clickButton(UINT id) {
    RECT r = {};
    frame.toolBar().send(TB_GETRECT, id, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    frame.toolBar().send(WM_MOUSEMOVE, 0, at);
    frame.toolBar().send(WM_LBUTTONDOWN, MK_LBUTTON, at);
    frame.toolBar().send(WM_LBUTTONUP, 0, at);
    app.pumpPending();
  }

  fw::CWinApp& app = testApp();
  TestFrame frame;
};

const Route kAllRoutes[] = {Route::Execute, Route::Menu, Route::AcceleratorCommand, Route::Key,
                            Route::ToolBarCommand};

TEST_F(FrameTest, EveryRouteCarriesOutAnEnabledCommand) {
  int expected = 0;
  for (Route route : kAllRoutes) {
    invoke(ID_RUN, route);
    EXPECT_EQ(frame.count(ID_RUN), ++expected) << routeName(route);
  }
}

TEST_F(FrameTest, CommandDisabledByItsUpdateHandlerIsRefusedOnEveryRoute) {
  frame.guardOpen = false;
  for (Route route : kAllRoutes) {
    invoke(ID_GUARDED, route);
    EXPECT_EQ(frame.count(ID_GUARDED), 0) << routeName(route);
  }
  EXPECT_FALSE(frame.execute(ID_GUARDED));

  // The same routes work once the rule allows it again.
  frame.guardOpen = true;
  invoke(ID_GUARDED, Route::Key);
  invoke(ID_GUARDED, Route::AcceleratorCommand);
  EXPECT_EQ(frame.count(ID_GUARDED), 2);
}

TEST_F(FrameTest, CommandWithoutHandlerIsGreyedAndRefusedUnlessAutoDisablingIsOff) {
  openMenu(fileMenu());
  EXPECT_TRUE(grayed(fileMenu(), ID_NO_HANDLER));
  EXPECT_FALSE(grayed(fileMenu(), ID_RUN));
  for (Route route : kAllRoutes) invoke(ID_NO_HANDLER, route);
  EXPECT_EQ(frame.count(ID_NO_HANDLER), 0);

  frame.setAutoMenuEnable(false);
  openMenu(fileMenu());
  EXPECT_FALSE(grayed(fileMenu(), ID_NO_HANDLER));
  EXPECT_FALSE(frame.execute(ID_NO_HANDLER));  // still nothing to run
}

TEST_F(FrameTest, MenuItemsFollowTheUpdateHandlersEachTimeTheMenuOpens) {
  frame.guardOpen = false;
  frame.toggled = true;
  openMenu(fileMenu());
  EXPECT_TRUE(grayed(fileMenu(), ID_GUARDED));
  EXPECT_TRUE(checked(fileMenu(), ID_TOGGLE));
  EXPECT_FALSE(checked(fileMenu(), ID_RUN));

  frame.guardOpen = true;
  invoke(ID_TOGGLE, Route::Menu);  // the command flips the state
  openMenu(fileMenu());
  EXPECT_FALSE(grayed(fileMenu(), ID_GUARDED));
  EXPECT_FALSE(checked(fileMenu(), ID_TOGGLE));

  // A submenu is updated when it opens itself; its entry is left alone.
  HMENU nested = GetSubMenu(fileMenu(), 4);
  ASSERT_NE(nested, nullptr);
  openMenu(nested);
  EXPECT_FALSE(grayed(nested, ID_NESTED));
  EXPECT_EQ(GetMenuState(fileMenu(), 4, MF_BYPOSITION) & MF_GRAYED, 0u);
}

TEST_F(FrameTest, SystemMenuIsNotTouched) {
  HMENU system = GetSystemMenu(frame.hwnd(), FALSE);
  ASSERT_NE(system, nullptr);
  SendMessageW(frame.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(system), MAKELPARAM(0, TRUE));
  EXPECT_EQ(GetMenuState(system, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(FrameTest, ToolBarButtonsFollowTheUpdateHandlersAtIdle) {
  frame.guardOpen = false;
  frame.toggled = true;
  app.pumpPending();
  EXPECT_FALSE(frame.toolBar().isButtonEnabled(ID_GUARDED));
  EXPECT_TRUE(frame.toolBar().isButtonChecked(ID_TOGGLE));
  EXPECT_TRUE(frame.toolBar().isButtonEnabled(ID_RUN));

  // A click on a disabled button does nothing; on an enabled one it runs.
  clickButton(ID_GUARDED);
  EXPECT_EQ(frame.count(ID_GUARDED), 0);
  clickButton(ID_RUN);
  EXPECT_EQ(frame.count(ID_RUN), 1);

  frame.guardOpen = true;
  frame.toggled = false;
  app.pumpPending();
  EXPECT_TRUE(frame.toolBar().isButtonEnabled(ID_GUARDED));
  EXPECT_FALSE(frame.toolBar().isButtonChecked(ID_TOGGLE));
}

TEST_F(FrameTest, MenuSelectionShowsThePromptAndClosingBringsBackTheIdleText) {
  fw::CStatusBar& bar = frame.statusBar();
  EXPECT_EQ(bar.paneText(0), "レディ");
  const LPARAM menu = reinterpret_cast<LPARAM>(fileMenu());

  SendMessageW(frame.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_RUN, MF_STRING | MF_HILITE), menu);
  EXPECT_EQ(bar.paneText(0), "処理を実行します。");
  SendMessageW(frame.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_NO_STRING, MF_STRING | MF_HILITE), menu);
  EXPECT_EQ(bar.paneText(0), "");
  SendMessageW(frame.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_GUARDED, MF_STRING | MF_HILITE), menu);
  SendMessageW(frame.hwnd(), WM_MENUSELECT, MAKEWPARAM(4, MF_POPUP | MF_HILITE), menu);
  EXPECT_EQ(bar.paneText(0), "");
  SendMessageW(frame.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(bar.paneText(0), "レディ");

  // Without an idle message the pane is simply empty.
  frame.setIdleMessage(0);
  EXPECT_EQ(bar.paneText(0), "");
}

TEST_F(FrameTest, HotToolBarButtonShowsItsPromptUntilTheMouseLeaves) {
  fw::CStatusBar& bar = frame.statusBar();
  frame.toolBar().send(TB_SETHOTITEM, 2);  // index 2: the toggle button
  EXPECT_EQ(bar.paneText(0), "状態を切り替えます。");
  frame.toolBar().send(TB_SETHOTITEM, static_cast<WPARAM>(-1));
  EXPECT_EQ(bar.paneText(0), "レディ");
}

TEST_F(FrameTest, TooltipIsTheSecondLineOfTheCommandString) {
  NMTTDISPINFOW info = {};
  info.hdr.hwndFrom = reinterpret_cast<HWND>(frame.toolBar().send(TB_GETTOOLTIPS));
  info.hdr.idFrom = ID_TOGGLE;
  info.hdr.code = TTN_GETDISPINFOW;
  SendMessageW(frame.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_STREQ(info.lpszText, L"切り替え");

  info.hdr.idFrom = ID_NO_STRING;
  info.lpszText = nullptr;
  SendMessageW(frame.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_NE(info.lpszText, nullptr);
  EXPECT_STREQ(info.lpszText, L"");

  // The same text through the tool bar's own tooltip window.
  HWND tip = reinterpret_cast<HWND>(frame.toolBar().send(TB_GETTOOLTIPS));
  ASSERT_NE(tip, nullptr);
  wchar_t shown[80] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = frame.toolBar().hwnd();
  tool.uId = ID_RUN;
  tool.lpszText = shown;
  SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(shown, L"実行");

  EXPECT_EQ(fw::CFrameWnd::tooltipOf(ID_RUN), "実行");
  EXPECT_EQ(fw::CFrameWnd::promptOf(ID_RUN), "処理を実行します。");
}

TEST_F(FrameTest, StatusPanesGetTheirTextFromUpdateHandlersAtIdle) {
  frame.paneText = "12行、3列";
  app.pumpPending();
  EXPECT_EQ(frame.statusBar().paneText(1), "12行、3列");
  EXPECT_EQ(frame.statusBar().commandToIndex(ID_PANE_POSITION), 1);

  // The fixed pane keeps its width at the right; the message pane takes the rest.
  int edges[2] = {};
  ASSERT_EQ(frame.statusBar().send(SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
  RECT client;
  GetClientRect(frame.statusBar().hwnd(), &client);
  EXPECT_EQ(edges[0], client.right - 100);
  EXPECT_EQ(edges[1], -1);
}

TEST_F(FrameTest, PaneWithoutExplicitWidthIsAsWideAsItsString) {
  fw::CStatusBar& bar = frame.statusBar();
  ASSERT_TRUE(bar.setIndicators({0, IDS_PANE_WIDE}));
  int edges[2] = {};
  bar.send(SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges));
  RECT client;
  GetClientRect(bar.hwnd(), &client);
  const int wide = client.right - edges[0];
  EXPECT_GT(wide, 60);  // twenty capital Ms
  EXPECT_LT(wide, client.right);
}

class LayoutTest : public FrameTest {
 protected:
  RECT viewRect() const {
    RECT r;
    GetWindowRect(frame.view, &r);
    MapWindowPoints(nullptr, frame.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  RECT client() const {
    RECT r;
    GetClientRect(frame.hwnd(), &r);
    return r;
  }
};

TEST_F(LayoutTest, ViewFillsTheSpaceBetweenTheVisibleBars) {
  const int toolHeight = frame.toolBar().height();
  const int statusHeight = frame.statusBar().height();
  ASSERT_GT(toolHeight, 0);
  ASSERT_GT(statusHeight, 0);
  RECT v = viewRect();
  EXPECT_EQ(v.top, toolHeight);
  EXPECT_EQ(v.bottom, client().bottom - statusHeight);
  EXPECT_EQ(v.right - v.left, client().right);

  frame.showToolBar(false);
  EXPECT_FALSE(frame.isToolBarVisible());
  EXPECT_EQ(viewRect().top, 0);
  EXPECT_EQ(viewRect().bottom, client().bottom - statusHeight);

  frame.showStatusBar(false);
  EXPECT_EQ(viewRect().bottom, client().bottom);

  frame.showToolBar(true);
  frame.showStatusBar(true);
  EXPECT_EQ(viewRect().top, toolHeight);
  EXPECT_EQ(viewRect().bottom, client().bottom - statusHeight);
}

TEST_F(LayoutTest, ResizingTheFrameKeepsTheLayout) {
  SetWindowPos(frame.hwnd(), nullptr, 0, 0, 520, 410, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(viewRect().right, client().right);
  EXPECT_EQ(viewRect().bottom, client().bottom - frame.statusBar().height());
}

TEST_F(LayoutTest, OwnSizeHandlerReplacesTheLayoutUnlessItCallsDefault) {
  int sizes = 0;
  bool callDefault = false;
  frame.onMessage(WM_SIZE, [&](WPARAM, LPARAM) -> LRESULT {
    ++sizes;
    return callDefault ? frame.Default() : 0;
  });
  const RECT before = viewRect();
  SetWindowPos(frame.hwnd(), nullptr, 0, 0, 500, 380, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(sizes, 1);
  EXPECT_EQ(viewRect().right, before.right);  // nothing moved it

  callDefault = true;
  SetWindowPos(frame.hwnd(), nullptr, 0, 0, 460, 360, SWP_NOZORDER | SWP_NOMOVE);
  EXPECT_EQ(sizes, 2);
  EXPECT_EQ(viewRect().right, client().right);
}

TEST_F(LayoutTest, WindowCannotBeMadeSmallerThanTheMinimumTrackSize) {
  frame.setMinTrackSize(310, 140);
  MINMAXINFO info = {};
  SendMessageW(frame.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 310);
  EXPECT_EQ(info.ptMinTrackSize.y, 140);

  SetWindowPos(frame.hwnd(), nullptr, 0, 0, 50, 40, SWP_NOZORDER | SWP_NOMOVE);
  RECT r;
  GetWindowRect(frame.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 310);
  EXPECT_EQ(r.bottom - r.top, 140);
}

class ShapedFrame : public fw::CFrameWnd {
 public:
  bool PreCreateWindow(CREATESTRUCTW& cs) override {
    if (refuse) return false;
    cs.dwExStyle |= WS_EX_ACCEPTFILES;
    cs.x = 10;
    cs.y = 20;
    cs.cx = 333;
    cs.cy = 222;
    return true;
  }
  bool refuse = false;
};

TEST(FrameCreation, ResourcesAndPreCreateWindowShapeTheWindow) {
  testApp();
  ShapedFrame frame;
  ASSERT_TRUE(frame.loadFrame(IDR_TEST_FRAME));
  RECT r;
  GetWindowRect(frame.hwnd(), &r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right - r.left, 333);
  EXPECT_EQ(r.bottom - r.top, 222);
  EXPECT_TRUE(GetWindowLongPtrW(frame.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  EXPECT_NE(frame.menu(), nullptr);
  EXPECT_NE(frame.accelerators(), nullptr);
  EXPECT_EQ(frame.windowText(), "テスト フレーム");
  EXPECT_EQ(fw::CWnd::fromHandle(frame.hwnd()), &frame);
  EXPECT_FALSE(frame.loadFrame(IDR_TEST_FRAME));  // one window per object

  ShapedFrame refused;
  refused.refuse = true;
  EXPECT_FALSE(refused.loadFrame(IDR_TEST_FRAME));
  EXPECT_EQ(refused.hwnd(), nullptr);
}

TEST(FrameCreation, CreateHandlerThatFailsMakesLoadFrameFailWithoutEndingTheLoop) {
  fw::CWinApp& app = testApp();
  fw::CFrameWnd frame;
  app.setMainWnd(&frame);
  bool defaultRan = false;
  frame.onMessage(WM_CREATE, [&](WPARAM, LPARAM) -> LRESULT {
    defaultRan = frame.Default() == 0;
    return -1;
  });
  EXPECT_FALSE(frame.loadFrame(IDR_TEST_FRAME));
  EXPECT_TRUE(defaultRan);
  EXPECT_EQ(frame.hwnd(), nullptr);
  EXPECT_EQ(app.mainWnd(), nullptr);
  MSG quit;
  EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(FrameCreation, CreateHandlerThatThrowsFailsLoadFrameAndTheLoopRethrows) {
  fw::CWinApp& app = testApp();
  fw::CFrameWnd frame;
  frame.onMessage(WM_CREATE, [](WPARAM, LPARAM) -> LRESULT { throw std::runtime_error("half built"); });
  EXPECT_FALSE(frame.loadFrame(IDR_TEST_FRAME));
  EXPECT_EQ(frame.hwnd(), nullptr);
  EXPECT_THROW(app.pumpPending(), std::runtime_error);
}

TEST(ToolBarLayout, LoadsTheLayoutResourceAndRejectsAnUnknownVersion) {
  auto layout = fw::ToolBarLayout::load(IDR_TEST_FRAME);
  ASSERT_TRUE(layout.has_value());
  EXPECT_EQ(layout->bitmapId, static_cast<UINT>(IDR_TEST_FRAME));
  EXPECT_EQ(layout->buttonWidth, 16);
  EXPECT_EQ(layout->buttonHeight, 15);
  EXPECT_EQ(layout->commands, (std::vector<UINT>{ID_RUN, 0, ID_TOGGLE, ID_GUARDED}));
  EXPECT_FALSE(fw::ToolBarLayout::load(IDR_BAD_LAYOUT).has_value());
  EXPECT_FALSE(fw::ToolBarLayout::load(999).has_value());
}

}  // namespace
}  // namespace fwtest
