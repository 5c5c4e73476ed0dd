// Find, replace and go to line in the running editor: the real find and
// replace dialogs driven through their buttons, the not-found box and the
// go-to-line dialog answered by the scripted responder.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "editor/res/resource.h"
#include "tests/editor/editor_fixture.h"
#include "framework/dialog.h"
#include "framework/modal.h"

namespace {

// Control ids of the system's find and replace templates.
constexpr int kFindField = 0x480;     // edt1
constexpr int kReplaceField = 0x481;  // edt2
constexpr int kReplaceButton = 0x400;  // psh1
constexpr int kReplaceAllButton = 0x401;  // psh2

// The find or replace dialog the main window owns, if one is open.
HWND searchDialog(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (GetWindow(hwnd, GW_OWNER) != s->owner || !GetDlgItem(hwnd, kFindField)) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool isReplaceDialog(HWND dialog) { return GetDlgItem(dialog, kReplaceField) != nullptr; }

void press(HWND dialog, int button) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
  pump();
}

void search(HWND dialog, const wchar_t* find, int button, const wchar_t* replace = nullptr) {
  SetDlgItemTextW(dialog, kFindField, find);
  if (replace) SetDlgItemTextW(dialog, kReplaceField, replace);
  press(dialog, button);
}

std::wstring fieldText(HWND dialog, int id) {
  wchar_t buffer[256] = {};
  GetDlgItemTextW(dialog, id, buffer, 256);
  return buffer;
}

class SearchTest : public EditorTest {
 protected:
  CMainWnd& startWith(const char* text) {
    CMainWnd& window = start();
    window.editCtrl()->setText(text);
    window.editCtrl()->setSelection(0, 0);
    return window;
  }
  std::pair<int, int> selection(CMainWnd& window) {
    EditCtrl::Selection sel = window.editCtrl()->selection();
    return {sel.start, sel.end};
  }
};

using Sel = std::pair<int, int>;

TEST_F(SearchTest, FindNextOpensTheDialogUntilThereIsASearchThenSearchesWithoutIt) {
  CMainWnd& window = startWith("ab ab");
  ASSERT_TRUE(window.execute(ID_EDIT_FIND_NEXT));
  HWND dialog = searchDialog(window.hwnd());
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(isReplaceDialog(dialog));
  search(dialog, L"ab", IDOK);
  EXPECT_EQ(selection(window), Sel(0, 2));
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  pump();
  EXPECT_EQ(searchDialog(window.hwnd()), nullptr);
  EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());

  window.execute(ID_EDIT_FIND_NEXT);
  EXPECT_EQ(selection(window), Sel(3, 5));
  EXPECT_EQ(searchDialog(window.hwnd()), nullptr);

