// What the open benchmarks share: the 64 MiB document on disk, the editor's
// main window set up to open it silently, and a bare platform control made
// to compare fairly with the editor's own.
//
// Wine's edit control measures every line with its font to learn how wide
// the text is, so the font and the size of the control alone change how
// long a text takes to go in.  The bare control therefore gets the font the
// editor makes from its default settings and the client size of the
// editor's control, beside it on the screen so that neither hides the other.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CMainWnd;
class EditCtrl;

namespace bench {

struct OpenPaths {
  std::string folder, document, bareDocument, settings;
};

// Under the temporary folder; the folder is made.
OpenPaths openPaths();
// The text the document holds: japaneseText(EditCtrl::kMaxBytes).
const std::string& documentText();
// Writes documentText() as the document, with the empty password.
void writeDocumentFile(const OpenPaths& p);
// Documents saved with the empty password open without a dialog in silent
// mode; a fixed serial keeps WMI out of the timing.
void useFixedSerial();
// The editor's window with silent opening and the per-file list switched on,
// shown and with its messages pumped.
std::unique_ptr<CMainWnd> startWindow(const OpenPaths& p);

// The editor's font as the window makes it from the default settings.
HFONT editorDefaultFont();
// The platform's EDIT control, styled as `ours`, with its client size, the
// editor's default font and the 64 MiB limit, in a parent window of its own.
HWND createFairBare(const EditCtrl& ours);
// One open of the document and the messages it causes: by the editor
// (openDocument), or by the bare control (readDocument, the conversion and
// SetWindowTextW, the least any program must do).
void openOnce(const OpenPaths& p, CMainWnd& editor, HWND bare, bool ours);
// The face the system picked for the control's font (GetTextFace), and the
// family of the outline font behind it, if any.
std::string resolvedFace(HWND control);
// One line per side on stderr, beside the library's own context lines, so
// that a JSON or CSV report on stdout stays clean: resolved face and client
// size.
void printSides(HWND ours, HWND bare);

}  // namespace bench
