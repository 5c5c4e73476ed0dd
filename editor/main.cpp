// Entry point of Tolvane.exe.
#include <windows.h>

#include <exception>

#include "editor/my_app.h"
#include "editor/main_wnd.h"
#include "editor/protection/crash_reports.h"
#include "framework/modal.h"
#include "orka/files/dll_search_win32.h"
#include "orka/errors/error.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  orka::restrictDllSearchToSystem();
  keepHeapOutOfCrashReports();
  // Commands report their own failures, and the application object takes
  // what escapes its message loop; what still comes here failed before the
  // editor was up, and the least we owe the user is to say why we stop.
  std::string failure;
  try {
    CMyApp app;
    return app.main(showCommand);
  } catch (const orka::Error& e) {
    failure = e.message();
  } catch (const std::exception& e) {
    failure = e.what();
  }
  fw::messageBox(nullptr, failure, kErrorCaption, MB_OK | MB_ICONERROR);
  return 1;
}
