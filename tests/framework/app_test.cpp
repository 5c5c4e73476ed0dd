// The application object: message loop, idle work, pre-translation and
// modeless dialogs, driven through real queued messages.
#include "framework/dialog.h"
#include "framework/help.h"
#include "framework/wnd.h"
#include "orka/errors/error.h"
#include "test_frame.h"

#include <gtest/gtest.h>

namespace fwtest {

fw::CWinApp& testApp() {
  static fw::CWinApp app;
  return app;
}

namespace {

MSG messageFor(HWND target, UINT message, WPARAM wParam, LPARAM lParam = 0) {
  MSG msg = {};
  msg.hwnd = target;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  return msg;
}

// Rewrites one typed character and swallows another, as a viewer mode would.
class KeyFilter : public fw::CWnd {
 public:
  bool PreTranslateMessage(MSG& msg) override {
    if (msg.message != WM_CHAR) return false;
    if (msg.wParam == 'x') msg.wParam = 'y';
    return msg.wParam == 'z';
  }
};

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testApp();
    ASSERT_TRUE(frame.create());
  }
  fw::CWinApp& app = testApp();
  TestFrame frame;
};

TEST_F(AppTest, OnlyOneApplicationObjectMayExist) {
  EXPECT_THROW(fw::CWinApp second, std::logic_error);
  EXPECT_EQ(fw::CWinApp::current(), &app);
}

TEST_F(AppTest, IdleHandlersRunWhenTheQueueEmptiesUntilRemoved) {
  int calls = 0;
  const int id = app.addIdleHandler([&] { ++calls; });
  PostMessageW(frame.hwnd(), WM_NULL, 0, 0);
  app.pumpPending();
  EXPECT_GE(calls, 1);
  const int seen = calls;
  app.removeIdleHandler(id);
  app.pumpPending();
  EXPECT_EQ(calls, seen);
}

TEST_F(AppTest, PreTranslationRewritesOrSwallowsMessagesBeforeDispatch) {
  KeyFilter filter;
  filter.attach(frame.view);
  MSG typed = messageFor(frame.view, WM_CHAR, 'x');
  app.processMessage(typed);
  MSG swallowed = messageFor(frame.view, WM_CHAR, 'z');
  app.processMessage(swallowed);
  MSG plain = messageFor(frame.view, WM_CHAR, 'a');
  app.processMessage(plain);
  filter.detach();

  wchar_t text[16] = {};
  GetWindowTextW(frame.view, text, 16);
  EXPECT_STREQ(text, L"ya");
  EXPECT_EQ(fw::CWnd::fromHandle(frame.view), nullptr);
}

TEST_F(AppTest, DestroyingTheMainWindowEndsTheLoopWithCodeZero) {
  app.setMainWnd(&frame);
  PostMessageW(frame.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app.run(), 0);
  EXPECT_EQ(frame.hwnd(), nullptr);
  EXPECT_EQ(app.mainWnd(), nullptr);
}

TEST_F(AppTest, TimerTicksDoNotMakeTheIdleWorkRunAgain) {
  int idleCalls = 0;
  int ticks = 0;
  const int id = app.addIdleHandler([&] {
    if (++idleCalls == 1) SetTimer(frame.hwnd(), 1, 10, nullptr);
  });
  frame.onMessage(WM_TIMER, [&](WPARAM, LPARAM) -> LRESULT {
    if (++ticks == 5) {
      KillTimer(frame.hwnd(), 1);
      PostMessageW(frame.hwnd(), WM_CLOSE, 0, 0);
    }
    return 0;
  });
  app.setMainWnd(&frame);
  EXPECT_EQ(app.run(), 0);
  app.removeIdleHandler(id);
  EXPECT_EQ(ticks, 5);
  EXPECT_LE(idleCalls, 2);  // stray system messages may add one
}

