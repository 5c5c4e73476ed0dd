// Protection beyond the text window: one clipboard change per copy, the
// clipboard's timer, capture exclusion and the recent lists.  Wine refuses
// capture exclusion and keeps no recent list, so those are checked where
// the editor decides: the affinity seam and the file dialogs' flags.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"
#include "editor/protection/capture_shield.h"
#include "editor/res/resource.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "tests/editor/editor_fixture.h"

namespace {

using fw::ModalRequest;
using fw::ScriptedModals;
using ProtectionTest = EditorTest;

std::wstring clipboardText() {
  if (!OpenClipboard(nullptr)) return L"(busy)";
  std::wstring text = L"(none)";
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const wchar_t*>(GlobalLock(data));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void putOnClipboard(const std::wstring& text) {
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(memory), text.c_str(), bytes);
  GlobalUnlock(memory);
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// Counts the clipboard's changes as history and monitors are told of them.
LRESULT CALLBACK countChanges(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR count) {
  if (message == WM_CLIPBOARDUPDATE) ++*reinterpret_cast<int*>(count);
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

// Sends `message` to the text while its own context menu is open, as the
// menu's items do.
void fromContextMenu(HWND edit, UINT message) {
  static HWND target;
  static UINT sent;
  target = edit;
  sent = message;
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SendMessageW(target, sent, 0, 0);
    EndMenu();
  });
  SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(20, 20));
}

TEST_F(ProtectionTest, EachCopyIsOneClipboardChangeCarryingTheTextAndTheKeepOutFormats) {
  CMainWnd& window = start();
  const HWND edit = window.editCtrl()->hwnd();
  const struct {
    const char* name;
    bool readOnly;
    std::function<void()> copy;
    int changes;
    const char* textAfter;
  } cases[] = {
      {"Copy", false, [&] { window.execute(ID_EDIT_COPY); }, 1, "abcdef"},
      {"Cut", false, [&] { window.execute(ID_EDIT_CUT); }, 1, "cdef"},
      {"menu Copy", false, [&] { fromContextMenu(edit, WM_COPY); }, 1, "abcdef"},
      {"menu Cut", false, [&] { fromContextMenu(edit, WM_CUT); }, 1, "cdef"},
      {"read-only Copy", true, [&] { window.execute(ID_EDIT_COPY); }, 1, "abcdef"},
      {"read-only Cut", true, [&] { SendMessageW(edit, WM_CUT, 0, 0); }, 0, "abcdef"},
      // Another program holds the clipboard: the text must not be lost.
      {"Cut, clipboard busy", false,
       [&] {
         OpenClipboard(GetDesktopWindow());
         window.execute(ID_EDIT_CUT);
         CloseClipboard();
       },
       0, "abcdef"},
  };
  int changes = 0;
  HWND listener =
      CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  SetWindowSubclass(listener, countChanges, 1, reinterpret_cast<DWORD_PTR>(&changes));
  AddClipboardFormatListener(listener);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window.setReadOnlyMode(false);
    window.editCtrl()->setText("abcdef");
    window.setReadOnlyMode(c.readOnly);
    window.editCtrl()->setSelection(0, 2);
    putOnClipboard(L"before");
    pump();
    changes = 0;
    c.copy();
    pump();
    EXPECT_EQ(changes, c.changes);
    EXPECT_EQ(window.editCtrl()->text(), c.textAfter);
    EXPECT_EQ(clipboardText(), c.changes ? L"ab" : L"before");
    for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing",
                                L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"})
      EXPECT_EQ(IsClipboardFormatAvailable(RegisterClipboardFormatW(name)) != FALSE, c.changes == 1);
  }
  RemoveClipboardFormatListener(listener);
  DestroyWindow(listener);
}

TEST_F(ProtectionTest, ClipboardTimerClearsOnlyTheEditorsOwnCopy) {
  const struct {
    bool timer;
    const wchar_t* copiedElsewhere;
    const wchar_t* left;
  } cases[] = {{true, nullptr, L"(none)"}, {true, L"other", L"other"}, {false, nullptr, L"ab"}};
  CMainWnd& window = start();
  window.setClipboardSecondLength(5);  // ten "seconds" of 5 ms
  window.security().clipboardSeconds = 10;
  window.editCtrl()->setText("abcdef");
  for (const auto& c : cases) {
    window.security().clipboardTimer = c.timer;
    window.applySecurity();
    window.editCtrl()->setSelection(0, 2);
    ASSERT_TRUE(window.execute(ID_EDIT_COPY));
    if (c.copiedElsewhere) putOnClipboard(c.copiedElsewhere);
    for (const DWORD until = GetTickCount() + 300; GetTickCount() < until; Sleep(10)) pump();
    EXPECT_EQ(clipboardText(), c.left);
  }
}

