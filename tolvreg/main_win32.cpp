// Tolvreg: started elevated by the editor to write or remove the .vtxt file
// association; it has no window and answers only through its exit code.
#include <windows.h>

#include "tolvreg/helper.h"
#include "tolvreg/system_host.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  return tolvreg::runHelper(commandLine ? commandLine : L"", tolvreg::systemHost());
}
