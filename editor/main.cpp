// Entry point of Tolvane.exe.
#include <windows.h>

#include "editor/my_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
  CMyApp app;
  return app.main(showCommand);
}