class FakeAffinity : public DisplayAffinityApi {
 public:
  bool set(HWND window, DWORD affinity) override {
    calls.emplace_back(window, affinity);
    return std::find(refused.begin(), refused.end(), affinity) == refused.end();
  }
  std::vector<DWORD> given(HWND window) const {
    std::vector<DWORD> values;
    for (const auto& [to, value] : calls)
      if (to == window) values.push_back(value);
    return values;
  }
  std::vector<DWORD> refused;
  std::vector<std::pair<HWND, DWORD>> calls;
};

constexpr DWORD kExclude = CaptureShield::kExcludeFromCapture;
constexpr DWORD kMonitor = CaptureShield::kMonitor;

TEST(CaptureShieldTest, ExcludesFromCaptureFallsBackToMonitorAndGoesOnWhenRefused) {
  const struct {
    bool on;
    std::vector<DWORD> refused;
    std::vector<DWORD> given;
  } cases[] = {
      {true, {}, {kExclude}},                              // Windows 10 2004 and later
      {true, {kExclude}, {kExclude, kMonitor}},            // older
      {true, {kExclude, kMonitor}, {kExclude, kMonitor}},  // neither (wine)
      {false, {}, {}},
  };
  const HWND window = reinterpret_cast<HWND>(0x1234);
  for (const auto& c : cases) {
    FakeAffinity api;
    api.refused = c.refused;
    SecuritySettings settings;
    settings.hideFromCapture = c.on;
    CaptureShield(api, settings).protect(window);
    EXPECT_EQ(api.given(window), c.given) << c.on << " " << c.refused.size();
  }
}

TEST_F(ProtectionTest, MainWindowAndEveryDialogStayOutOfCapturesWhileTheSettingIsOn) {
  FakeAffinity api;
  affinity_ = &api;
  CMainWnd& window = start();
  EXPECT_EQ(api.given(window.hwnd()), std::vector<DWORD>{kExclude});
  const std::string path = dir_.path("doc.vtxt");
  tolvane::writeDocument(path, tolvane::makeDocumentKey("pw"), "x", 1);
  const std::pair<const char*, std::function<void()>> cases[] = {
      {"password", [&] { window.openDocument(path); }},
      {"Save As panel", [&] { window.execute(ID_FILE_SAVE_AS); }},
      {"go to line", [&] { window.execute(ID_EDIT_GOTO_LINE); }},
      {"security settings", [&] { window.execute(ID_SETTINGS_SECURITY); }},
  };
  for (const auto& [name, run] : cases) {
    ScriptedModals modals;
    modals.answer(IDCANCEL, [&, name = name](ModalRequest& r) {
      EXPECT_EQ(api.given(GetAncestor(r.dialog->hwnd(), GA_ROOT)), std::vector<DWORD>{kExclude}) << name;
    });
    run();
    EXPECT_EQ(modals.pending(), 0u) << name;
  }
  ASSERT_TRUE(window.execute(ID_EDIT_FIND));
  const HWND find = api.calls.back().first;
  EXPECT_EQ(GetWindow(find, GW_OWNER), window.hwnd());
  EXPECT_EQ(api.given(find), std::vector<DWORD>{kExclude});

  // Off: the open windows show to captures again at once, new ones are left alone.
  ScriptedModals modals;
  modals.answer(IDOK, [](ModalRequest& r) { r.dialog->setChecked(IDC_HIDE_FROM_CAPTURE, false); });
  modals.answer(IDCANCEL);
  ASSERT_TRUE(window.execute(ID_SETTINGS_SECURITY));
  EXPECT_EQ(api.given(window.hwnd()).back(), CaptureShield::kNone);
  EXPECT_EQ(api.given(find).back(), CaptureShield::kNone);
  const size_t calls = api.calls.size();
  ASSERT_TRUE(window.execute(ID_EDIT_GOTO_LINE));
  EXPECT_EQ(api.calls.size(), calls);
}

TEST_F(ProtectionTest, OpenAndSaveAsKeepDocumentsOffTheRecentListsWhileTheSettingIsOn) {
  CMainWnd& window = start();
  for (bool keepOff : {true, false}) {
    for (UINT command : {ID_FILE_OPEN, ID_FILE_SAVE_AS}) {
      window.security().keepOffRecent = keepOff;
      ScriptedModals modals;
      DWORD flags = 0;
      modals.answer(IDCANCEL, [&](ModalRequest& r) { flags = r.flags; });
      ASSERT_TRUE(window.execute(command));
      EXPECT_EQ((flags & OFN_DONTADDTORECENT) != 0, keepOff) << command;
      EXPECT_NE(flags & OFN_HIDEREADONLY, 0u) << command;  // the dialog's own flags stay
    }
  }
}

}  // namespace
