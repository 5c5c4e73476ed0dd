// What the editor says when a command fails, and what it does then.
//
// A command that throws has failed as a whole: the commands build what they
// change (a replaced text, a new edit control) before they touch the text,
// so the text is still as it was, and the editor goes on with it after the
// error box.  Only an error that escapes the message loop ends the program;
// the user then sees the error and gets the save question first.
//
// Error boxes carry the editor's error caption.  User-interface thread only.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

class CMainWnd;

// The box's text: an orka::Error's own message; for running out of memory
// and for anything else a fixed text of its own.
std::string failureMessage(std::exception_ptr error);

// A failed command: the error box, owned by `owner`.
void reportFailedCommand(HWND owner, std::exception_ptr error);

// An error the editor cannot go on from: the error box saying the program
// ends, then the save question for `window`'s text (when it still has
// one; a locked document is unlocked for it first).  Returns the program's
// exit code.
int endAfterFailure(CMainWnd* window, std::exception_ptr error);
