// Editing in the running window: the Edit and Format menus' rules and
// commands, and read-only mode with its viewer keys.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "editor/res/resource.h"
#include "tests/editor/editor_fixture.h"
#include "framework/modal.h"

namespace {

void putTextOnClipboard(HWND owner, const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  if (text) {
    size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text, bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
  }
  CloseClipboard();
}

int firstVisibleLine(EditCtrl& edit) { return static_cast<int>(edit.send(EM_GETFIRSTVISIBLELINE)); }

// While alive, the next edit controls made for the editor either cannot be
// created or refuse every text set into them.
class FailingEditControls {
 public:
  explicit FailingEditControls(bool creatable) {
    creatable_ = creatable;
    hook_ = SetWindowsHookExW(WH_CBT, &FailingEditControls::hook, nullptr, GetCurrentThreadId());
  }
  ~FailingEditControls() { UnhookWindowsHookEx(hook_); }

 private:
  static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
      const CREATESTRUCTW& cs = *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
      if (cs.hMenu == reinterpret_cast<HMENU>(static_cast<INT_PTR>(EditCtrl::kId))) {
        if (!creatable_) return 1;
        SetWindowSubclass(reinterpret_cast<HWND>(wParam), &refuseText, 1, 0);
      }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  static LRESULT CALLBACK refuseText(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETTEXT) return FALSE;
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &refuseText, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }

  static inline bool creatable_ = true;
  HHOOK hook_;
};

std::string lines(int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += "line " + std::to_string(i) + std::string(200, 'x') + "\r\n";
  return text;
}

}  // namespace

