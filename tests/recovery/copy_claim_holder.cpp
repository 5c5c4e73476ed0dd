// Takes the claim named on the command line and keeps it until it is killed
// (or a minute passes, so that a failed test leaves nothing running).
#include <windows.h>

#include "editor/recovery/copy_claim.h"
#include "orka/text/wide.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  std::optional<tolvane::CopyClaim> claim = tolvane::CopyClaim::take(orka::narrow(argv[1]));
  if (!claim) return 1;
  Sleep(60 * 1000);
  return 0;
}