  fw::ScriptedModals modals;
  modals.answer(IDOK);
  window.execute(ID_EDIT_FIND_NEXT);
  ASSERT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(modals.seen()[0].text, "“ab”が見つかりません。");
  EXPECT_EQ(modals.seen()[0].caption, "確認 [ミルデア]");
  EXPECT_EQ(modals.seen()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(selection(window), Sel(3, 5));

  // Word wrap puts a new control in place; the search follows it.
  window.execute(ID_FORMAT_WORD_WRAP);
  window.execute(ID_EDIT_FIND_NEXT);
  EXPECT_EQ(selection(window), Sel(0, 2));
}

TEST_F(SearchTest, FindWhileReplaceIsOpenOpensFindWithTheSelectionsFirstLine) {
  CMainWnd& window = startWith("\r\nfoo\r\nbar");
  window.editCtrl()->setSelection(0, -1);
  window.execute(ID_EDIT_REPLACE);
  HWND replace = searchDialog(window.hwnd());
  ASSERT_NE(replace, nullptr);
  EXPECT_TRUE(isReplaceDialog(replace));

  window.execute(ID_EDIT_FIND);
  HWND find = searchDialog(window.hwnd());
  ASSERT_NE(find, nullptr);
  EXPECT_FALSE(IsWindow(replace));
  EXPECT_FALSE(isReplaceDialog(find));
  EXPECT_EQ(fieldText(find, kFindField), L"foo");

  // A selection of line breaks only proposes the last search text.
  search(find, L"bar", IDOK);
  SendMessageW(find, WM_CLOSE, 0, 0);
  window.editCtrl()->setSelection(0, 2);
  window.execute(ID_EDIT_FIND);
  EXPECT_EQ(fieldText(searchDialog(window.hwnd()), kFindField), L"bar");
}

TEST_F(SearchTest, ReplaceSelectsFirstAndReplacesOnTheNextPress) {
  CMainWnd& window = startWith("a-a-a");
  window.execute(ID_EDIT_REPLACE);
  HWND dialog = searchDialog(window.hwnd());
  search(dialog, L"a", kReplaceButton, L"bb");
  EXPECT_EQ(window.editCtrl()->text(), "a-a-a");
  EXPECT_EQ(selection(window), Sel(0, 1));
  press(dialog, kReplaceButton);
  EXPECT_EQ(window.editCtrl()->text(), "bb-a-a");
  EXPECT_EQ(selection(window), Sel(3, 4));
}

TEST_F(SearchTest, ReplaceAllIsOneUndoableStepThatNeverSearchesItsOwnText) {
  CMainWnd& window = startWith("aXa\r\na");
  window.editCtrl()->setSelection(2, 3);
  window.execute(ID_EDIT_REPLACE);
  HWND dialog = searchDialog(window.hwnd());
  fw::ScriptedModals modals;
  search(dialog, L"a", kReplaceAllButton, L"aa");
  EXPECT_EQ(window.editCtrl()->text(), "aaXaa\r\naa");
  EXPECT_EQ(selection(window), Sel(0, 0));
  window.editCtrl()->send(EM_UNDO);
  EXPECT_EQ(window.editCtrl()->text(), "aXa\r\na");

  window.editCtrl()->setSelection(2, 3);
  window.editCtrl()->setModified(false);
  search(dialog, L"zz", kReplaceAllButton, L"aa");
  EXPECT_EQ(window.editCtrl()->text(), "aXa\r\na");
  EXPECT_EQ(selection(window), Sel(0, 0));
  EXPECT_FALSE(window.editCtrl()->modified());
  EXPECT_TRUE(modals.seen().empty());
}

TEST_F(SearchTest, ReplaceAllOverTheByteLimitIsRefusedBeforeAnythingChanges) {
  struct Case {
    int limit;
    bool fits;
  };
  const Case cases[] = {{8, true}, {7, false}};
  CMainWnd& window = startWith("");
  window.execute(ID_EDIT_REPLACE);
  HWND dialog = searchDialog(window.hwnd());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.limit);
    EditCtrl& edit = *window.editCtrl();
    edit.setText("a-a-a");  // three more bytes when each a is replaced with あ
    edit.setByteLimit(c.limit);
    edit.setSelection(2, 3);
    edit.setModified(false);
    fw::ScriptedModals modals;
    modals.answer(IDOK);
    search(dialog, L"a", kReplaceAllButton, L"\u3042");
    EXPECT_EQ(edit.text(), c.fits ? "\x82\xa0-\x82\xa0-\x82\xa0" : "a-a-a");
    EXPECT_EQ(selection(window), c.fits ? Sel(0, 0) : Sel(2, 3));
    EXPECT_EQ(edit.modified(), c.fits);
    const std::vector<std::string> expected =
        c.fits ? std::vector<std::string>{} : std::vector<std::string>{"置換後のテキストが長すぎるため、すべて置換することはできません。"};
    std::vector<std::string> shown;
    for (const auto& seen : modals.seen()) shown.push_back(seen.text);
    EXPECT_EQ(shown, expected);
  }
}

