// The frame at another DPI: which tool-bar pictures it takes, and what
// WM_DPICHANGED does to its window, bars and layout.  Wine reports one DPI
// for everything, so the tests send WM_DPICHANGED themselves.
#include "framework/dpi.h"
#include "test_frame.h"

#include <gtest/gtest.h>

namespace fwtest {
namespace {

TEST(ToolBarImages, TakesTheSmallestSetAtLeastAsLargeAsTheScale) {
  fw::ToolBarLayout layout;
  layout.bitmapId = 1;
  layout.larger = {{3, 32, 30}, {2, 24, 23}};  // in any order
  const struct {
    UINT dpi;
    UINT bitmap;
  } cases[] = {{96, 1}, {110, 2}, {120, 2}, {144, 2}, {168, 3}, {192, 3}, {288, 3}, {72, 1}};
  for (const auto& c : cases) EXPECT_EQ(layout.imagesFor(c.dpi).bitmapId, c.bitmap) << c.dpi << " dpi";
}

class DpiChangeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(frame.create()); }

  // What the system sends when the window reaches a monitor of `dpi`.
  void moveToDpi(UINT dpi, RECT suggested) {
    SendMessageW(frame.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  }

  fw::CWinApp& app = testApp();
  TestFrame frame;
};

TEST_F(DpiChangeTest, TakesTheSuggestedRectangleAndScalesTheBars) {
  const SIZE button96 = frame.toolBar().buttonSize();
  const int status96 = frame.statusBar().height();
  for (UINT dpi : {144u, 192u, 96u}) {
    SCOPED_TRACE(dpi);
    const RECT suggested = {10, 20, 10 + fw::scaleDpi(400, dpi), 20 + fw::scaleDpi(300, dpi)};
    moveToDpi(dpi, suggested);
    EXPECT_EQ(frame.dpi(), dpi);
    RECT now;
    GetWindowRect(frame.hwnd(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_EQ(frame.statusBar().paneWidth(1), fw::scaleDpi(100, dpi));
    // The pictures stay 16 x 15 here (the test frame has no larger set):
    // only the margins grow.
    const SIZE button = frame.toolBar().buttonSize();
    EXPECT_EQ(button.cx - 16, fw::scaleDpi(button96.cx - 16, dpi));
    EXPECT_EQ(button.cy - 15, fw::scaleDpi(button96.cy - 15, dpi));
    if (dpi == 96) {
      EXPECT_EQ(frame.statusBar().height(), status96);
    }
    // The view still fills the space between the bars.
    RECT view;
    GetWindowRect(frame.view, &view);
    MapWindowPoints(nullptr, frame.hwnd(), reinterpret_cast<POINT*>(&view), 2);
    EXPECT_EQ(view.top, frame.toolBar().height());
  }
}

TEST_F(DpiChangeTest, RebuiltToolBarKeepsItsCommandsAndVisibility) {
  moveToDpi(192, {0, 0, 800, 600});
  frame.guardOpen = false;
  app.pumpPending();
  EXPECT_FALSE(frame.toolBar().isButtonEnabled(ID_GUARDED));
  SendMessageW(frame.hwnd(), WM_COMMAND, MAKEWPARAM(ID_RUN, BN_CLICKED),
               reinterpret_cast<LPARAM>(frame.toolBar().hwnd()));
  EXPECT_EQ(frame.count(ID_RUN), 1);

  frame.showToolBar(false);
  moveToDpi(96, {0, 0, 400, 300});
  EXPECT_FALSE(frame.isToolBarVisible());
}

}  // namespace
}  // namespace fwtest
