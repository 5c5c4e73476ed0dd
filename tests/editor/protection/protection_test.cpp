// Protection beyond the document's own window: one clipboard change per
// copy, the clipboard's timer, capture exclusion of the editor's windows,
// the recent lists, and crash reports without the heap.  Wine refuses
// capture exclusion and keeps no recent list, so those decisions are
// checked where the editor makes them: the affinity seam and the flags the
// file dialogs are given.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/document.h"
#include "editor/document/document_commands.h"
#include "editor/protection/capture_shield.h"
#include "editor/protection/crash_reports.h"
#include "editor/res/resource.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "orka/text/wide.h"
#include "tests/editor/editor_fixture.h"

namespace {

using fw::ModalRequest;
using fw::ScriptedModals;

const wchar_t* const kKeepOutFormats[] = {L"ExcludeClipboardContentFromMonitorProcessing",
                                          L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"};

// A window that counts the clipboard's changes, as a history or a monitor
// would be told of them.
class ClipboardListener {
 public:
  ClipboardListener() {
    window_ =
        CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowSubclass(window_, &ClipboardListener::proc, 1, reinterpret_cast<DWORD_PTR>(this));
    AddClipboardFormatListener(window_);
  }
  ~ClipboardListener() {
    RemoveClipboardFormatListener(window_);
    RemoveWindowSubclass(window_, &ClipboardListener::proc, 1);
    DestroyWindow(window_);
  }
  int changes = 0;

 private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR self) {
    if (message == WM_CLIPBOARDUPDATE) ++reinterpret_cast<ClipboardListener*>(self)->changes;
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  HWND window_;
};

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

void putOnClipboard(const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  memcpy(GlobalLock(memory), text, bytes);
  GlobalUnlock(memory);
  SetClipboardData(CF_UNICODETEXT, memory);
  CloseClipboard();
}

// Sends `message` to the text while its own context menu is open, as the
// menu's item does, then closes the menu.
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
  RECT r{};
  GetWindowRect(edit, &r);
  SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(r.left + 20, r.top + 20));
}

using ProtectionTest = EditorTest;

TEST_F(ProtectionTest, EachCopyIsOneClipboardChangeCarryingTheTextAndTheKeepOutFormats) {
  struct Case {
    const char* name;
    bool readOnly;
    std::function<void(CMainWnd&)> copy;
    int changes;
    const char* textAfter;
  };
  // Another program holding the clipboard open while the user cuts.
  auto cutWhileBusy = [](CMainWnd& w) {
    ASSERT_TRUE(OpenClipboard(GetDesktopWindow()));
    w.execute(ID_EDIT_CUT);
    CloseClipboard();
  };
  const Case cases[] = {
      {"Copy", false, [](CMainWnd& w) { w.execute(ID_EDIT_COPY); }, 1, "abcdef"},
      {"Cut", false, [](CMainWnd& w) { w.execute(ID_EDIT_CUT); }, 1, "cdef"},
      {"menu Copy", false, [](CMainWnd& w) { fromContextMenu(w.editCtrl()->hwnd(), WM_COPY); }, 1, "abcdef"},
      {"menu Cut", false, [](CMainWnd& w) { fromContextMenu(w.editCtrl()->hwnd(), WM_CUT); }, 1, "cdef"},
      {"read-only Copy", true, [](CMainWnd& w) { w.execute(ID_EDIT_COPY); }, 1, "abcdef"},
      {"read-only Cut", true, [](CMainWnd& w) { w.editCtrl()->send(WM_CUT); }, 0, "abcdef"},
      {"Cut while the clipboard is busy keeps the text", false, cutWhileBusy, 0, "abcdef"},
  };
  CMainWnd& window = start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    putOnClipboard(L"before");
    window.setReadOnlyMode(false);
    window.editCtrl()->setText("abcdef");
    window.setReadOnlyMode(c.readOnly);
    window.editCtrl()->setSelection(0, 2);
    ClipboardListener listener;
    c.copy(window);
    pump();
    EXPECT_EQ(listener.changes, c.changes);
    EXPECT_EQ(window.editCtrl()->text(), c.textAfter);
    if (c.changes == 0) {
      EXPECT_EQ(clipboardText(), L"before");
      continue;
    }
    EXPECT_EQ(clipboardText(), L"ab");
    for (const wchar_t* name : kKeepOutFormats)
      EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(name))) << orka::narrow(name);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE history = GetClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"));
    EXPECT_EQ(history ? *static_cast<DWORD*>(GlobalLock(history)) : 1u, 0u);
    if (history) GlobalUnlock(history);
    CloseClipboard();
    // A cut is one undoable step, after which the mirror still counts right.
    if (std::string(c.textAfter) == "cdef") {
      window.editCtrl()->send(EM_UNDO);
      EXPECT_EQ(window.editCtrl()->text(), "abcdef");
      EXPECT_EQ(window.editCtrl()->textLength(), 6);
    }
  }
}

