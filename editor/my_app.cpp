#include "editor/my_app.h"

#include <stdlib.h>

#include "editor/command_failure.h"
#include "editor/res/resource.h"
#include "framework/modal.h"
#include "orka/cmdline/command_line.h"
#include "orka/errors/error.h"
#include "orka/files/wide_path.h"
#include "orka/text/wide.h"

namespace {

// `path` made absolute against the current folder, which a later Open
// dialog may change: a Save must write where the command line meant.
// Left as it is when the system cannot make it whole.
std::string absolutePath(const std::string& path) {
  const std::wstring full = orka::fullPathName(orka::widen(path));
  return full.empty() ? path : orka::narrow(full);
}

}  // namespace

std::unique_ptr<CMainWnd> startEditor(const StartupOptions& options) {
  std::unique_ptr<CMainWnd> window;
  orka::CommandLine1File commandLine;
  try {
    commandLine.parse(options.parameters);
    ComApi& com = options.com ? *options.com : systemComApi();
    std::string settingsPath =
        options.settingsPath.empty() ? CMainWnd::defaultSettingsPath() : options.settingsPath;
    DisplayAffinityApi& affinity = options.affinity ? *options.affinity : systemDisplayAffinity();
    window = options.makeWindow ? options.makeWindow(settingsPath, com)
                                : std::make_unique<CMainWnd>(settingsPath, com, affinity);
    if (options.app) options.app->setMainWnd(window.get());
    if (!window->loadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW)) {
      throw orka::Error("ウィンドウの作成に失敗しました。");
    }
    ShowWindow(window->hwnd(), options.showCommand);
    UpdateWindow(window->hwnd());
  } catch (const orka::Error& e) {
    if (options.app) options.app->setMainWnd(nullptr);
    window.reset();
    fw::messageBox(nullptr, e.message(), kErrorCaption, MB_OK | MB_ICONERROR);
    return nullptr;
  }
  const std::string document =
      commandLine.fileName().empty() ? std::string() : absolutePath(commandLine.fileName());
  if (!window->offerRecovery(document) && !document.empty()) window->openDocument(document);
  return window;
}

bool CMyApp::InitInstance() {
  StartupOptions options;
  // The C runtime has split the command line already; its parameters reach
  // the parser as UTF-8, so any path survives whatever the code page.
  for (int i = 1; i < __argc; ++i) options.parameters.push_back(orka::narrow(__wargv[i]));
  options.showCommand = showCommand();
  options.app = this;
  return start(options);
}

bool CMyApp::start(const StartupOptions& options) {
  mainWnd_ = startEditor(options);
  return mainWnd_ != nullptr;
}

int CMyApp::ExitOnError(std::exception_ptr error) { return endAfterFailure(mainWnd_.get(), error); }
