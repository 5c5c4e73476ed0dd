// Shared pieces of the editor's window tests: a process-wide application
// object for the message pump, a COM stand-in that tests can make fail, and
// a fixture that starts the editor against a settings file of its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "editor/main_wnd.h"
#include "editor/my_app.h"
#include "framework/app.h"
#include "support/temp_dir.h"

class FakeCom : public ComApi {
 public:
  HRESULT initialize() override { return initializeResult; }
  HRESULT initializeSecurity() override { return securityResult; }
  void uninitialize() override { ++uninitializeCalls; }

  HRESULT initializeResult = S_OK;
  HRESULT securityResult = S_OK;
  int uninitializeCalls = 0;
};

// The one application object of the test process.
fw::CWinApp& testApp();

// Processes what is queued, idle handlers included.
void pump();

// Menu state as the user sees it once every menu has opened.
bool isChecked(CMainWnd& window, UINT id);
bool isGrayed(CMainWnd& window, UINT id);

// A key as the message loop sees it, with Ctrl and Shift held as given.
void pressKey(HWND target, UINT key, bool ctrl = false, bool shift = false);
// A character typed into `target`, through pre-translation as the loop does.
void typeChar(HWND target, wchar_t ch);

class EditorTest : public ::testing::Test {
 protected:
  void TearDown() override;

  // Settings as the next start should find them.
  void writeSettings(const Settings& settings);
  Settings readSettings() const;
  std::string settingsPath() const { return dir_.path("tolvane.dat"); }

  // Starts the editor (shown, not activated) with these parameters.
  CMainWnd& start(std::vector<std::string> parameters = {});
  std::unique_ptr<CMainWnd> tryStart(std::vector<std::string> parameters = {});

  // Sends WM_CLOSE and waits until the window is gone.
  void close();

  testing_support::TempDir dir_;
  // Whether a start offers the recovery copies earlier windows of the test
  // left behind; off, they are removed first.
  bool offerLeftCopies_ = false;
  FakeCom com_;
  // Null: the system's own (which wine refuses).
  DisplayAffinityApi* affinity_ = nullptr;
  std::unique_ptr<CMainWnd> window_;
};