TEST_F(SearchTest, FieldsHold127BytesOfTheCodePage) {
  CMainWnd& window = startWith("");
  window.execute(ID_EDIT_REPLACE);
  HWND dialog = searchDialog(window.hwnd());
  std::wstring full;
  for (int i = 0; i < 63; ++i) full += L'\u3042';  // 126 bytes, 63 characters
  for (int field : {kFindField, kReplaceField}) {
    SCOPED_TRACE(field);
    HWND edit = GetDlgItem(dialog, field);
    SetWindowTextW(edit, full.c_str());
    SendMessageW(edit, EM_SETSEL, 63, 63);
    typeChar(edit, L'\u3044');  // two bytes: one too many
    EXPECT_EQ(fieldText(dialog, field), full);
    typeChar(edit, L'x');
    EXPECT_EQ(fieldText(dialog, field), full + L"x");
    typeChar(edit, L'y');
    EXPECT_EQ(fieldText(dialog, field), full + L"x");
  }
}

TEST_F(SearchTest, SearchTextTheCodePageCannotHoldIsNotFound) {
  CMainWnd& window = startWith("?x");
  window.execute(ID_EDIT_FIND);
  fw::ScriptedModals modals;
  modals.answer(IDOK);
  search(searchDialog(window.hwnd()), L"\U0001F600", IDOK);
  EXPECT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(selection(window), Sel(0, 0));
}

TEST_F(SearchTest, ReadOnlyModeClosesReplaceButNotFind) {
  CMainWnd& window = startWith("");
  window.execute(ID_EDIT_REPLACE);
  HWND replace = searchDialog(window.hwnd());
  window.setReadOnlyMode(true);
  pump();
  EXPECT_FALSE(IsWindow(replace));
  EXPECT_FALSE(window.execute(ID_EDIT_REPLACE));

  window.execute(ID_EDIT_FIND);
  HWND find = searchDialog(window.hwnd());
  window.setReadOnlyMode(false);
  window.setReadOnlyMode(true);
  pump();
  EXPECT_TRUE(IsWindow(find));
}

struct JumpCase {
  const char* text;
  int caret;         // byte offset before the command
  const char* typed;  // nullptr: leave the field as offered
  int expected;      // caret afterwards
};

TEST_F(SearchTest, GoToLineTakesTheSpinsLastValidNumber) {
  const JumpCase cases[] = {
      {"", 0, nullptr, 0},             // offers 1 of 1
      {"a\r\nb\r\nc", 0, "3", 6},      // the third line's first byte
      {"a\r\nb\r\nc", 3, "0", 3},      // below the range: stays on line 2
      {"a\r\nb\r\nc", 3, "9", 3},      // above it
      {"a\r\nb\r\nc", 3, "", 3},       // empty
  };
  CMainWnd& window = start();
  for (const JumpCase& c : cases) {
    window.editCtrl()->setText(c.text);
    window.editCtrl()->setSelection(c.caret, c.caret);
    fw::ScriptedModals modals;
    int lowest = 0, highest = 0;
    modals.answer(IDOK, [&](fw::ModalRequest& request) {
      SendMessageW(request.dialog->item(IDC_JUMP_SPIN), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lowest),
                   reinterpret_cast<LPARAM>(&highest));
      if (c.typed) request.dialog->setItemText(IDC_JUMP_LINE, c.typed);
    });
    ASSERT_TRUE(window.execute(ID_EDIT_GOTO_LINE));
    ASSERT_EQ(modals.seen().size(), 1u);
    EXPECT_EQ(modals.seen()[0].templateId, static_cast<UINT>(IDD_JUMP_LINE));
    EXPECT_EQ(lowest, 1);
    EXPECT_EQ(highest, window.editCtrl()->lineCount());
    EXPECT_EQ(selection(window), Sel(c.expected, c.expected)) << c.text << " " << (c.typed ? c.typed : "-");
    EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());
  }
  window.execute(ID_FORMAT_WORD_WRAP);
  EXPECT_FALSE(window.execute(ID_EDIT_GOTO_LINE));
}

}  // namespace
