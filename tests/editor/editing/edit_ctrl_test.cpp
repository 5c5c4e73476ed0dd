// The edit control's byte-offset contract: text in and out as code page 932
// bytes, positions counted in those bytes, whatever the control holds inside.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "editor/editing/edit_ctrl.h"
#include "orka/text/wide.h"
#include "tests/editor/editor_fixture.h"

#include <imm.h>  // after windows.h

namespace {

// "あa" CR LF "ｱ日本": double-byte, single-byte and half-width katakana.
const std::string kMixed =
    "\x82\xa0"
    "a\r\n"
    "\xb1"
    "\x93\xfa\x96\x7b";

class EditCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testApp();
    parent_ = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(parent_, nullptr);
    edit_ = createEditCtrl(parent_, false, nullptr, false);
    ASSERT_NE(edit_, nullptr);
  }
  void TearDown() override {
    edit_.reset();
    DestroyWindow(parent_);
  }

  // Completes a composition of `text` through the input method context, as
  // an input method does when the user confirms a word.
  void compose(const std::wstring& text) {
    HIMC context = ImmGetContext(edit_->hwnd());
    ASSERT_NE(context, nullptr);
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(text.c_str()), bytes, nullptr, 0);
    ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
    ImmReleaseContext(edit_->hwnd(), context);
    pump();
  }

  std::pair<DWORD, DWORD> wideSelection() const {
    DWORD start = 0, end = 0;
    SendMessageW(edit_->hwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }

  HWND parent_ = nullptr;
  std::unique_ptr<EditCtrl> edit_;
};

// Puts `text` on the clipboard, opened by `owner` and left open.
void fillClipboard(HWND owner, const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  std::memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
}

}  // namespace

TEST(CodePage, IsJapanese) { EXPECT_EQ(GetACP(), 932u); }

TEST_F(EditCtrlTest, TextGoesInAndOutAsAnsiBytes) {
  edit_->setText(kMixed);
  EXPECT_EQ(edit_->text(), kMixed);
  EXPECT_EQ(edit_->textLength(), 10);
  // The control itself holds real characters, not bytes posing as them.
  wchar_t shown[16] = {};
  GetWindowTextW(edit_->hwnd(), shown, 16);
  EXPECT_EQ(std::wstring(shown), L"\u3042a\r\n\uff71\u65e5\u672c");
  EXPECT_EQ(GetDlgCtrlID(edit_->hwnd()), EditCtrl::kId);
}

TEST_F(EditCtrlTest, SelectionIsCountedInBytes) {
  edit_->setText(kMixed);
  edit_->setSelection(2, 10);
  EXPECT_EQ(wideSelection(), std::make_pair(DWORD{1}, DWORD{7}));
  EXPECT_EQ(edit_->selection().start, 2);
  EXPECT_EQ(edit_->selection().end, 10);

  // Offsets inside a double-byte character fall back to its first byte.
  edit_->setSelection(1, 7);
  EXPECT_EQ(edit_->selection().start, 0);
  EXPECT_EQ(edit_->selection().end, 6);

  edit_->setSelection(0, -1);
  EXPECT_EQ(edit_->selection().end, 10);
  edit_->setSelection(50, 60);
  EXPECT_EQ(edit_->selection().start, 10) << "past the end is the end";
}

TEST_F(EditCtrlTest, LinesAreFoundByByteOffset) {
  edit_->setText(kMixed);
  EXPECT_EQ(edit_->lineCount(), 2);
  EXPECT_EQ(edit_->lineFromChar(0), 0);
  EXPECT_EQ(edit_->lineFromChar(4), 0) << "the line break belongs to its line";
  EXPECT_EQ(edit_->lineFromChar(5), 1);
  EXPECT_EQ(edit_->lineIndex(0), 0);
  EXPECT_EQ(edit_->lineIndex(1), 5);
  EXPECT_EQ(edit_->lineIndex(2), -1);

  edit_->setSelection(8, 10);
  EXPECT_EQ(edit_->lineFromChar(-1), 1);
  EXPECT_EQ(edit_->lineIndex(-1), 5);
}