TEST_F(EditorTest, EditCommandsFollowModeSelectionAndClipboard) {
  CMainWnd& window = start();
  EditCtrl& edit = *window.editCtrl();
  edit.setText("abc");
  edit.setSelection(3, 3);
  edit.replaceSelection("d", true);  // something to undo
  putTextOnClipboard(window.hwnd(), L"clip");

  struct Case {
    bool readOnly, selected;
    bool undo, cut, copy, clear, paste;
  };
  const Case cases[] = {
      {false, false, true, false, false, false, true},
      {false, true, true, true, true, true, true},
      {true, true, false, false, true, false, false},
      {true, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    window.setReadOnlyMode(c.readOnly);
    edit.setSelection(c.selected ? 0 : 1, 1);
    SCOPED_TRACE(testing::Message() << "readOnly " << c.readOnly << " selected " << c.selected);
    EXPECT_EQ(!isGrayed(window, ID_EDIT_UNDO), c.undo);
    EXPECT_EQ(!isGrayed(window, ID_EDIT_CUT), c.cut);
    EXPECT_EQ(!isGrayed(window, ID_EDIT_COPY), c.copy);
    EXPECT_EQ(!isGrayed(window, ID_EDIT_CLEAR), c.clear);
    EXPECT_EQ(!isGrayed(window, ID_EDIT_PASTE), c.paste);
    EXPECT_EQ(isChecked(window, ID_EDIT_READ_ONLY), c.readOnly);
    EXPECT_TRUE(!isGrayed(window, ID_EDIT_SELECT_ALL));
  }

  // Read-only with a selection: the accelerators of the greyed commands do
  // nothing, Copy still copies.
  edit.setSelection(0, 2);
  for (UINT key : {'X', 'V', 'Z'}) pressKey(edit.hwnd(), key, true);
  EXPECT_EQ(edit.text(), "abcd");
  pressKey(edit.hwnd(), 'C', true);
  window.setReadOnlyMode(false);
  edit.setSelection(4, 4);
  EXPECT_TRUE(window.execute(ID_EDIT_PASTE));
  EXPECT_EQ(edit.text(), "abcdab");

  putTextOnClipboard(window.hwnd(), nullptr);
  EXPECT_TRUE(isGrayed(window, ID_EDIT_PASTE));
}

TEST_F(EditorTest, SelectAllSelectsEverythingAndShowsTheEnd) {
  CMainWnd& window = start();
  MoveWindow(window.hwnd(), 0, 0, 500, 300, TRUE);
  EditCtrl& edit = *window.editCtrl();
  std::string text = lines(100);
  edit.setText(text);
  EXPECT_TRUE(window.execute(ID_EDIT_SELECT_ALL));
  EXPECT_EQ(edit.selection().start, 0);
  EXPECT_EQ(edit.selection().end, static_cast<int>(text.size()));
  EXPECT_GT(firstVisibleLine(edit), 50);
}

TEST_F(EditorTest, ViewerKeysScrollWithoutMovingTheCaret) {
  CMainWnd& window = start();
  MoveWindow(window.hwnd(), 0, 0, 500, 300, TRUE);
  EditCtrl& edit = *window.editCtrl();
  edit.setText(lines(100));
  edit.setSelection(3, 3);
  window.setReadOnlyMode(true);

  typeChar(edit.hwnd(), 'j');
  EXPECT_EQ(firstVisibleLine(edit), 1);
  typeChar(edit.hwnd(), 'k');
  EXPECT_EQ(firstVisibleLine(edit), 0);
  typeChar(edit.hwnd(), ' ');
  int page = firstVisibleLine(edit);
  EXPECT_GT(page, 3);
  typeChar(edit.hwnd(), 'J');  // capital: a page, not a line
  EXPECT_EQ(firstVisibleLine(edit), 2 * page);
  typeChar(edit.hwnd(), 'G');
  EXPECT_GT(firstVisibleLine(edit), 80);
  typeChar(edit.hwnd(), 'g');
  EXPECT_EQ(firstVisibleLine(edit), 0);
  EXPECT_EQ(edit.selection().start, 3);
  EXPECT_EQ(edit.selection().end, 3);
  EXPECT_FALSE(edit.modified());

  // Writable again, the same letters are text.
  window.setReadOnlyMode(false);
  typeChar(edit.hwnd(), 'j');
  EXPECT_EQ(edit.text().substr(0, 4), "linj");
}

TEST_F(EditorTest, QuitKeysCloseThroughExitWithItsPrompt) {
  for (wchar_t key : {L'q', wchar_t(27)}) {
    CMainWnd& window = start();
    window.editCtrl()->replaceSelection("unsaved", true);
    window.setReadOnlyMode(true);
    HWND hwnd = window.hwnd();
    {
      fw::ScriptedModals modals;
      modals.answer(IDCANCEL);
      typeChar(window.editCtrl()->hwnd(), key);
      ASSERT_EQ(modals.seen().size(), 1u);
      EXPECT_EQ(modals.seen()[0].caption, "確認 [ミルデア]");
      EXPECT_TRUE(IsWindow(hwnd));
    }
    window.editCtrl()->setModified(false);
    typeChar(window.editCtrl()->hwnd(), key);
    testApp().pumpUntil([hwnd] { return !IsWindow(hwnd); });
    EXPECT_FALSE(IsWindow(hwnd)) << int(key);
    window_.reset();
  }
}

TEST_F(EditorTest, WordWrapRebuildsTheControlAndCarriesItsState) {
  CMainWnd& window = start();
  for (bool modified : {false, true}) {
    window.editCtrl()->setText("abc\r\n" + std::string(300, 'x'));
    window.editCtrl()->setModified(modified);
    window.editCtrl()->setSelection(2, 2);
    window.editCtrl()->replaceSelection("y", true);
    window.editCtrl()->setModified(modified);
    window.setReadOnlyMode(true);
    HFONT font = window.font();
    for (bool wrapped : {true, false}) {
      EXPECT_TRUE(window.execute(ID_FORMAT_WORD_WRAP));
      EditCtrl& edit = *window.editCtrl();
      SCOPED_TRACE(testing::Message() << "modified " << modified << " wrapped " << wrapped);
      EXPECT_EQ(window.settings().wordWrap, wrapped);
      EXPECT_EQ(isChecked(window, ID_FORMAT_WORD_WRAP), wrapped);
      EXPECT_EQ((GetWindowLongPtrW(edit.hwnd(), GWL_STYLE) & WS_HSCROLL) != 0, !wrapped);
      EXPECT_EQ(edit.modified(), modified);
      EXPECT_EQ(edit.text().substr(0, 4), "abyc");
      EXPECT_EQ(edit.selection().start, 0);
      EXPECT_EQ(edit.send(EM_CANUNDO), 0);
      EXPECT_TRUE(edit.readOnly());
      EXPECT_EQ(reinterpret_cast<HFONT>(edit.send(WM_GETFONT)), font);
      EXPECT_EQ(GetFocus(), edit.hwnd());
    }
    window.setReadOnlyMode(false);
  }
}

TEST_F(EditorTest, WordWrapKeepsTheOldControlWhenTheNewOneFails) {
  CMainWnd& window = start();
  for (bool creatable : {false, true}) {
    SCOPED_TRACE(creatable ? "new control refuses the text" : "no new control");
    EditCtrl* old = window.editCtrl();
    old->setText("abc\r\n\x93\xfa\x96\x7b");
    old->setSelection(2, 7);
    old->setModified(true);
    {
      FailingEditControls failing(creatable);
      window.execute(ID_FORMAT_WORD_WRAP);
    }
    EXPECT_EQ(window.editCtrl(), old);
    EXPECT_TRUE(IsWindowVisible(old->hwnd()));
    EXPECT_EQ(old->text(), "abc\r\n\x93\xfa\x96\x7b");
    EXPECT_EQ(old->selection().start, 2);
    EXPECT_EQ(old->selection().end, 7);
    EXPECT_TRUE(old->modified());
    EXPECT_FALSE(window.settings().wordWrap);
    EXPECT_FALSE(isChecked(window, ID_FORMAT_WORD_WRAP));
    EXPECT_EQ(GetFocus(), old->hwnd());
  }
}

TEST_F(EditorTest, FontChoiceAppliesOrLeavesTheOldFont) {
  CMainWnd& window = start();
  for (bool creatable : {true, false}) {
    if (!creatable) window.setFontFactory([](const LOGFONTA&) -> HFONT { return nullptr; });
    HFONT before = reinterpret_cast<HFONT>(window.editCtrl()->send(WM_GETFONT));
    fw::ScriptedModals modals;
    modals.answer(IDOK, [](fw::ModalRequest& request) {
      request.font.lfHeight = -20;
      wcscpy(request.font.lfFaceName, L"Tahoma");
    });
    EXPECT_TRUE(window.execute(ID_FORMAT_FONT));
    HFONT after = reinterpret_cast<HFONT>(window.editCtrl()->send(WM_GETFONT));
    EXPECT_EQ(after != before, creatable);
    EXPECT_EQ(window.font(), after);
    EXPECT_EQ(window.settings().font.lfHeight, -20);
    window.settings().font.lfHeight = 12;
  }
}

TEST_F(EditorTest, PositionPaneShowsTheSelectionStartAcrossLines) {
  CMainWnd& window = start();
  EditCtrl& edit = *window.editCtrl();
  edit.setText("a\r\nbcdefgh\r\nx\r\nyz");
  edit.setSelection(7, 15);  // line 2 column 5 to line 4 column 1
  window.updateControlBars();
  EXPECT_EQ(window.statusBar().paneText(1), "2行、5列");
}
