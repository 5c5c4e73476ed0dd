// DocumentLock: hides the open document behind its password (command 40040,
// Lock) until the password is typed again.
//
// Locking keeps the document's state — text, selection, modified flag,
// read-only mode and what Undo would bring back — only enciphered, under a
// key made from the document's key and a fresh random salt, then lets go of
// everything plain: the edit control's buffers are overwritten and the
// control replaced by an empty, disabled one, the mirror, the shared ANSI
// text and the search texts are wiped, the document's key is wiped, the
// clipboard is emptied when it still holds the editor's last copy (and the
// setting says so), and finally the free memory of the heaps and the unused
// stack are overwritten.  The title then reads "ロック中 - ミルデア" and every
// command but Lock and Exit is refused (allows()).
//
//   salt   16 random bytes          check  = SHA-256(salt | key | 'C')
//   cipher AES-256-CBC (zero IV), key SHA-256(salt | key | 'K'), PKCS#7 padding, of
//          u32 selection start, u32 end, u8 modified, u8 read-only,
//          u8 has-undo, u32 length, text, u32 length, undo text  (little-endian)
//
// The check tells a wrong password before anything is deciphered.  One bit
// stays plain: whether the text was modified, so that Exit knows whether it
// must ask for the password (to offer saving) or may simply close.
//
// Unlocking (Lock again, or the window activated from another program) asks
// for the password with the document's path (InputPassDialog); a wrong one
// says "パスワードが間違っています。" and asks again, Cancel leaves the
// document locked, the right one brings everything back as it was.
//
// A document without a file (untitled) has no key and cannot be locked.
// Automatic locks (when Windows locks the session, after the idle minutes,
// when minimised, as the security settings say) wait while a modal window
// is open.  Failures to lock (no random numbers, out of memory) leave the
// document open and unchanged.  User-interface thread only.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class CMainWnd;

class DocumentLock {
 public:
  // The timer of the main window that looks for idle time.
  static constexpr UINT_PTR kIdleTimerId = 0x7040;

  explicit DocumentLock(CMainWnd& main);

  bool locked() const { return sealed_.has_value(); }
  // Whether there is a document that could be locked now.
  bool canLock() const;
  // Whether command `id` may run: all while unlocked, Lock and Exit while locked.
  bool allows(UINT id) const;

  // Locks; false when nothing was locked.
  bool lock();
  // Asks for the password until it is right or the user cancels; true once
  // the document is back.
  bool unlock();
  // Before the window closes: true when it may.  A locked, modified document
  // is unlocked first (false when the user cancels), so that the question
  // whether to save can save it.
  bool allowClose();

  // Runs while locking, to wipe copies that other parts of the editor keep.
  void setForgetter(std::function<void()> forget) { forget_ = std::move(forget); }

  // Window events that lock or unlock automatically.
  void onActivate(WPARAM wParam, LPARAM lParam);
  void onSessionChange(WPARAM event);
  void onMinimized();
  void onIdleTimer();
  // Starts or stops the idle timer as the security settings now say.
  void applySettings();

 private:
  struct Sealed {
    std::array<unsigned char, 16> salt{};
    std::array<unsigned char, 32> check{};
    std::vector<unsigned char> cipher;
    bool modified = false;
  };

  void autoLock();
  void replaceEditCtrl();
  void restore(const std::vector<unsigned char>& plain, const std::array<unsigned char, 32>& key);
  void showError(const char* text);

  CMainWnd& main_;
  std::optional<Sealed> sealed_;
  std::function<void()> forget_;
  // Set when the window lost the activation to another program.
  bool away_ = false;
};