TEST_F(EditCtrlTest, OffsetsFollowTypingUndoAndTheModifiedFlag) {
  edit_->setText(kMixed);
  EXPECT_FALSE(edit_->modified());
  edit_->setSelection(3, 3);                        // after "あa"
  SendMessageW(edit_->hwnd(), WM_CHAR, 0x65e5, 1);  // 日
  EXPECT_TRUE(edit_->modified());
  EXPECT_EQ(edit_->textLength(), 12);
  EXPECT_EQ(edit_->selection().start, 5);
  EXPECT_EQ(edit_->lineIndex(1), 7);

  SendMessageW(edit_->hwnd(), EM_UNDO, 0, 0);
  EXPECT_EQ(edit_->text(), kMixed);
  EXPECT_EQ(edit_->lineIndex(1), 5);

  edit_->setSelection(0, 2);
  edit_->replaceSelection("\x82\xa2\x82\xa4", true);  // "いう"
  EXPECT_EQ(edit_->text().substr(0, 5),
            "\x82\xa2\x82\xa4"
            "a");
  EXPECT_EQ(edit_->selection().start, 4);

  edit_->setModified(false);
  EXPECT_FALSE(edit_->modified());
}

TEST_F(EditCtrlTest, LongTextsConvertAcrossTheWholeLength) {
  // Far more characters than one step of the offset table.
  std::string text;
  for (int i = 0; i < 9000; ++i) text += "\x82\xa0";
  text += "\r\nx";
  for (int i = 0; i < 9000; ++i) text += "\x82\xa2";
  edit_->setText(text);
  ASSERT_EQ(edit_->textLength(), static_cast<int>(text.size()));

  EXPECT_EQ(edit_->byteFromWide(4500), 9000);
  EXPECT_EQ(edit_->wideFromByte(9000), 4500);
  EXPECT_EQ(edit_->lineIndex(1), 18002);
  edit_->setSelection(18003 + 2 * 5000, -1);
  EXPECT_EQ(wideSelection().first, DWORD{9003 + 5000});
  EXPECT_EQ(edit_->selection().end, static_cast<int>(text.size()));
  for (int wide : {0, 4095, 4096, 4097, 9001, 9002, 12000, 18003}) {
    EXPECT_EQ(edit_->wideFromByte(edit_->byteFromWide(wide)), wide) << wide;
  }
}

TEST_F(EditCtrlTest, CharactersOutsideTheCodePageStayConsistent) {
  // A surrogate pair and an accented letter that code page 932 cannot hold:
  // they come out as one byte each, and every position agrees with that.
  SetWindowTextW(edit_->hwnd(), L"a\U00020BB7b\u00e9c");
  const std::string text = edit_->text();
  EXPECT_EQ(static_cast<int>(text.size()), edit_->textLength());
  EXPECT_EQ(edit_->byteFromWide(6), edit_->textLength());
  EXPECT_EQ(edit_->wideFromByte(edit_->textLength()), 6);
  EXPECT_EQ(text.front(), 'a');
  EXPECT_EQ(text.back(), 'c');
}

TEST_F(EditCtrlTest, TextComingInShowsWhatSavingKeeps) {
  // é and a character beyond the BMP have no form in code page 932.  Typed,
  // replaced or pasted, the screen must not show more than text() gives.
  auto expectShownIsSaved = [this](const char* how) {
    const std::string saved = edit_->text();
    std::wstring savedWide(saved.size(), L'\0');
    savedWide.resize(
        static_cast<size_t>(MultiByteToWideChar(932, 0, saved.data(), static_cast<int>(saved.size()),
                                                savedWide.data(), static_cast<int>(saved.size()))));
    wchar_t shown[64] = {};
    GetWindowTextW(edit_->hwnd(), shown, 64);
    EXPECT_EQ(std::wstring(shown), savedWide) << how;
    EXPECT_EQ(edit_->textLength(), static_cast<int>(saved.size())) << how;
  };
  SendMessageW(edit_->hwnd(), WM_CHAR, 0xe9, 1);
  expectShownIsSaved("typed");
  SendMessageW(edit_->hwnd(), WM_IME_CHAR, 0xe9, 1);
  expectShownIsSaved("from an input method");
  SendMessageW(edit_->hwnd(), WM_UNICHAR, 0x1F600, 1);
  expectShownIsSaved("as WM_UNICHAR");
  SendMessageW(edit_->hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"x\U0001F600y"));
  expectShownIsSaved("replaced");

  fillClipboard(edit_->hwnd(), L"\u00e9\u3042");
  CloseClipboard();
  SendMessageW(edit_->hwnd(), WM_PASTE, 0, 0);
  expectShownIsSaved("pasted");
  const std::string saved = edit_->text();
  EXPECT_EQ(saved.substr(saved.size() - 2), "\x82\xa0") << "what the code page holds stays as it is";
  SendMessageW(edit_->hwnd(), EM_UNDO, 0, 0);
  EXPECT_EQ(edit_->text().find("\x82\xa0"), std::string::npos) << "the paste is undone as one";

  // Shift+Insert pastes inside the control, without a WM_PASTE of its own.
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(edit_->hwnd(), WM_KEYDOWN, VK_INSERT, 1);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  expectShownIsSaved("pasted with Shift+Insert");
  EXPECT_NE(edit_->text().find("\x82\xa0"), std::string::npos);
}

