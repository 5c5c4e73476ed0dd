// Tolvreg: started elevated by the editor to write or remove the .vtxt file
// association; it has no window and answers only through its exit code.
#include <windows.h>

#include "orka/files/dll_search_win32.h"
#include "tolvreg/helper.h"
#include "tolvreg/system_host.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  orka::restrictDllSearchToSystem();
  return tolvreg::runHelper(commandLine ? commandLine : L"", tolvreg::systemHost());
}
