// What every dialog with masked password fields does besides reading them.
//
// PasswordFields, given the dialog and the ids of its masked fields:
//  - while Caps Lock is on and one of the fields has the focus, shows the
//    system's balloon on that field ("Caps Lock がオンになっています"), as
//    Windows' own password fields do, and hides it when Caps Lock goes off
//    or the focus leaves (the state is looked at a few times a second, on a
//    timer of the dialog with id kTimerId);
//  - when the dialog is destroyed, overwrites each field's text with blanks
//    of the same length and then empties it and its undo buffer, so that the
//    control frees no buffer still holding the password.
// It handles WM_TIMER and WM_DESTROY of the dialog (passing them on).  The
// dialog must outlive it; user-interface thread only.
#pragma once

#include <vector>

#include "framework/wnd.h"

class PasswordFields {
 public:
  static constexpr UINT_PTR kTimerId = 0x7031;

  PasswordFields(fw::CWnd& dialog, std::vector<int> fieldIds);

  // Starts watching Caps Lock; call once the dialog's window exists.
  void start();

 private:
  void check();
  void scrub();

  fw::CWnd& dialog_;
  std::vector<int> fieldIds_;
  HWND warnedField_ = nullptr;
};

// Overwrites the text of an edit control in place, then empties it.
void scrubPasswordField(HWND field);