TEST_F(EditCtrlTest, PasteWhileAnotherWindowHoldsTheClipboardIsRefused) {
  edit_->setText("abc");
  fillClipboard(parent_, L"x");  // and left open: for the control the clipboard is busy
  SendMessageW(edit_->hwnd(), WM_PASTE, 0, 0);
  CloseClipboard();
  wchar_t shown[16] = {};
  GetWindowTextW(edit_->hwnd(), shown, 16);
  EXPECT_EQ(std::wstring(shown), L"abc");
  EXPECT_EQ(edit_->text(), "abc");
}

TEST_F(EditCtrlTest, TextLockIsMadeOncePerChange) {
  edit_->setText(kMixed);
  EditTextLock first = lockEditText(*edit_);
  ASSERT_EQ(first.length, 10);
  EXPECT_EQ(std::string(first.text, first.length + 1), kMixed + '\0');
  EditTextLock again = lockEditText(*edit_);
  EXPECT_EQ(again.text, first.text) << "unchanged text is not converted again";
  unlockEditText(again);
  EXPECT_EQ(again.text, nullptr);

  edit_->setSelection(0, 0);
  SendMessageW(edit_->hwnd(), WM_CHAR, 'x', 1);
  EditTextLock after = lockEditText(*edit_);
  EXPECT_EQ(std::string(after.text, after.length), "x" + kMixed);
  EXPECT_EQ(std::string(first.text, first.length), kMixed) << "a held lock keeps its bytes";
  unlockEditText(first);
  unlockEditText(after);
}

TEST_F(EditCtrlTest, ReadOnlyRefusesTypingAndInputMethodText) {
  const std::function<void()> ways[] = {
      [this] { SendMessageW(edit_->hwnd(), WM_CHAR, 'x', 1); },
      [this] { compose(L"\u65e5"); },  // a confirmed word
  };
  for (const auto& input : ways) {
    edit_->setText("abc");
    edit_->setSelection(1, 1);
    edit_->setModified(false);
    edit_->setReadOnly(true);
    EXPECT_TRUE(GetWindowLongPtrW(edit_->hwnd(), GWL_STYLE) & ES_READONLY);
    input();
    EXPECT_EQ(edit_->text(), "abc");
    EXPECT_FALSE(edit_->modified());
    edit_->setReadOnly(false);
    input();
    EXPECT_GT(edit_->textLength(), 3);
    EXPECT_TRUE(edit_->modified());
  }
}

TEST_F(EditCtrlTest, LimitCountsBytesNotCharacters) {
  // One byte short of the limit, almost all of it in double-byte characters:
  // the control holds about half as many characters as the limit's number.
  std::string line;
  for (int i = 0; i < 499; ++i) line += "\x82\xa0";
  line += "\r\n";
  std::string text;
  text.reserve(EditCtrl::kMaxBytes);
  while (text.size() + line.size() < static_cast<size_t>(EditCtrl::kMaxBytes)) text += line;
  text.append(EditCtrl::kMaxBytes - 1 - text.size(), 'a');
  edit_->setText(text);
  ASSERT_EQ(edit_->textLength(), EditCtrl::kMaxBytes - 1);
  edit_->setSelection(-1, -1);
  edit_->setSelection(EditCtrl::kMaxBytes - 1, EditCtrl::kMaxBytes - 1);

  SendMessageW(edit_->hwnd(), WM_CHAR, 0x3042, 1);  // あ: two bytes, one too many
  EXPECT_EQ(edit_->textLength(), EditCtrl::kMaxBytes - 1);
  SendMessageW(edit_->hwnd(), WM_CHAR, 'b', 1);  // fills the last byte
  EXPECT_EQ(edit_->textLength(), EditCtrl::kMaxBytes);
  SendMessageW(edit_->hwnd(), WM_CHAR, 'c', 1);
  EXPECT_EQ(edit_->textLength(), EditCtrl::kMaxBytes);
  // Replacing a selection counts what goes away.
  edit_->setSelection(EditCtrl::kMaxBytes - 2, EditCtrl::kMaxBytes);
  edit_->replaceSelection("\x82\xa2", true);
  EXPECT_EQ(edit_->textLength(), EditCtrl::kMaxBytes);
  EXPECT_EQ(edit_->text().substr(EditCtrl::kMaxBytes - 2), "\x82\xa2");
}

