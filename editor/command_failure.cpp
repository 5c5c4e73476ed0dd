#include "editor/command_failure.h"

#include <new>

#include "editor/main_wnd.h"
#include "editor/res/resource.h"
#include "framework/modal.h"
#include "framework/wnd.h"
#include "orka/errors/error.h"

std::string failureMessage(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const orka::Error& e) {
    return e.message();
  } catch (const std::bad_alloc&) {
    return fw::loadString(IDS_FAILED_OUT_OF_MEMORY);
  } catch (...) {
    return fw::loadString(IDS_FAILED_UNEXPECTED);
  }
}

void reportFailedCommand(HWND owner, std::exception_ptr error) {
  fw::messageBox(owner, failureMessage(error), kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}

int endAfterFailure(CMainWnd* window, std::exception_ptr error) {
  HWND owner = window && IsWindow(window->hwnd()) ? window->hwnd() : nullptr;
  // The text is kept before anything else can fail.
  if (owner) window->keepRecoveryCopy();
  fw::messageBox(owner, failureMessage(error) + "\n\n" + fw::loadString(IDS_ENDING_AFTER_FAILURE),
                 kErrorCaption, MB_OK | MB_ICONERROR);
  // Whatever the answer, the program ends: the question is the last chance
  // to keep the text, locked or not.
  if (owner) window->letDocumentGo();
  return 1;
}