// The timer clears only a copy that is still the editor's own, and only
// when asked to.
TEST_F(ProtectionTest, ClipboardTimerClearsOnlyTheEditorsOwnCopy) {
  struct Case {
    const char* name;
    bool timer;
    const wchar_t* copiedElsewhere;
    const wchar_t* left;
  };
  const Case cases[] = {
      {"own copy cleared", true, nullptr, L"(none)"},
      {"replaced copy kept", true, L"other", L"other"},
      {"timer off", false, nullptr, L"ab"},
  };
  CMainWnd& window = start();
  // Ten "seconds" of 5 ms each.
  window.setClipboardSecondLength(5);
  window.security().clipboardSeconds = 10;
  window.editCtrl()->setText("abcdef");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.security().clipboardTimer = c.timer;
    window.applySecurity();
    window.editCtrl()->setSelection(0, 2);
    ASSERT_TRUE(window.execute(ID_EDIT_COPY));
    if (c.copiedElsewhere) putOnClipboard(c.copiedElsewhere);
    const DWORD until = GetTickCount() + 300;
    while (GetTickCount() < until) {
      pump();
      Sleep(10);
    }
    EXPECT_EQ(clipboardText(), c.left);
  }
}

class FakeAffinity : public DisplayAffinityApi {
 public:
  bool set(HWND window, DWORD affinity) override {
    calls.emplace_back(window, affinity);
    for (DWORD value : refused)
      if (value == affinity) return false;
    return true;
  }
  // The affinities `window` was given, in order.
  std::vector<DWORD> given(HWND window) const {
    std::vector<DWORD> values;
    for (const auto& call : calls)
      if (call.first == window) values.push_back(call.second);
    return values;
  }
  std::vector<DWORD> refused;
  std::vector<std::pair<HWND, DWORD>> calls;
};

constexpr DWORD kExclude = CaptureShield::kExcludeFromCapture;
constexpr DWORD kMonitor = CaptureShield::kMonitor;

TEST(CaptureShieldTest, ExcludesFromCaptureFallsBackToMonitorAndGoesOnWhenRefused) {
  struct Case {
    const char* name;
    bool on;
    std::vector<DWORD> refused;
    std::vector<DWORD> given;
  };
  const Case cases[] = {
      {"Windows 10 2004 or later", true, {}, {kExclude}},
      {"older Windows", true, {kExclude}, {kExclude, kMonitor}},
      {"refused altogether (wine)", true, {kExclude, kMonitor}, {kExclude, kMonitor}},
      {"setting off", false, {}, {}},
  };
  const HWND window = reinterpret_cast<HWND>(0x1234);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAffinity api;
    api.refused = c.refused;
    SecuritySettings settings;
    settings.hideFromCapture = c.on;
    CaptureShield(api, settings).protect(window);
    EXPECT_EQ(api.given(window), c.given);
  }
}

