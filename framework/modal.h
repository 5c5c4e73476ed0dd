// Message boxes, and the seam through which tests answer modal questions.
//
// Every modal thing the framework shows — message boxes, CDialog::DoModal,
// the file and font dialogs — first asks the process-wide modal responder,
// when one is set.  If it answers, nothing is shown and its answer is the
// result; if it declines (std::nullopt), the real window is shown.  Tests use
// this to drive commands that ask questions; ScriptedModals below is the
// usual way.  Production code never sets a responder.
//
// User-interface thread only.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

class CDialog;

enum class ModalKind { MessageBox, Dialog, OpenFile, SaveFile, Font };

struct ModalRequest {
  ModalKind kind = ModalKind::MessageBox;
  std::string text;     // message box text
  std::string caption;  // message box caption, or the dialog's title
  UINT style = 0;       // MB_* flags of a message box
  UINT templateId = 0;  // template of a dialog (CDialog or a file dialog's panel)
  // A live dialog, created hidden, whose controls the responder may fill
  // before answering which button to press (Dialog; file dialogs with a
  // panel).  Not valid after the call.
  CDialog* dialog = nullptr;
  // File dialogs: in, the proposed name; out, the chosen path.
  std::string path;
  // File dialogs: the OFN_* flags they are shown with.
  DWORD flags = 0;
  // Font dialog: in, the current font; out, the chosen one.
  LOGFONTW font = {};
};

// Message boxes: the button pressed (IDOK, IDYES...).
// Dialogs: the id of the button to press (IDOK, IDCANCEL...).
// File and font dialogs: IDOK (with path or font filled in) or IDCANCEL.
using ModalResponder = std::function<std::optional<int>(ModalRequest&)>;

// Installs the responder (an empty function removes it); returns the old one.
ModalResponder setModalResponder(ModalResponder responder);
// Asks the responder, if any.
std::optional<int> askModalResponder(ModalRequest& request);
bool hasModalResponder();

// MessageBoxW with UTF-8 text; answered by the responder when one is set.
// A real box waits for its answer even after the loop was asked to end (the
// WM_QUIT is kept for after it).
int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags);

// Test helper: answers modal questions from a queue and records what was
// asked.  Installs itself for its lifetime and restores the previous
// responder afterwards.  With an empty queue it answers IDCANCEL (so a
// surprise question cannot hang a test) and records that as unexpected.
class ScriptedModals {
 public:
  struct Seen {
    ModalKind kind;
    std::string text;
    std::string caption;
    UINT style;
    UINT templateId;
  };
  // An answer: the result, plus what to do with the request first (fill a
  // dialog's controls, set the path or the font).
  struct Answer {
    int result;
    std::function<void(ModalRequest&)> prepare;
  };

  ScriptedModals();
  ~ScriptedModals();
  ScriptedModals(const ScriptedModals&) = delete;
  ScriptedModals& operator=(const ScriptedModals&) = delete;

  void answer(int result, std::function<void(ModalRequest&)> prepare = {});
  // A file dialog answered with OK and this path.
  void answerPath(std::string path);

  const std::vector<Seen>& seen() const { return seen_; }
  int unexpected() const { return unexpected_; }
  size_t pending() const { return answers_.size(); }

 private:
  std::optional<int> respond(ModalRequest& request);

  std::deque<Answer> answers_;
  std::vector<Seen> seen_;
  int unexpected_ = 0;
  ModalResponder previous_;
};

}  // namespace fw
