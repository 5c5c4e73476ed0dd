// DocumentLock: hides the open document behind its password (command 40040,
// Lock) until the password is typed again.
//
// Locking seals the document's state (seal.h) under its key, then lets go
// of everything plain: the control's buffers are overwritten and the
// control replaced by an empty, disabled one, the forgetters run (the
// search texts), the document's key is wiped, the clipboard is emptied when
// it still holds the editor's last copy (and the setting says so), and
// finally the free memory of the heaps and the unused stack are
// overwritten.  The title then reads "ロック中 - ミルデア" and every command
// but Lock and Exit is refused (allows()).  The sealed state lives with the
// open document (open_document.h), which keeps answering whether there are
// unsaved changes.
//
// Unlocking (Lock again, or the window activated from another program)
// asks for the password with the document's path (InputPassDialog); a wrong
// one says "パスワードが間違っています。" and asks again, Cancel leaves the
// document locked, the right one brings everything back as it was.
//
// A document without a file (untitled) has no key and cannot be locked.
// Failures to lock (out of memory) leave the document open and unchanged.
// User-interface thread only.
#pragma once

#include <windows.h>

#include <functional>

#include "document/document.h"

class ClipboardHygiene;
class OpenDocument;
class ReadOnlyMode;
class WindowHost;
struct DocumentState;
struct SecuritySettings;
struct Settings;

class DocumentLock {
 public:
  DocumentLock(WindowHost& host, OpenDocument& document, const Settings& settings, ReadOnlyMode& readOnly,
               const SecuritySettings& security, ClipboardHygiene& clipboard);

  // Whether there is a document that could be locked now.
  bool canLock() const;
  // Whether command `id` may run: all while unlocked, Lock and Exit while locked.
  bool allows(UINT id) const;

  // Locks; false when nothing was locked.
  bool lock();
  // Asks for the password until it is right or the user cancels; true once
  // the document is back.
  bool unlock();
  // Before the document is let go (the window closes, the program ends):
  // true when it may.  A locked document with unsaved changes is unlocked
  // first (false when the user cancels), so that the question whether to
  // save can save it; a locked one without changes is simply dropped.
  bool unlockToLetGo();

  // Runs while locking, to wipe copies that other parts of the editor keep.
  void setForgetter(std::function<void()> forget) { forget_ = std::move(forget); }
  // Runs just before the text is sealed, while text and key are at hand.
  void setBeforeSeal(std::function<void()> beforeSeal) { beforeSeal_ = std::move(beforeSeal); }

 private:
  void replaceEditCtrl();
  void restore(const DocumentState& state, const tolvane::DocumentKey& key);

  WindowHost& host_;
  OpenDocument& document_;
  const Settings& settings_;
  ReadOnlyMode& readOnly_;
  const SecuritySettings& security_;
  ClipboardHygiene& clipboard_;
  std::function<void()> forget_;
  std::function<void()> beforeSeal_;
};
