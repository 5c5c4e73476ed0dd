// A command that throws: the error box, and the editor going on with its
// text; an error the editor cannot go on from: the save question before the
// end.
#include <windows.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/command_failure.h"
#include "framework/modal.h"
#include "orka/errors/error.h"
#include "tests/editor/editor_fixture.h"

namespace {

// A command of the tests' own, reached through the message loop as a menu
// click would reach it.
constexpr UINT kFailingCommand = 2139;

std::exception_ptr thrown(const std::function<void()>& fail) {
  try {
    fail();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

TEST_F(EditorTest, FailedCommandShowsItsErrorAndTheTextStays) {
  struct Case {
    const char* name;
    std::function<void()> fail;
    std::string shown;
  };
  const Case cases[] = {
      {"the program's own error", [] { throw orka::Error("置換に失敗しました。"); }, "置換に失敗しました。"},
      {"out of memory", [] { throw std::bad_alloc(); }, "メモリが足りないため、操作を完了できませんでした。"},
      {"anything else", [] { throw std::runtime_error("x"); },
       "予期しないエラーのため、操作を完了できませんでした。"},
  };
  CMainWnd& window = start();
  window.editCtrl()->setText("unsaved");
  window.editCtrl()->setModified(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.onCommand(kFailingCommand, c.fail);
    fw::ScriptedModals modals;
    modals.answer(IDOK);
    PostMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(kFailingCommand, 0), 0);
    EXPECT_NO_THROW(pump());
    ASSERT_EQ(modals.seen().size(), 1u);
    EXPECT_EQ(modals.seen()[0].text, c.shown);
    EXPECT_EQ(modals.seen()[0].caption, "エラー [ミルデア]");
    EXPECT_EQ(window.editCtrl()->text(), "unsaved");
    EXPECT_TRUE(window.editCtrl()->modified());
  }
}

// Through the program's own application object, as its message loop ends.
TEST_F(EditorTest, ErrorTheEditorCannotGoOnFromAsksTheSaveQuestionBeforeTheEnd) {
  auto& app = static_cast<CMyApp&>(testApp());
  StartupOptions options;
  options.settingsPath = settingsPath();
  options.com = &com_;
  options.showCommand = SW_SHOWNOACTIVATE;
  ASSERT_TRUE(app.start(options));
  app.mainWindow()->editCtrl()->setText("unsaved");
  app.mainWindow()->editCtrl()->setModified(true);
  fw::ScriptedModals modals;
  modals.answer(IDOK);
  modals.answer(IDNO);
  EXPECT_EQ(app.ExitOnError(thrown([] { throw orka::Error("壊れました。"); })), 1);
  app.stop();
  std::vector<std::string> asked;
  for (const auto& seen : modals.seen()) asked.push_back(seen.text);
  EXPECT_EQ(asked,
            (std::vector<std::string>{"壊れました。\n\nこのエラーのため、ミルデアを終了します。",
                                      "ファイル 無題 の内容は変更されています。\n\n変更を保存しますか？"}));
}

}  // namespace
