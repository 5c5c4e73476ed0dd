// vtxt: the .vtxt documents of the editor on the command line.
#include "tools/vtxt/cli.h"
#include "tools/vtxt/console.h"

int main(int argc, char** argv) {
  vtxt::SystemSession session;
  std::unique_ptr<vtxt::Console> console = vtxt::systemConsole();
  return vtxt::run(vtxt::programArguments(argc, argv), *console);
}
