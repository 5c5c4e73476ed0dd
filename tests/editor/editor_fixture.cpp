#include "tests/editor/editor_fixture.h"

#include <cstring>

#include "editor/recovery/recovery_copy.h"
#include "settings/program_file.h"

namespace {

// What the user sees when every menu opens: each popup gets WM_INITMENUPOPUP.
void openEveryMenu(CMainWnd& window, HMENU menu) {
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      SendMessageW(window.hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), i);
      openEveryMenu(window, sub);
    }
  }
}

UINT menuState(CMainWnd& window, UINT id) {
  openEveryMenu(window, window.menu());
  return GetMenuState(window.menu(), id, MF_BYCOMMAND);
}

}  // namespace

bool isChecked(CMainWnd& window, UINT id) { return (menuState(window, id) & MF_CHECKED) != 0; }
bool isGrayed(CMainWnd& window, UINT id) { return (menuState(window, id) & MF_GRAYED) != 0; }

namespace {

void sendThroughLoop(HWND target, UINT message, WPARAM wParam) {
  MSG msg{};
  msg.hwnd = target;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = 1;
  testApp().processMessage(msg);
}

}  // namespace

void pressKey(HWND target, UINT key, bool ctrl, bool shift) {
  BYTE saved[256], state[256];
  GetKeyboardState(saved);
  std::memcpy(state, saved, sizeof state);
  state[VK_CONTROL] = ctrl ? 0x80 : 0;
  state[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(state);
  sendThroughLoop(target, WM_KEYDOWN, key);
  SetKeyboardState(saved);
  pump();
}

void typeChar(HWND target, wchar_t ch) {
  sendThroughLoop(target, WM_CHAR, ch);
  pump();
}

fw::CWinApp& testApp() {
  // The program's own application object, so that what it does when an
  // error ends its loop can be tested.
  static CMyApp app;
  return app;
}

void pump() { testApp().pumpPending(); }

void EditorTest::TearDown() {
  window_.reset();
  pump();
}

void EditorTest::writeSettings(const Settings& settings) { ASSERT_TRUE(settings.save(settingsPath())); }

Settings EditorTest::readSettings() const {
  Settings settings;
  EXPECT_TRUE(settings.load(settingsPath(), FixedScreenSize(10000, 10000)));
  return settings;
}

std::unique_ptr<CMainWnd> EditorTest::tryStart(std::vector<std::string> parameters) {
  testApp();
  // A window a test let go of with unsaved text left a recovery copy, as a
  // crash does; the next start would ask about it.
  if (!offerLeftCopies_) {
    const std::string folder = recoveryFolderPath(settingsPath());
    for (const auto& copy : tolvane::listRecoveryCopies(folder))
      tolvane::deleteRecoveryCopy(folder, copy.name);
  }
  StartupOptions options;
  options.parameters = std::move(parameters);
  options.settingsPath = settingsPath();
  options.com = &com_;
  options.affinity = affinity_;
  options.showCommand = SW_SHOWNOACTIVATE;
  auto window = startEditor(options);
  pump();
  return window;
}

CMainWnd& EditorTest::start(std::vector<std::string> parameters) {
  window_ = tryStart(std::move(parameters));
  if (!window_) throw std::runtime_error("the editor did not start");
  return *window_;
}

void EditorTest::close() {
  HWND hwnd = window_->hwnd();
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  testApp().pumpUntil([hwnd] { return !IsWindow(hwnd); });
}