// Every dialog of ours is excluded as it is made, the main window before it
// shows; switching the setting off shows them to captures again at once.
TEST_F(ProtectionTest, MainWindowAndEveryDialogStayOutOfCapturesWhileTheSettingIsOn) {
  FakeAffinity api;
  affinity_ = &api;
  CMainWnd& window = start();
  EXPECT_EQ(api.given(window.hwnd()), std::vector<DWORD>{kExclude});

  const std::string path = dir_.path("doc.vtxt");
  tolvane::writeDocument(path, tolvane::makeDocumentKey("pw"), "x", 1);
  window.editCtrl()->setText("line");
  struct Case {
    const char* name;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"password to open", [&] { window.openDocument(path); }},
      {"Save As panel", [&] { window.execute(ID_FILE_SAVE_AS); }},
      {"Go to line", [&] { window.execute(ID_EDIT_GOTO_LINE); }},
      {"security settings", [&] { window.execute(ID_SETTINGS_SECURITY); }},
      {"read-only list", [&] { window.execute(ID_SETTINGS_READ_ONLY_LIST); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedModals modals;
    HWND shown = nullptr;
    modals.answer(IDCANCEL, [&](ModalRequest& r) {
      shown = GetAncestor(r.dialog->hwnd(), GA_ROOT);
      EXPECT_EQ(api.given(shown), std::vector<DWORD>{kExclude});
    });
    c.run();
    EXPECT_NE(shown, nullptr);
    EXPECT_EQ(modals.unexpected(), 0);
  }

  ASSERT_TRUE(window.execute(ID_EDIT_FIND));
  pump();
  const HWND find = api.calls.back().first;
  EXPECT_EQ(GetWindow(find, GW_OWNER), window.hwnd());
  EXPECT_EQ(api.given(find), std::vector<DWORD>{kExclude});

  ScriptedModals modals;
  modals.answer(IDOK, [](ModalRequest& r) { r.dialog->setChecked(IDC_HIDE_FROM_CAPTURE, false); });
  ASSERT_TRUE(window.execute(ID_SETTINGS_SECURITY));
  EXPECT_EQ(api.given(window.hwnd()).back(), CaptureShield::kNone);
  EXPECT_EQ(api.given(find).back(), CaptureShield::kNone);
  const size_t calls = api.calls.size();
  modals.answer(IDCANCEL);
  ASSERT_TRUE(window.execute(ID_EDIT_GOTO_LINE));
  EXPECT_EQ(api.calls.size(), calls);  // a new dialog is left alone
}

TEST_F(ProtectionTest, OpenAndSaveAsKeepDocumentsOffTheRecentListsWhileTheSettingIsOn) {
  CMainWnd& window = start();
  for (bool keepOff : {true, false}) {
    for (UINT command : {ID_FILE_OPEN, ID_FILE_SAVE_AS}) {
      SCOPED_TRACE(std::to_string(command) + (keepOff ? " on" : " off"));
      window.security().keepOffRecent = keepOff;
      ScriptedModals modals;
      DWORD flags = 0;
      modals.answer(IDCANCEL, [&](ModalRequest& r) { flags = r.flags; });
      ASSERT_TRUE(window.execute(command));
      EXPECT_EQ((flags & OFN_DONTADDTORECENT) != 0, keepOff);
      EXPECT_NE(flags & OFN_HIDEREADONLY, 0u);  // the dialog's own flags stay
    }
  }
}

DWORD flagsSeen = 0;
HRESULT WINAPI acceptFlags(DWORD flags) {
  flagsSeen = flags;
  return S_OK;
}
HRESULT WINAPI refuseFlags(DWORD flags) {
  flagsSeen = flags;
  return E_NOTIMPL;
}

TEST(CrashReportsTest, AskForReportsWithoutTheHeapWhereTheSystemCan) {
  struct Case {
    const char* name;
    WerSetFlagsFunction setFlags;
    bool accepted;
  };
  const Case cases[] = {
      {"no such call", nullptr, false},
      {"accepted", &acceptFlags, true},
      {"refused", &refuseFlags, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    flagsSeen = 0;
    EXPECT_EQ(keepHeapOutOfCrashReports(c.setFlags), c.accepted);
    EXPECT_EQ(flagsSeen, c.setFlags ? 1u : 0u);  // WER_FAULT_REPORTING_FLAG_NOHEAP
  }
}

}  // namespace
