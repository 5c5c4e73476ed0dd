// CMyApp: the editor program, and the start-up steps it runs.
//
// startEditor is the whole start-up, callable from tests: parse the command
// line, build the main window (COM and settings), create and show it, then
// open the document named on the command line (a relative name taken from
// the current folder once, here).  A failure before the window
// is shown is reported in a stop box without owner and ends the start-up;
// failing to open the document is the document's own business and does not.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/main_wnd.h"
#include "framework/app.h"

struct StartupOptions {
  // Command-line parameters without the program name, UTF-8.
  std::vector<std::string> parameters;
  // Empty: the program's "tolvane.dat" (settingsFilePath).
  std::string settingsPath;
  // Null: the system's COM.
  ComApi* com = nullptr;
  // Null: the system's display affinity (capture_shield.h).
  DisplayAffinityApi* affinity = nullptr;
  int showCommand = SW_SHOWDEFAULT;
  // When given, the window becomes its main window: closing it ends the loop.
  fw::CWinApp* app = nullptr;
  // Builds the window object; empty: a plain CMainWnd.
  std::function<std::unique_ptr<CMainWnd>(const std::string& settingsPath, ComApi& com)> makeWindow;
};

// The shown main window, or null after a start-up error was shown.
std::unique_ptr<CMainWnd> startEditor(const StartupOptions& options);

class CMyApp : public fw::CWinApp {
 public:
  // Starts the editor from the program's command line.
  bool InitInstance() override;
  // The error box, then the save question (command_failure.h).
  int ExitOnError(std::exception_ptr error) override;

  // Starts the editor as `options` say (InitInstance's step, and the
  // tests'); false after a start-up error was shown.
  bool start(const StartupOptions& options);
  CMainWnd* mainWindow() const { return mainWnd_.get(); }
  // Destroys the main window.
  void stop() { mainWnd_.reset(); }

 private:
  // Deleted after the message loop ends, which shuts COM down last.
  std::unique_ptr<CMainWnd> mainWnd_;
};
