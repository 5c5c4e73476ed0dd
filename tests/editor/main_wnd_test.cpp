// The main window driven through its messages: start-up, menus and their
// states, accelerators, layout, prompts, closing and the settings it keeps.
#include <windows.h>

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <vector>

#include "editor/res/resource.h"
#include "tests/editor/editor_fixture.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "orka/text/wide.h"

namespace {

RECT windowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The edit control's rectangle in the frame's client coordinates.
RECT editRectInClient(CMainWnd& window) {
  RECT r = windowRect(window.editCtrl()->hwnd());
  MapWindowPoints(nullptr, window.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

bool isTopmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void expectStoredRect(const Settings& saved, int left, int top, int width, int height) {
  EXPECT_EQ(saved.windowLeft, left);
  EXPECT_EQ(saved.windowTop, top);
  EXPECT_EQ(saved.windowWidth, width);
  EXPECT_EQ(saved.windowHeight, height);
}

// The one box a failed start shows: no owner, stop icon, the error's text.
void expectStartupError(const fw::ScriptedModals& modals, const std::string& text) {
  ASSERT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(modals.seen()[0].text, text);
  EXPECT_EQ(modals.seen()[0].caption, "エラー [ミルデア]");
  EXPECT_EQ(modals.seen()[0].style & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

}  // namespace

TEST_F(EditorTest, StartsUntitledWithItsChildren) {
  CMainWnd& window = start();
  EXPECT_EQ(window.windowText(), "無題 - ミルデア");
  EXPECT_TRUE(IsWindowVisible(window.hwnd()));

  LONG_PTR frameEx = GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE);
  EXPECT_TRUE(frameEx & WS_EX_ACCEPTFILES);
  EXPECT_FALSE(frameEx & WS_EX_CLIENTEDGE);

  HWND edit = GetDlgItem(window.hwnd(), IDC_EDIT);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit, window.editCtrl()->hwnd());
  EXPECT_TRUE(IsWindowUnicode(edit));
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  LONG_PTR style = GetWindowLongPtrW(edit, GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_HSCROLL) << "no word wrap by default";
  EXPECT_NE(SendMessageW(edit, WM_GETFONT, 0, 0), 0);
  EXPECT_EQ(window.statusBar().paneCount(), 3);
  EXPECT_EQ(window.statusBar().paneId(1), static_cast<UINT>(ID_INDICATOR_POSITION));
  EXPECT_EQ(window.statusBar().paneId(2), static_cast<UINT>(ID_INDICATOR_FORMAT));
}

TEST_F(EditorTest, HelpMenuStandsAtTheRight) {
  CMainWnd& window = start();
  HMENU menu = window.menu();
  int last = GetMenuItemCount(menu) - 1;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoW(menu, last, TRUE, &info));
  EXPECT_TRUE(info.fType & MFT_RIGHTJUSTIFY);
  EXPECT_NE(GetMenuState(GetSubMenu(menu, last), ID_APP_ABOUT, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(EditorTest, CheckMarksFollowTheSettings) {
  Settings stored;
  stored.showToolBar = false;
  stored.alwaysOnTop = true;
  stored.hidePasswordDialog = true;
  writeSettings(stored);
  CMainWnd& window = start();

  EXPECT_FALSE(isChecked(window, ID_VIEW_TOOLBAR));
  EXPECT_TRUE(isChecked(window, ID_VIEW_STATUS_BAR));
  EXPECT_TRUE(isChecked(window, ID_VIEW_ALWAYS_ON_TOP));
  EXPECT_TRUE(isChecked(window, ID_SETTINGS_HIDE_PASSWORD));
  EXPECT_FALSE(isChecked(window, ID_SETTINGS_REMEMBER_POS));
  EXPECT_TRUE(isTopmost(window.hwnd()));

  // Each toggle flips its field, and the mark follows at the next opening.
  for (UINT id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_ALWAYS_ON_TOP, ID_SETTINGS_HIDE_PASSWORD,
                  ID_SETTINGS_REMEMBER_POS}) {
    bool before = isChecked(window, id);
    EXPECT_TRUE(window.execute(id)) << id;
    EXPECT_NE(isChecked(window, id), before) << id;
  }
  EXPECT_TRUE(window.settings().showToolBar);
  EXPECT_FALSE(window.settings().showStatusBar);
  EXPECT_FALSE(window.settings().hidePasswordDialog);
  EXPECT_TRUE(window.settings().rememberWindowPos);
  EXPECT_FALSE(isTopmost(window.hwnd()));
  window.execute(ID_VIEW_ALWAYS_ON_TOP);
  EXPECT_TRUE(isTopmost(window.hwnd()));
}

TEST_F(EditorTest, PageSetupAndPrintStayDisabled) {
  CMainWnd& window = start();
  EXPECT_TRUE(isGrayed(window, ID_FILE_PAGE_SETUP));
  EXPECT_TRUE(isGrayed(window, ID_FILE_PRINT));
  window.updateControlBars();
  EXPECT_FALSE(window.toolBar().isButtonEnabled(ID_FILE_PRINT));
  EXPECT_FALSE(window.execute(ID_FILE_PRINT));

  // Ctrl+P reaches the frame as the Print command and is refused there: a
  // handler that would exist but be disabled must not run either.
  int printed = 0;
  window.onCommand(
      ID_FILE_PRINT, [&] { ++printed; }, [](fw::CmdUI& ui) { ui.enable(false); });
  pressKey(window.editCtrl()->hwnd(), 'P', true, false);
  EXPECT_EQ(printed, 0);
  EXPECT_TRUE(isGrayed(window, ID_FILE_PRINT));
}

TEST_F(EditorTest, EveryAcceleratorReachesItsCommand) {
  struct Key {
    UINT key;
    bool ctrl, shift;
    UINT command;
  };
  const Key keys[] = {
      {'N', true, false, ID_FILE_NEW},          {'O', true, false, ID_FILE_OPEN},
      {'P', true, false, ID_FILE_PRINT},        {'S', true, false, ID_FILE_SAVE},
      {'S', true, true, ID_FILE_SAVE_AS},       {'Z', true, false, ID_EDIT_UNDO},
      {'X', true, false, ID_EDIT_CUT},          {'C', true, false, ID_EDIT_COPY},
      {'V', true, false, ID_EDIT_PASTE},        {'F', true, false, ID_EDIT_FIND},
      {VK_F3, false, false, ID_EDIT_FIND_NEXT}, {'H', true, false, ID_EDIT_REPLACE},
      {'G', true, false, ID_EDIT_GOTO_LINE},    {'A', true, false, ID_EDIT_SELECT_ALL},
      {VK_F5, false, false, ID_EDIT_DATE_TIME}, {VK_F1, false, false, ID_HELP_CONTENTS},
  };
  CMainWnd& window = start();
  std::vector<UINT> ran;
  bool enabled = true;
  for (const Key& k : keys) {
    window.onCommand(
        k.command, [&ran, id = k.command] { ran.push_back(id); },
        [&enabled](fw::CmdUI& ui) { ui.enable(enabled); });
  }
  HWND edit = window.editCtrl()->hwnd();
  for (const Key& k : keys) {
    ran.clear();
    pressKey(edit, k.key, k.ctrl, k.shift);
    EXPECT_EQ(ran, std::vector<UINT>{k.command}) << "key " << k.key;
  }

  // The same keys do nothing once the update rule disables the commands.
  enabled = false;
  ran.clear();
  for (const Key& k : keys) pressKey(edit, k.key, k.ctrl, k.shift);
  EXPECT_TRUE(ran.empty());
}

TEST_F(EditorTest, HidingBarsGivesTheirSpaceToTheEditControl) {
  CMainWnd& window = start();
  MoveWindow(window.hwnd(), 0, 0, 600, 400, TRUE);
  RECT client;
  GetClientRect(window.hwnd(), &client);

  RECT shown = editRectInClient(window);
  int toolHeight = windowRect(window.toolBar().hwnd()).bottom - windowRect(window.toolBar().hwnd()).top;
  int statusHeight = windowRect(window.statusBar().hwnd()).bottom - windowRect(window.statusBar().hwnd()).top;
  EXPECT_GT(toolHeight, 0);
  EXPECT_GT(statusHeight, 0);
  EXPECT_EQ(shown.top, toolHeight);
  EXPECT_EQ(shown.bottom, client.bottom - statusHeight);
  EXPECT_EQ(shown.right - shown.left, client.right);

  window.execute(ID_VIEW_TOOLBAR);
  EXPECT_FALSE(IsWindowVisible(window.toolBar().hwnd()));
  EXPECT_EQ(editRectInClient(window).top, 0);
  EXPECT_EQ(editRectInClient(window).bottom, client.bottom - statusHeight);

  window.execute(ID_VIEW_STATUS_BAR);
  EXPECT_FALSE(IsWindowVisible(window.statusBar().hwnd()));
  EXPECT_EQ(editRectInClient(window).bottom, client.bottom);

  // Resizing keeps the rule.
  MoveWindow(window.hwnd(), 0, 0, 500, 300, TRUE);
  GetClientRect(window.hwnd(), &client);
  EXPECT_EQ(editRectInClient(window).bottom, client.bottom);
  window.execute(ID_VIEW_TOOLBAR);
  EXPECT_EQ(editRectInClient(window).top, toolHeight);
}

TEST_F(EditorTest, WindowCannotShrinkBelowTheMinimum) {
  CMainWnd& window = start();
  MINMAXINFO info{};
  SendMessageW(window.hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 310);
  EXPECT_EQ(info.ptMinTrackSize.y, 140);

  MoveWindow(window.hwnd(), 10, 10, 100, 50, TRUE);
  RECT r = windowRect(window.hwnd());
  EXPECT_EQ(r.right - r.left, 310);
  EXPECT_EQ(r.bottom - r.top, 140);
}

TEST_F(EditorTest, PromptsAndTooltipsComeFromTheStringTable) {
  CMainWnd& window = start();
  HMENU file = GetSubMenu(window.menu(), 0);
  SendMessageW(window.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_FILE_OPEN, MF_STRING),
               reinterpret_cast<LPARAM>(file));
  EXPECT_EQ(window.statusBar().paneText(0), "既存のドキュメントを開きます。");
  SendMessageW(window.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_SETTINGS_HIDE_PASSWORD, MF_STRING),
               reinterpret_cast<LPARAM>(file));
  EXPECT_EQ(window.statusBar().paneText(0), "ﾃﾞﾌｫﾙﾄﾊﾟｽﾜｰﾄﾞ時、ﾊﾟｽﾜｰﾄﾞ入力ﾀﾞｲｱﾛｸﾞを表示しない。");
  // Always on top has no prompt: the pane goes blank rather than keep the
  // previous item's text.
  SendMessageW(window.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_VIEW_ALWAYS_ON_TOP, MF_STRING),
               reinterpret_cast<LPARAM>(file));
  EXPECT_EQ(window.statusBar().paneText(0), "");
  SendMessageW(window.hwnd(), WM_MENUSELECT, MAKEWPARAM(ID_APP_EXIT, MF_STRING),
               reinterpret_cast<LPARAM>(file));
  EXPECT_EQ(window.statusBar().paneText(0), "ドキュメントの保存を確認し、アプリケーションを終了します。");
  SendMessageW(window.hwnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(window.statusBar().paneText(0), "");

  HWND tooltip = reinterpret_cast<HWND>(SendMessageW(window.toolBar().hwnd(), TB_GETTOOLTIPS, 0, 0));
  for (auto [id, tip] : {std::pair<UINT, const char*>{ID_EDIT_FIND, "検索"},
                         {ID_EDIT_DATE_TIME, "日付/時刻"},
                         {ID_EDIT_READ_ONLY, "表示専用"}}) {
    NMTTDISPINFOW info{};
    info.hdr.hwndFrom = tooltip;
    info.hdr.idFrom = id;
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(window.hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    EXPECT_EQ(orka::narrow(info.lpszText), tip);
  }
}

TEST_F(EditorTest, ToolBarHoldsTheButtonsInOrder) {
  CMainWnd& window = start();
  const std::vector<UINT> expected = {ID_FILE_NEW,       ID_FILE_OPEN,
                                      ID_FILE_SAVE,      0,
                                      ID_FILE_PRINT,     0,
                                      ID_EDIT_FIND,      0,
                                      ID_EDIT_READ_ONLY, ID_EDIT_CUT,
                                      ID_EDIT_COPY,      ID_EDIT_PASTE,
                                      ID_EDIT_UNDO,      0,
                                      ID_EDIT_DATE_TIME};
  EXPECT_EQ(window.toolBar().commands(), expected);
  EXPECT_EQ(SendMessageW(window.toolBar().hwnd(), TB_BUTTONCOUNT, 0, 0), 15);
}

TEST_F(EditorTest, WindowOpensAtTheStoredSize) {
  Settings stored;
  stored.windowWidth = 520;
  stored.windowHeight = 380;
  stored.windowLeft = 143;
  stored.windowTop = 91;
  writeSettings(stored);
  {
    CMainWnd& window = start();
    RECT r = windowRect(window.hwnd());
    EXPECT_EQ(r.right - r.left, 520);
    EXPECT_EQ(r.bottom - r.top, 380);
    // Without "remember window position" the system places it.
    EXPECT_FALSE(r.left == 143 && r.top == 91);
    window_.reset();
  }
  stored.rememberWindowPos = true;
  writeSettings(stored);
  CMainWnd& window = start();
  RECT r = windowRect(window.hwnd());
  EXPECT_EQ(r.left, 143);
  EXPECT_EQ(r.top, 91);
  EXPECT_EQ(r.right, 143 + 520);
  EXPECT_EQ(r.bottom, 91 + 380);
}

TEST_F(EditorTest, CloseStoresTheWindowAndTheToggles) {
  CMainWnd& window = start();
  MoveWindow(window.hwnd(), 40, 30, 500, 350, TRUE);
  window.execute(ID_VIEW_TOOLBAR);
  window.execute(ID_SETTINGS_REMEMBER_POS);
  // Nothing is written before the close.
  EXPECT_TRUE(testing_support::TempDir::readFile(settingsPath()).empty());
  close();

  Settings saved = readSettings();
  expectStoredRect(saved, 40, 30, 500, 350);
  EXPECT_FALSE(saved.showToolBar);
  EXPECT_TRUE(saved.showStatusBar);
  EXPECT_TRUE(saved.rememberWindowPos);
}

TEST_F(EditorTest, EndOfSessionStoresTheSettingsAndAsksNothingOfUnmodifiedText) {
  CMainWnd& window = start();
  window.execute(ID_VIEW_TOOLBAR);
  fw::ScriptedModals modals;
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  EXPECT_TRUE(modals.seen().empty());
  SendMessageW(window.hwnd(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);  // someone else said no
  EXPECT_TRUE(testing_support::TempDir::readFile(settingsPath()).empty());
  SendMessageW(window.hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_FALSE(readSettings().showToolBar);
}

TEST_F(EditorTest, ExitClosesTheWindowThroughTheSamePath) {
  CMainWnd& window = start();
  HWND hwnd = window.hwnd();
  EXPECT_TRUE(window.execute(ID_APP_EXIT));
  EXPECT_TRUE(testApp().pumpUntil([hwnd] { return !IsWindow(hwnd); }));
  EXPECT_FALSE(testing_support::TempDir::readFile(settingsPath()).empty());
}

// Minimized or maximized, the window's rectangle is not one it could reopen
// with; the restored rectangle is kept instead.
class StoredRectangleTest : public EditorTest, public ::testing::WithParamInterface<int> {};

TEST_P(StoredRectangleTest, IsTheRestoredRectangle) {
  CMainWnd& window = start();
  MoveWindow(window.hwnd(), 50, 60, 520, 360, TRUE);
  ShowWindow(window.hwnd(), GetParam());
  pump();
  close();

  expectStoredRect(readSettings(), 50, 60, 520, 360);
  // And the next start accepts it against the real screen.
  Settings next;
  EXPECT_TRUE(next.load(settingsPath(), systemScreenSize()));
}

INSTANTIATE_TEST_SUITE_P(ShowStates, StoredRectangleTest,
                         ::testing::Values(SW_SHOWNOACTIVATE, SW_MINIMIZE, SW_MAXIMIZE));

TEST_F(EditorTest, ComFailuresEndTheStartWithTheirMessage) {
  struct Case {
    HRESULT initialize, security;
    const char* message;
    int uninitializeCalls;
  };
  const Case cases[] = {
      {E_FAIL, S_OK, "COMの初期化に失敗しました：80004005", 0},
      {S_OK, static_cast<HRESULT>(0x80010119), "セキュリティ情報の初期化に失敗しました：80010119", 1},
      {S_FALSE, E_ACCESSDENIED, "セキュリティ情報の初期化に失敗しました：80070005", 1},
  };
  Settings stored;
  stored.windowWidth = 444;
  writeSettings(stored);
  const std::string before = testing_support::TempDir::readFile(settingsPath());

  for (const Case& c : cases) {
    com_ = FakeCom();
    com_.initializeResult = c.initialize;
    com_.securityResult = c.security;
    fw::ScriptedModals modals;
    modals.answer(IDOK);
    EXPECT_EQ(tryStart(), nullptr);
    expectStartupError(modals, c.message);
    EXPECT_EQ(com_.uninitializeCalls, c.uninitializeCalls);
    EXPECT_EQ(FindWindowW(nullptr, L"無題 - ミルデア"), nullptr);
  }
  EXPECT_EQ(testing_support::TempDir::readFile(settingsPath()), before);
}

TEST_F(EditorTest, FailedWindowCreationEndsTheStart) {
  struct RefusingWindow : CMainWnd {
    using CMainWnd::CMainWnd;
    bool PreCreateWindow(CREATESTRUCTW&) override { return false; }
  };
  writeSettings(Settings());
  const std::string before = testing_support::TempDir::readFile(settingsPath());
  StartupOptions options;
  options.settingsPath = settingsPath();
  options.com = &com_;
  options.makeWindow = [](const std::string& path, ComApi& com) {
    return std::make_unique<RefusingWindow>(path, com);
  };
  fw::ScriptedModals modals;
  modals.answer(IDOK);
  EXPECT_EQ(startEditor(options), nullptr);
  expectStartupError(modals, "ウィンドウの作成に失敗しました。");
  EXPECT_EQ(com_.uninitializeCalls, 1);
  EXPECT_EQ(testing_support::TempDir::readFile(settingsPath()), before);
}

TEST_F(EditorTest, ComIsShutDownWithTheWindowObject) {
  start();
  EXPECT_EQ(com_.uninitializeCalls, 0);
  close();
  EXPECT_EQ(com_.uninitializeCalls, 0) << "the object outlives its window";
  window_.reset();
  EXPECT_EQ(com_.uninitializeCalls, 1);
}

TEST_F(EditorTest, MissingHelpFileIsReported) {
  CMainWnd& window = start();
  fw::ScriptedModals modals;
  modals.answer(IDOK);
  EXPECT_TRUE(window.execute(ID_HELP_CONTENTS));
  ASSERT_EQ(modals.seen().size(), 1u);
  const std::string& text = modals.seen()[0].text;
  EXPECT_EQ(text.rfind("ヘルプ ファイルを開けませんでした。\n\n", 0), 0u) << text;
  EXPECT_NE(text.find("editor_tests.CHM"), std::string::npos) << text;
  EXPECT_EQ(modals.seen()[0].caption, "エラー [ミルデア]");
}

TEST_F(EditorTest, AboutShowsItsDialogAndReturnsTheFocus) {
  CMainWnd& window = start();
  fw::ScriptedModals modals;
  modals.answer(IDOK, [](fw::ModalRequest& request) {
    ASSERT_NE(request.dialog, nullptr);
    EXPECT_EQ(request.dialog->itemText(IDC_ABOUT_VERSION), "ミルデア v.1.06+");
    EXPECT_EQ(request.dialog->windowText(), "バージョン情報 [ミルデア]");
  });
  SetFocus(window.hwnd());
  EXPECT_TRUE(window.execute(ID_APP_ABOUT));
  ASSERT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(modals.seen()[0].templateId, static_cast<UINT>(IDD_ABOUT));
  EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());
}

TEST_F(EditorTest, ActivationPutsTheFocusInTheText) {
  CMainWnd& window = start();
  HWND edit = window.editCtrl()->hwnd();
  for (WPARAM state : {WA_ACTIVE, WA_CLICKACTIVE}) {
    SetFocus(window.hwnd());
    ASSERT_NE(GetFocus(), edit);
    SendMessageW(window.hwnd(), WM_ACTIVATE, state, 0);
    EXPECT_EQ(GetFocus(), edit) << state;
  }
}

TEST_F(EditorTest, PositionPaneCountsBytes) {
  CMainWnd& window = start();
  EditCtrl& edit = *window.editCtrl();
  auto pane = [&] {
    window.updateControlBars();
    return window.statusBar().paneText(1);
  };
  EXPECT_EQ(pane(), "1行、1列");
  edit.setText("\x82\xa0x\r\n\tab");  // "あx", then a tab
  edit.setSelection(2, 2);
  EXPECT_EQ(pane(), "1行、3列");
  edit.setSelection(6, 6);
  EXPECT_EQ(pane(), "2行、2列");
  // A selection is shown by its start even with the caret at its end.
  edit.setSelection(2, 8);
  EXPECT_EQ(pane(), "1行、3列");
}

TEST_F(EditorTest, WordWrapFromTheSettings) {
  Settings stored;
  stored.wordWrap = true;
  stored.readOnly = true;
  writeSettings(stored);
  CMainWnd& window = start();
  HWND edit = window.editCtrl()->hwnd();
  EXPECT_FALSE(GetWindowLongPtrW(edit, GWL_STYLE) & WS_HSCROLL);
  EXPECT_FALSE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_AUTOHSCROLL);
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(window.editCtrl()->readOnly());
  window.updateControlBars();
  EXPECT_EQ(window.statusBar().paneText(1), "--行、--列");

  // Read-only, the control asks for a static's colours; it still gets white.
  HDC dc = GetDC(edit);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
      window.hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit)));
  ReleaseDC(edit, dc);
  LOGBRUSH info{};
  ASSERT_NE(brush, nullptr);
  ASSERT_TRUE(GetObjectW(brush, sizeof info, &info));
  EXPECT_EQ(info.lbColor, RGB(255, 255, 255));
}