TEST_F(AppTest, ErrorInACommandHandlerComesOutOfTheLoopAndTheFrameLivesOn) {
  frame.onCommand(ID_NO_HANDLER, [] { throw orka::Error("コマンドが失敗しました。"); });
  PostMessageW(frame.hwnd(), WM_COMMAND, MAKEWPARAM(ID_NO_HANDLER, 0), 0);
  try {
    app.pumpPending();
    ADD_FAILURE() << "the error was lost";
  } catch (const orka::Error& e) {
    EXPECT_EQ(e.message(), "コマンドが失敗しました。");
  }
  PostMessageW(frame.hwnd(), WM_COMMAND, MAKEWPARAM(ID_RUN, 0), 0);
  app.pumpPending();
  EXPECT_EQ(frame.count(ID_RUN), 1);
}

TEST_F(AppTest, PumpUntilWaitsForPostedWorkAndGivesUpAtTheTimeout) {
  bool arrived = false;
  frame.onMessage(WM_APP + 7, [&](WPARAM, LPARAM) -> LRESULT {
    arrived = true;
    return 0;
  });
  PostMessageW(frame.hwnd(), WM_APP + 7, 0, 0);
  EXPECT_TRUE(app.pumpUntil([&] { return arrived; }, 2000));

  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(app.pumpUntil([] { return false; }, 100));
  EXPECT_GE(GetTickCount64() - start, 90u);
}

class EchoDialog : public fw::CDialog {
 public:
  explicit EchoDialog(HWND parent) : CDialog(IDD_TEST_DIALOG, parent) {}
  void OnOK() override {
    accepted = itemText(IDC_NAME);
    CDialog::OnOK();
  }
  std::string accepted;
};

TEST_F(AppTest, ModelessDialogGetsDialogKeysAndLeavesTheFramesAcceleratorsAlone) {
  EchoDialog dialog(frame.hwnd());
  ASSERT_TRUE(dialog.createModeless());
  dialog.setItemText(IDC_NAME, "モードレス");
  HWND edit = dialog.item(IDC_NAME);

  // F5 is the frame's accelerator, but not inside the dialog.
  MSG f5 = messageFor(edit, WM_KEYDOWN, VK_F5);
  app.processMessage(f5);
  EXPECT_EQ(frame.count(ID_GUARDED), 0);

  // Enter in the dialog presses its default button; OnOK of a modeless
  // dialog destroys it, which unregisters it from the application.
  MSG enter = messageFor(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_TRUE(app.preTranslateMessage(enter));
  EXPECT_EQ(dialog.accepted, "モードレス");
  EXPECT_EQ(dialog.hwnd(), nullptr);
  MSG after = messageFor(edit, WM_KEYDOWN, VK_RETURN);
  EXPECT_FALSE(app.preTranslateMessage(after));
}

TEST_F(AppTest, ModelessDialogWhoseSetUpThrowsIsNotCreatedAndTheLoopRethrows) {
  struct BrokenDialog : EchoDialog {
    using EchoDialog::EchoDialog;
    BOOL OnInitDialog() override { throw orka::Error("初期化に失敗しました。"); }
  };
  BrokenDialog dialog(frame.hwnd());
  EXPECT_FALSE(dialog.createModeless());
  EXPECT_EQ(dialog.hwnd(), nullptr);
  EXPECT_THROW(app.pumpPending(), orka::Error);
}

TEST(Help, MissingHelpFileIsReportedAsFailure) {
  EXPECT_FALSE(fw::showHtmlHelp("C:\\nowhere\\ヘルプ.chm"));
}

TEST(ResourceText, JapaneseStringsComeBackWholeAsUtf8) {
  EXPECT_EQ(fw::loadString(ID_RUN), "処理を実行します。\n実行");
  EXPECT_EQ(fw::loadString(ID_NO_STRING), "");
  EXPECT_EQ(GetACP(), 932u);
}

}  // namespace
}  // namespace fwtest