TEST_F(EditCtrlTest, EveryWayInStopsAtTheByteLimit) {
  struct Case {
    const char* how;
    UINT message;
    WPARAM wParam;
    int room;  // bytes left below the limit
    bool fits;
  };
  const Case cases[] = {
      {"input method, あ into one byte", WM_IME_CHAR, 0x3042, 1, false},
      {"input method, あ into two bytes", WM_IME_CHAR, 0x3042, 2, true},
      {"Ctrl+Enter is CR LF, into one byte", WM_CHAR, L'\n', 1, false},
      {"Ctrl+Enter into two bytes", WM_CHAR, L'\n', 2, true},
      {"WM_UNICHAR, あ into one byte", WM_UNICHAR, 0x3042, 1, false},
  };
  for (const Case& c : cases) {
    edit_->setByteLimit(10 + c.room);
    edit_->setText("0123456789");
    edit_->setSelection(10, 10);
    SendMessageW(edit_->hwnd(), c.message, c.wParam, 1);
    EXPECT_EQ(edit_->textLength(), c.fits ? 12 : 10) << c.how;
  }
}

// What the user types goes in as the file keeps it: a look-alike in the code
// page's own form, and a character with no form at all not at all (a beep),
// never as '?' or as another letter.
TEST_F(EditCtrlTest, TypedTextTheCodePageCannotKeepIsRefusedAndLookAlikesTakeItsForm) {
  struct Case {
    const char* what;
    std::wstring typed;  // one WM_CHAR per unit, or one confirmed word
    bool word;
    std::string kept;
  };
  const Case cases[] = {
      {"é", L"\u00e9", false, ""},
      {"😀 as two units", L"\U0001F600", false, ""},
      {"𠮷 as two units", L"\U00020BB7", false, ""},
      {"한", L"\ud55c", false, ""},
      {"♡", L"\u2661", false, ""},
      {"〜 takes ～", L"\u301c", false, "\x81\x60"},
      {"a word with é", L"\u65e5\u00e9", true, ""},
      {"a word with 〜", L"\u65e5\u301c", true, "\x93\xfa\x81\x60"},
  };
  for (const Case& c : cases) {
    edit_->setText("ab");
    edit_->setSelection(2, 2);
    if (c.word) {
      compose(c.typed);
    } else {
      for (wchar_t unit : c.typed) SendMessageW(edit_->hwnd(), WM_CHAR, unit, 1);
    }
    EXPECT_EQ(edit_->text(), "ab" + c.kept) << c.what;
    EXPECT_EQ(GetWindowTextLengthW(edit_->hwnd()), static_cast<int>(orka::ansiToWide(edit_->text()).size()))
        << c.what;
  }
}

TEST_F(EditCtrlTest, InputMethodResultIsCheckedAgainstTheLimit) {
  edit_->setByteLimit(13);
  edit_->setText("0123456789");
  edit_->setSelection(10, 10);
  compose(L"\u65e5");
  EXPECT_EQ(edit_->text(), "0123456789\x93\xfa");
  compose(L"\u65e5");  // two bytes, one left
  EXPECT_EQ(edit_->textLength(), 12);
}

