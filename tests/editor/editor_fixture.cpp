#include "editor_fixture.h"

fw::CWinApp& testApp() {
  static fw::CWinApp app;
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
  StartupOptions options;
  options.parameters = std::move(parameters);
  options.settingsPath = settingsPath();
  options.com = &com_;
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
