// Editing in the running window: the Edit and Format menus' rules and
// commands, read-only mode with its viewer keys, date and time insertion and
// the format dialog.
#include <windows.h>

#include <string>
#include <vector>

#include "editor/date_format_dialog.h"
#include "editor/date_time.h"
#include "editor/res/resource.h"
#include "editor_fixture.h"
#include "framework/modal.h"

namespace {

// Monday 7 December 2026, 14:05:09.
constexpr SYSTEMTIME kInstant = {2026, 12, 1, 7, 14, 5, 9, 0};

// Fixes "now" for the stamp and the format dialog's sample.
struct FixedClock {
  FixedClock() {
    setLocalClock([] { return kInstant; });
  }
  ~FixedClock() { setLocalClock({}); }
};

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

// A character typed into `target`, through pre-translation as the loop does.
void typeChar(HWND target, wchar_t ch) {
  MSG msg{};
  msg.hwnd = target;
  msg.message = WM_CHAR;
  msg.wParam = ch;
  msg.lParam = 1;
  testApp().processMessage(msg);
  pump();
}

int firstVisibleLine(EditCtrl& edit) { return static_cast<int>(edit.send(EM_GETFIRSTVISIBLELINE)); }

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

TEST_F(EditorTest, QuitKeyClosesThroughExit) {
  for (wchar_t key : {L'q', wchar_t(27)}) {
    CMainWnd& window = start();
    window.setReadOnlyMode(true);
    HWND hwnd = window.hwnd();
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

TEST(DateTime, PicturesTakeTheTimeThenTheDatePass) {
  struct Case {
    const char* format;
    const char* expected;
  };
  const Case cases[] = {
      {"yyyy/MM/dd HH:mm", "2026/12/07 14:05"},
      {"HH:mm yyyy/MM/dd", "14:05 2026/12/07"},
      {"yyyy年M月d日 H時m分", "2026年12月7日 14時5分"},
      {"yyyy年M月d日（ddd） H時m分s秒", "2026年12月7日（月） 14時5分9秒"},
      {"M月d日(ddd)", "12月7日(月)"},
      {"M月d日(ddd) tth時", "12月7日(月) 午後2時"},
      {"yyyy/MM/dd HH:mm:ss", "2026/12/07 14:05:09"},
      {"日付：", "日付："},
      // Quotes only keep the time pass off; the date pass reads d and y.
      {"'day' d", "7a26 7"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatDateTime(c.format, kInstant), c.expected) << c.format;
}

TEST_F(EditorTest, DateTimeReplacesTheSelectionUnlessReadOnly) {
  FixedClock clock;
  CMainWnd& window = start();
  EditCtrl& edit = *window.editCtrl();
  edit.setText("abcXYZ");
  edit.setSelection(3, 6);
  pressKey(edit.hwnd(), VK_F5);
  EXPECT_EQ(edit.text(), "abc2026/12/07 14:05");
  EXPECT_EQ(edit.selection().start, 19);
  EXPECT_TRUE(edit.send(EM_CANUNDO));

  window.setReadOnlyMode(true);
  EXPECT_FALSE(window.execute(ID_EDIT_DATE_TIME));
  EXPECT_EQ(edit.textLength(), 19);
}

TEST_F(EditorTest, DateFormatDialogPreviewsAndGuardsTheFormat) {
  FixedClock clock;
  CMainWnd& window = start();
  window.settings().dateFormat = "H時";
  auto sample = [](fw::CDialog& d) { return d.itemText(IDC_DATE_SAMPLE); };
  auto edited = [](fw::CDialog& d, const char* text) {
    d.setItemText(IDC_DATE_FORMAT, text);
    SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DATE_FORMAT, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(d.item(IDC_DATE_FORMAT)));
  };

  fw::ScriptedModals modals;
  modals.answer(IDCANCEL, [&](fw::ModalRequest& request) {
    fw::CDialog& d = *request.dialog;
    HWND combo = d.item(IDC_DATE_FORMAT);
    EXPECT_EQ(d.itemText(IDC_DATE_FORMAT), "H時");
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(sample(d), "［14時］");

    // A pick is previewed from the list item before the field shows it.
    SendMessageW(combo, CB_SETCURSEL, 5, 0);
    SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DATE_FORMAT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    EXPECT_EQ(sample(d), "［12月7日(月) 午後2時］");

    edited(d, "");
    EXPECT_FALSE(d.isItemEnabled(IDOK));
    EXPECT_EQ(sample(d), "［］");

    std::string full(99, 'y');
    edited(d, full.c_str());
    EXPECT_TRUE(d.isItemEnabled(IDOK));
    edited(d, (full + "あ").c_str());  // 101 bytes in the settings file
    EXPECT_EQ(d.itemText(IDC_DATE_FORMAT), full);
  });
  EXPECT_TRUE(window.execute(ID_SETTINGS_DATE_FORMAT));
  EXPECT_EQ(window.settings().dateFormat, "H時");

  modals.answer(IDOK, [&](fw::ModalRequest& request) { edited(*request.dialog, "HH:mm"); });
  window.execute(ID_SETTINGS_DATE_FORMAT);
  EXPECT_EQ(window.settings().dateFormat, "HH:mm");
  EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());
  EXPECT_EQ(modals.unexpected(), 0);
}
