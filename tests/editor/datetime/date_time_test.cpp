// Date and time insertion in the running window: the picture passes, the
// F5 command and the format dialog's preview and guards.
#include <windows.h>

#include <string>

#include "editor/datetime/date_format_dialog.h"
#include "editor/datetime/date_time.h"
#include "editor/res/resource.h"
#include "framework/modal.h"
#include "orka/text/codepage.h"
#include "tests/editor/editor_fixture.h"

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

}  // namespace

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

TEST_F(EditorTest, DateFormatTakesTheCodePagesFormAndSurvivesARestart) {
  FixedClock clock;
  CMainWnd& window = start();
  std::string sample;
  fw::ScriptedModals modals;
  modals.answer(IDOK, [&](fw::ModalRequest& request) {
    fw::CDialog& d = *request.dialog;
    d.setItemText(IDC_DATE_FORMAT, "yyyy年MM月dd日 \xC3\xA9");  // é: not in the code page
    SendMessageW(d.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DATE_FORMAT, CBN_EDITCHANGE),
                 reinterpret_cast<LPARAM>(d.item(IDC_DATE_FORMAT)));
    sample = d.itemText(IDC_DATE_SAMPLE);
  });
  window.execute(ID_SETTINGS_DATE_FORMAT);
  const std::string chosen = window.settings().dateFormat;
  EXPECT_EQ(chosen.rfind("yyyy年MM月dd日 ", 0), 0u) << chosen;
  EXPECT_EQ(chosen.find("\xC3\xA9"), std::string::npos) << "é becomes what the code page makes of it";
  EXPECT_TRUE(orka::utf8ToCodePage(chosen, 932));
  EXPECT_EQ(sample, "［" + formatDateTime(chosen, kInstant) + "］") << "the sample shows what is stored";
  close();
  EXPECT_EQ(readSettings().dateFormat, chosen);
}