// The byte offsets of the mirror against a conversion of the control's own
// text, after edits at, across and beside its block boundaries.
TEST_F(EditCtrlTest, OffsetsFollowEditsAcrossTheWholeText) {
  std::string line;
  for (int i = 0; i < 700; ++i)
    line +=
        "\x82\xa0"
        "a";  // 2100 units of あa
  line += "\r\n";
  std::string text;
  for (int i = 0; i < 6; ++i) text += line;
  edit_->setText(text);
  HWND h = edit_->hwnd();
  auto expectOffsetsRight = [&](const char* step) {
    std::wstring wide(static_cast<size_t>(GetWindowTextLengthW(h)) + 1, L'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(h, wide.data(), static_cast<int>(wide.size()))));
    for (int pos : {0, 1, 4095, 4096, 4097, 8191, 8192, 8193, 12000, static_cast<int>(wide.size())}) {
      pos = std::min(pos, static_cast<int>(wide.size()));
      const int bytes = WideCharToMultiByte(932, 0, wide.data(), pos, nullptr, 0, nullptr, nullptr);
      ASSERT_EQ(edit_->byteFromWide(pos), bytes) << step << " at " << pos;
      ASSERT_EQ(edit_->wideFromByte(bytes), pos) << step << " at " << pos;
    }
  };
  struct Step {
    const char* name;
    DWORD start, end;
    UINT message;
    WPARAM wParam;
  };
  const Step steps[] = {
      {"typed at a block's end", 4096, 4096, WM_CHAR, 0x65e5},
      {"typed over a selection across blocks", 4000, 8300, WM_CHAR, 'x'},
      {"Back", 5000, 5000, WM_CHAR, VK_BACK},
      {"Delete", 4090, 4090, WM_KEYDOWN, VK_DELETE},
      {"Ctrl+Enter", 3000, 3000, WM_CHAR, L'\n'},
      {"cleared across blocks", 100, 9000, WM_CLEAR, 0},
      {"cut to the end", 1000, 0xFFFFFFFF, WM_CUT, 0},
  };
  for (const Step& step : steps) {
    SendMessageW(h, EM_SETSEL, step.start, static_cast<LPARAM>(step.end));
    SendMessageW(h, step.message, step.wParam, 1);
    if (step.message == WM_KEYDOWN) SendMessageW(h, WM_KEYUP, step.wParam, 1);
    expectOffsetsRight(step.name);
  }
}

// The block table on its own, against a plain string, through many edits
// with double-byte characters and surrogate pairs landing on block edges.
TEST(TextMirror, MatchesAPlainCopyThroughRandomEdits) {
  const std::wstring pieces[] = {L"a",      L"\u3042", L"\r\n",           L"\U00020BB7",
                                 L"\xD842", L"\xDFB7", L"\u65e5\u672cxyz"};
  uint32_t seed = 7;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % n);
  };
  std::wstring copy;
  while (copy.size() < 20000) copy += pieces[next(7)];
  TextMirror mirror;
  mirror.assign(copy);
  auto bytesOf = [](const std::wstring& w, int n) {
    return WideCharToMultiByte(932, 0, w.data(), n, nullptr, 0, nullptr, nullptr);
  };
  for (int round = 0; round < 300; ++round) {
    const int from = next(static_cast<uint32_t>(copy.size()) + 1);
    const int count = std::min(next(round % 10 == 0 ? 9000 : 4), static_cast<int>(copy.size()) - from);
    std::wstring insert;
    for (int n = next(round % 7 == 0 ? 3000 : 3); n > 0; --n) insert += pieces[next(7)];
    copy.replace(static_cast<size_t>(from), static_cast<size_t>(count), insert);
    mirror.replace(from, count, insert);
    ASSERT_EQ(mirror.wideLength(), static_cast<int>(copy.size())) << round;
    ASSERT_EQ(mirror.byteLength(), bytesOf(copy, static_cast<int>(copy.size()))) << round;
    const int probe = next(static_cast<uint32_t>(copy.size()) + 1);
    ASSERT_EQ(mirror.byteFromWide(probe), bytesOf(copy, probe)) << round;
  }
  EXPECT_TRUE(mirror.holds(copy));
  std::string ansi(static_cast<size_t>(bytesOf(copy, static_cast<int>(copy.size()))), '\0');
  WideCharToMultiByte(932, 0, copy.data(), static_cast<int>(copy.size()), ansi.data(),
                      static_cast<int>(ansi.size()), nullptr, nullptr);
  EXPECT_EQ(mirror.ansi(), ansi);
}

TEST_F(EditCtrlTest, DestroyedWithItsParent) {
  DestroyWindow(parent_);
  EXPECT_EQ(edit_->hwnd(), nullptr);
  edit_.reset();  // must not touch the dead window
  parent_ = nullptr;
}
