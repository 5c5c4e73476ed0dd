// Wrappers of the system's common dialogs: open/save file, font, find/replace.
//
// Paths and texts are UTF-8 here; the W functions run underneath.  The modal
// ones (file, font) go through the modal responder first (modal.h), so tests
// can answer them without a window.  Failures of the system dialog itself
// (not a cancel) come back as a result of -1.
#pragma once

#include "framework/dialog.h"

#include <commdlg.h>

#include <string>
#include <string_view>
#include <vector>

namespace fw {

// Open or Save dialog.  Without a panel the system dialog is used as it is.
// With a panel (setPanelTemplate) the hook-based Explorer style is used: the
// panel is a child-template dialog placed below the standard controls; this
// object is bound to the panel (its hwnd(), item helpers and message table
// refer to the panel), OnInitDialog runs when the panel is created, and
// OnFileNameOK decides whether a confirmed name is accepted.
class CFileDialog : public CDialog {
 public:
  CFileDialog(bool openDialog, HWND owner);

  // "Text files (*.txt)|*.txt|All files (*.*)|*.*||": pairs of description
  // and pattern separated by '|'.
  void setFilter(std::string_view filter);
  // Extension appended when the typed name has none ("vtxt", no dot).
  void setDefaultExtension(std::string_view extension);
  // Proposed file name or full path.
  void setFileName(std::string_view name);
  void setTitle(std::string_view title);
  // OFN_* flags added to OFN_EXPLORER (and OFN_ENABLEHOOK, OFN_ENABLETEMPLATE
  // with a panel); FlagsEx such as OFN_EX_NOPLACESBAR.
  void setFlags(DWORD flags) { flags_ = flags; }
  DWORD flags() const { return flags_; }
  void setFlagsEx(DWORD flagsEx) { flagsEx_ = flagsEx; }
  void setPanelTemplate(UINT templateId);

  // IDOK, IDCANCEL, or -1 when the system dialog failed.
  INT_PTR DoModal() override;
  // The chosen path after IDOK.
  const std::string& path() const { return path_; }

  // A name was confirmed: true accepts it and lets the dialog close.  The
  // dialog's own checks (overwrite prompt and so on) come after.  Called only
  // with a panel; path() holds the name being confirmed.  An exception
  // thrown here closes the dialog and comes out of DoModal.
  virtual bool OnFileNameOK() { return true; }

 protected:
  void abandon(std::exception_ptr error) override;

 private:
  static UINT_PTR CALLBACK hookProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The run through the modal responder; nothing when there is none or it
  // declined.
  std::optional<INT_PTR> runScriptedFile();

  bool open_;
  HWND owner_;
  std::wstring filter_;
  std::wstring defExt_;
  std::wstring fileName_;
  std::wstring title_;
  DWORD flags_ = 0;
  DWORD flagsEx_ = 0;
  UINT panelTemplate_ = 0;
  std::string path_;
};

// Font dialog, initialised from and returning a LOGFONTW.
class CFontDialog {
 public:
  // `flags` are CF_* flags; CF_INITTOLOGFONTSTRUCT is always added.
  CFontDialog(const LOGFONTW& initial, DWORD flags, HWND owner);
  // IDOK, IDCANCEL, or -1 when the system dialog failed.
  INT_PTR DoModal();
  const LOGFONTW& font() const { return font_; }

 private:
  LOGFONTW font_;
  DWORD flags_;
  HWND owner_;
};

// The modeless find or replace dialog.  It talks to its owner through the
// registered message message() ("commdlg_FindReplace"), whose lParam leads
// back to the object (fromNotification).  The object is made by create() and
// deletes itself when its window is destroyed, after the closing (terminating)
// notification was delivered: never keep it past that notification.  It is
// registered with the application for keyboard navigation while it exists.
class CFindReplaceDialog {
 public:
  static UINT message();

  // `findOnly` picks the Find dialog, else Replace.  Texts longer than
  // maxLength characters (at most 65534) are cut.  `flags` are FR_* flags.
  // nullptr when the dialog cannot be created.
  static CFindReplaceDialog* create(bool findOnly, std::string_view findWhat, std::string_view replaceWith,
                                    DWORD flags, HWND owner, int maxLength = 127);
  // The object behind a notification's lParam (nullptr if not ours).
  static CFindReplaceDialog* fromNotification(LPARAM lParam);

  HWND hwnd() const { return hwnd_; }
  bool isFindOnly() const { return findOnly_; }
  std::string findString() const;
  std::string replaceString() const;
  DWORD flags() const { return fr_.Flags; }
  bool isTerminating() const { return (fr_.Flags & FR_DIALOGTERM) != 0; }
  bool findNext() const { return (fr_.Flags & FR_FINDNEXT) != 0; }
  bool replaceCurrent() const { return (fr_.Flags & FR_REPLACE) != 0; }
  bool replaceAll() const { return (fr_.Flags & FR_REPLACEALL) != 0; }
  bool searchDown() const { return (fr_.Flags & FR_DOWN) != 0; }
  bool matchCase() const { return (fr_.Flags & FR_MATCHCASE) != 0; }

  // Closes the dialog (it then notifies and deletes itself).
  void close();

 private:
  CFindReplaceDialog() = default;
  ~CFindReplaceDialog() = default;
  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

  FINDREPLACEW fr_ = {};
  std::vector<wchar_t> findBuffer_;
  std::vector<wchar_t> replaceBuffer_;
  bool findOnly_ = true;
  HWND hwnd_ = nullptr;
};

}  // namespace fw
