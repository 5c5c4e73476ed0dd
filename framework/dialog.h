// CDialog: a dialog from a resource template, modal or modeless.
//
// The dialog procedure dispatches like any CWnd (message table, built-ins,
// default); the built-ins call the overridables OnInitDialog (WM_INITDIALOG),
// OnOK (IDOK), OnCancel (IDCANCEL, also Esc and the close box) and OnCommand
// (every other WM_COMMAND).  Default() inside a dialog's own handler means
// "let the dialog manager do its usual thing" (the procedure answers FALSE).
//
// Modal: DoModal() consults the modal responder first (modal.h).  Without
// one, or when it declines, the dialog is shown with DialogBoxParamW.  With
// one, the dialog is created hidden from its template, OnInitDialog runs, and
// the responder is asked which button to press (it may fill the controls
// first); the press goes through the same WM_COMMAND path as a real click, so
// the dialog's own checks run.  A dialog that refuses to close is asked again,
// at most 16 times, then cancelled.  A responder that declines the first
// question gets the real dialog instead (whose OnInitDialog runs afresh).
//
// Modeless: createModeless() creates the window, registers it with the
// application for keyboard navigation, and unregisters it when it is
// destroyed.  OnOK/OnCancel of a modeless dialog destroy the window.
//
// Errors: an exception thrown by a handler must not unwind through the
// system's dialog code.  In a modal dialog it is caught there, the dialog is
// closed as cancelled, and DoModal rethrows it once the dialog is gone; in a
// modeless one the application's loop rethrows it (see app.h), and an error
// in OnInitDialog destroys the dialog, so that createModeless fails.
//
// Observer: a program may ask to hear of the top-level window of every
// dialog the framework makes (setDialogObserver): CDialog's, modal or
// modeless, the system dialog around a file dialog's panel, and Find and
// Replace.  It is told once the window exists and before it shows anything
// of its own, so that it can give the window properties of its choice.
//
// Text at this interface is UTF-8.  The object must outlive its window.
#pragma once

#include "framework/wnd.h"

#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace fw {

// Installs the observer of new dialog windows (an empty function removes
// it); returns the old one.
using DialogObserver = std::function<void(HWND)>;
DialogObserver setDialogObserver(DialogObserver observer);
// Tells the observer, if any, of `window`.
void notifyDialogObserver(HWND window);

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, HWND parent = nullptr);
  ~CDialog() override;

  UINT templateId() const { return templateId_; }
  HWND parentWindow() const { return parent_; }
  void setParentWindow(HWND parent) { parent_ = parent; }

  // Runs the dialog; returns the code it ended with (IDOK, IDCANCEL, ...),
  // or -1 when it could not be created.  Without a parent the main window
  // of the application owns it, so that the frame is disabled meanwhile.
  virtual INT_PTR DoModal();
  bool createModeless();
  bool isModal() const { return modal_; }

  // Ends a modal dialog with that code; destroys a modeless one.
  void EndDialog(INT_PTR result);

  // --- overridables ---
  // Return TRUE to let the system put the focus on the first tab stop.
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Other commands (buttons, notifications); true when handled.
  virtual bool OnCommand(UINT id, UINT code, HWND control) { return false; }

  // --- controls ---
  HWND item(int id) const;
  std::string itemText(int id) const;
  void setItemText(int id, std::string_view text);
  // Integer in the control; *ok (optional) tells whether it was a number.
  int itemInt(int id, bool* ok = nullptr, bool isSigned = true) const;
  void setItemInt(int id, int value, bool isSigned = true);
  bool isChecked(int id) const;
  void setChecked(int id, bool checked);
  void enableItem(int id, bool enabled);
  bool isItemEnabled(int id) const;
  void focusItem(int id);

  // The dialog procedure shared by every CDialog; also used by the common
  // dialogs that carry a child template.
  static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  LRESULT defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Runs one message through the table and converts the answer to what a
  // dialog procedure returns; also unbinds at WM_NCDESTROY.
  INT_PTR dialogDispatch(UINT message, WPARAM wParam, LPARAM lParam);
  // Processes the messages queued now (scripted dialogs post to themselves).
  // An error coming out of them ends the dialog as a handler's error does.
  void pumpPosted();
  // Keeps a handler's exception for DoModal and closes the dialog.
  virtual void abandon(std::exception_ptr error);
  // Rethrows what abandon() kept, if anything.
  void rethrowPending();

 private:
  LRESULT OnInitDialogMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnCommandMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroyMessage(WPARAM wParam, LPARAM lParam);
  // The run through the modal responder; nothing when there is none or it
  // declined.
  std::optional<INT_PTR> runScripted();
  // The explicit parent, else the application's main window.
  HWND owner() const;

  UINT templateId_;
  HWND parent_;
  bool modal_ = false;
  bool scripted_ = false;
  bool ended_ = false;
  INT_PTR result_ = 0;
  bool unhandled_ = false;
  std::exception_ptr pending_;

  friend class CFileDialog;
};

}  // namespace fw
