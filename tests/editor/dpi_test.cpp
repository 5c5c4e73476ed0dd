// The editor's window on monitors of 96, 144 and 192 dpi.  Wine gives every
// window the system DPI, so the tests send WM_DPICHANGED as the system would
// when the window reaches another monitor.
#include <cstdio>

#include "editor/res/resource.h"
#include "tests/editor/editor_fixture.h"
#include "framework/dpi.h"

namespace {

class DpiTest : public EditorTest {
 protected:
  void moveToDpi(CMainWnd& window, UINT dpi, RECT suggested) {
    SendMessageW(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    pump();
  }
};

TEST_F(DpiTest, BarsAndFontFollowTheMonitorsDpi) {
  CMainWnd& window = start();
  const SIZE base = window.toolBar().buttonSize();
  const LONG fontHeight = window.settings().font.lfHeight;
  for (UINT dpi : {144u, 192u, 96u}) {
    SCOPED_TRACE(dpi);
    moveToDpi(window, dpi, {0, 0, fw::scaleDpi(600, dpi), fw::scaleDpi(400, dpi)});
    const SIZE button = window.toolBar().buttonSize();
    const int pane = window.statusBar().paneWidth(window.statusBar().commandToIndex(ID_INDICATOR_POSITION));
    std::printf("dpi %u: tool-bar buttons %ld x %ld, position pane %d\n", dpi, static_cast<long>(button.cx),
                static_cast<long>(button.cy), pane);
    // Pictures drawn for the scale, never smaller than it: the buttons grow
    // with the DPI, twice as large at 192.
    EXPECT_NEAR(button.cx, fw::scaleDpi(base.cx, dpi), 1);
    EXPECT_NEAR(button.cy, fw::scaleDpi(base.cy, dpi), 1);
    EXPECT_EQ(pane, fw::scaleDpi(CMainWnd::kPositionPaneWidth, dpi));
    // The caption's icon comes from the frame drawn for that size.
    ICONINFO icon{};
    BITMAP picture{};
    ASSERT_TRUE(
        GetIconInfo(reinterpret_cast<HICON>(SendMessageW(window.hwnd(), WM_GETICON, ICON_SMALL, 0)), &icon));
    GetObjectW(icon.hbmColor, sizeof picture, &picture);
    DeleteObject(icon.hbmColor);
    DeleteObject(icon.hbmMask);
    EXPECT_EQ(picture.bmWidth, fw::scaleDpi(16, dpi));
    // The text keeps its point size; the stored font is not touched.
    LOGFONTW used{};
    ASSERT_TRUE(GetObjectW(window.font(), sizeof used, &used));
    EXPECT_EQ(used.lfHeight, fw::scaleBetween(fontHeight, fw::systemDpi(), dpi));
    EXPECT_EQ(window.settings().font.lfHeight, fontHeight);
  }
}

TEST_F(DpiTest, StoredWindowSizeIsTheSameOnEveryMonitor) {
  CMainWnd& window = start();
  // Small enough that twice the size still fits the virtual screen.
  SetWindowPos(window.hwnd(), nullptr, 30, 40, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT before{};
  GetWindowRect(window.hwnd(), &before);
  const UINT other = fw::systemDpi() * 2;
  const RECT suggested = {before.left, before.top, before.left + 2 * (before.right - before.left),
                          before.top + 2 * (before.bottom - before.top)};
  moveToDpi(window, other, suggested);
  close();
  const Settings saved = readSettings();
  EXPECT_EQ(saved.windowLeft, before.left);
  EXPECT_EQ(saved.windowWidth, before.right - before.left);
  EXPECT_EQ(saved.windowHeight, before.bottom - before.top);
}

}  // namespace
