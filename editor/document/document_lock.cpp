#include "editor/document/document_lock.h"

#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "document/document.h"
#include "editor/document/input_pass_dialog.h"
#include "editor/document/password_text.h"
#include "editor/document/secret_memory.h"
#include "editor/document/security_dialog.h"
#include "editor/main_wnd.h"
#include "editor/res/resource.h"
#include "framework/modal.h"
#include "orka/crypto/rijndael.h"
#include "orka/crypto/sha256.h"
#include "orka/errors/error.h"

namespace {

constexpr const char* kLockedTitle = "ロック中 - ";
constexpr const char* kWrongPassword = "パスワードが間違っています。";
constexpr size_t kBlock = 16;

using Digest = std::array<unsigned char, 32>;

// Bytes that are overwritten before their memory goes back.
class SecretBytes {
 public:
  explicit SecretBytes(size_t capacity) { bytes_.reserve(capacity); }
  ~SecretBytes() { wipe(); }
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;

  void put(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }
  void put32(uint32_t value) {
    const unsigned char le[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                 static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    put(le, 4);
  }
  std::vector<unsigned char>& bytes() { return bytes_; }
  void wipe() {
    if (bytes_.capacity() != 0) SecureZeroMemory(bytes_.data(), bytes_.capacity());
    bytes_.clear();
  }

 private:
  std::vector<unsigned char> bytes_;
};

// Reads the plain record back; throws orka::Error on a record that does not
// parse (which a right check makes impossible).
class Reader {
 public:
  explicit Reader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}
  const unsigned char* take(size_t size) {
    if (bytes_.size() - at_ < size) throw orka::Error("ロックを解除できません。");
    const unsigned char* p = bytes_.data() + at_;
    at_ += size;
    return p;
  }
  uint32_t take32() {
    const unsigned char* p = take(4);
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
  std::string_view text() {
    const uint32_t length = take32();
    return std::string_view(reinterpret_cast<const char*>(take(length)), length);
  }

 private:
  const std::vector<unsigned char>& bytes_;
  size_t at_ = 0;
};

Digest derive(const std::array<unsigned char, 16>& salt, const tolvane::DocumentKey& key, char purpose) {
  orka::SHA256 hash;
  hash.init();
  hash.update(salt.data(), static_cast<uint32_t>(salt.size()));
  hash.update(key.data(), static_cast<uint32_t>(key.size()));
  hash.update(&purpose, 1);
  Digest digest;
  std::memcpy(digest.data(), hash.final(), digest.size());
  return digest;
}

bool sameDigest(const Digest& a, const Digest& b) {
  unsigned difference = 0;
  for (size_t i = 0; i < a.size(); ++i) difference |= static_cast<unsigned>(a[i] ^ b[i]);
  return difference == 0;
}

void wipe(void* data, size_t size) { SecureZeroMemory(data, size); }

// How many leading bytes of `a` and `b` are the same whole characters.
size_t commonPrefix(std::string_view a, std::string_view b) {
  size_t at = 0;
  while (at < a.size() && at < b.size()) {
    const size_t step = IsDBCSLeadByte(static_cast<BYTE>(a[at])) && at + 1 < a.size() ? 2 : 1;
    if (at + step > b.size() || a.compare(at, step, b, at, step) != 0) break;
    at += step;
  }
  return at;
}

// The edit control's text as ANSI bytes, wiped when done with.
class WipedString {
 public:
  WipedString() = default;
  ~WipedString() { wipeString(s); }
  WipedString(const WipedString&) = delete;
  WipedString& operator=(const WipedString&) = delete;
  std::string s;
};

}  // namespace

DocumentLock::DocumentLock(CMainWnd& main) : main_(main) {
  main_.onCommand(
      ID_FILE_LOCK,
      [this] {
        if (locked())
          unlock();
        else
          lock();
        if (!locked()) main_.focusEdit();
      },
      [this](fw::CmdUI& ui) { ui.enable(locked() || canLock()); });
  main_.onCommand(ID_SETTINGS_SECURITY, [this] {
    SecurityDialog dialog(main_.security(), main_.hwnd());
    if (dialog.DoModal() == IDOK) {
      main_.saveSecurity();
      applySettings();
    }
    main_.focusEdit();
  });
}

bool DocumentLock::canLock() const {
  return !locked() && main_.editCtrl() && !main_.currentDocument().path.empty() &&
         !main_.currentDocument().key.empty();
}

bool DocumentLock::allows(UINT id) const { return !locked() || id == ID_FILE_LOCK || id == ID_APP_EXIT; }

bool DocumentLock::lock() {
  if (!canLock()) return false;
  EditCtrl& edit = *main_.editCtrl();
  Sealed sealed;
  try {
    systemRandomBytes(sealed.salt.data(), sealed.salt.size());
    const EditCtrl::Selection selection = edit.selection();
    sealed.modified = edit.modified();
    WipedString text, undo;
    text.s = edit.text();
    const bool hasUndo = edit.send(EM_CANUNDO) != 0;
    if (hasUndo) {
      // The control's one undo step is its own redo: undo, read, undo again.
      // A read-only control refuses to undo, so it is writable meanwhile.
      edit.send(EM_SETREADONLY, FALSE);
      edit.send(EM_UNDO);
      undo.s = edit.text();
      edit.send(EM_UNDO);
      edit.send(EM_SETREADONLY, edit.readOnly());
    }
    SecretBytes plain(text.s.size() + undo.s.size() + 32);
    plain.put32(static_cast<uint32_t>(selection.start));
    plain.put32(static_cast<uint32_t>(selection.end));
    const unsigned char flags[3] = {sealed.modified, main_.settings().readOnly, hasUndo};
    plain.put(flags, sizeof flags);
    plain.put32(static_cast<uint32_t>(text.s.size()));
    plain.put(text.s.data(), text.s.size());
    plain.put32(static_cast<uint32_t>(undo.s.size()));
    plain.put(undo.s.data(), undo.s.size());
    const unsigned char pad = static_cast<unsigned char>(kBlock - plain.bytes().size() % kBlock);
    plain.bytes().insert(plain.bytes().end(), pad, pad);

    Digest cipherKey{};
    main_.currentDocument().key.use([&](const tolvane::DocumentKey& key) {
      cipherKey = derive(sealed.salt, key, 'K');
      sealed.check = derive(sealed.salt, key, 'C');
    });
    sealed.cipher.resize(plain.bytes().size());
    orka::RijndaelBE aes(orka::RijndaelBE::kCBC);
    aes.setEncryptKey(cipherKey.data());
    wipe(cipherKey.data(), cipherKey.size());
    aes.encrypt(plain.bytes().data(), static_cast<uint32_t>(plain.bytes().size()), sealed.cipher.data());
  } catch (const orka::Error& e) {
    showError(e.message().c_str());
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  // From here on nothing plain is kept.
  sealed_ = std::move(sealed);
  replaceEditCtrl();
  main_.currentDocument().key.clear();
  if (forget_) forget_();
  if (main_.security().clearClipboard) main_.clipboard().clearOwnCopy(main_.hwnd());
  main_.setWindowText(std::string(kLockedTitle) + CMainWnd::kAppTitle);
  wipeFreeHeapMemory();
  wipeUnusedStack();
  return true;
}

// The control's buffers are overwritten, then the control itself goes: its
// undo buffer may be longer than anything it reports, and only freeing it
// lets the heap wipe reach all of it.
void DocumentLock::replaceEditCtrl() {
  main_.editCtrl()->wipeText();
  const Settings& settings = main_.settings();
  if (std::unique_ptr<EditCtrl> fresh =
          createEditCtrl(main_.hwnd(), settings.wordWrap, main_.font(), settings.readOnly)) {
    main_.installEditCtrl(std::move(fresh));
  }
  EnableWindow(main_.editCtrl()->hwnd(), FALSE);
}

bool DocumentLock::unlock() {
  while (locked()) {
    tolvane::DocumentKey key{};
    {
      InputPassDialog dialog(main_.currentDocument().path, main_.hwnd());
      if (dialog.DoModal() != IDOK) return false;
      try {
        // For a strong document one slow derivation, with the salt and
        // costs kept beside the wiped key.
        key = main_.currentDocument().keyringFor(dialog.password).key();
      } catch (const orka::Error& e) {
        showError(e.message().c_str());
        return false;
      }
    }
    if (!sameDigest(derive(sealed_->salt, key, 'C'), sealed_->check)) {
      wipe(key.data(), key.size());
      showError(kWrongPassword);
      continue;
    }
    try {
      Digest cipherKey = derive(sealed_->salt, key, 'K');
      SecretBytes plain(sealed_->cipher.size());
      plain.bytes().resize(sealed_->cipher.size());
      orka::RijndaelBE aes(orka::RijndaelBE::kCBC);
      aes.setDecryptKey(cipherKey.data());
      wipe(cipherKey.data(), cipherKey.size());
      aes.decrypt(sealed_->cipher.data(), static_cast<uint32_t>(sealed_->cipher.size()), plain.bytes().data());
      restore(plain.bytes(), key);
    } catch (const orka::Error& e) {
      wipe(key.data(), key.size());
      showError(e.message().c_str());
      return false;
    } catch (const std::bad_alloc&) {
      wipe(key.data(), key.size());
      return false;
    }
    wipe(key.data(), key.size());
  }
  main_.focusEdit();
  return true;
}

void DocumentLock::restore(const std::vector<unsigned char>& plain, const std::array<unsigned char, 32>& key) {
  Reader in(plain);
  const uint32_t start = in.take32();
  const uint32_t end = in.take32();
  const unsigned char* flags = in.take(3);
  const bool modified = flags[0] != 0, readOnly = flags[1] != 0, hasUndo = flags[2] != 0;
  const std::string_view text = in.text();
  const std::string_view undo = in.text();

  EditCtrl& edit = *main_.editCtrl();
  EnableWindow(edit.hwnd(), TRUE);
  if (hasUndo) {
    // The undo text first, then the change to the text as one undoable
    // replacement: Undo then brings back exactly the undo text.
    edit.setText(undo);
    const size_t same = commonPrefix(undo, text);
    edit.setSelection(static_cast<int>(same), -1);
    edit.replaceSelection(text.substr(same), true);
  } else {
    edit.setText(text);
  }
  edit.setSelection(static_cast<int>(start), static_cast<int>(end));
  edit.send(EM_SCROLLCARET);
  edit.setModified(modified);
  main_.currentDocument().key.set(key);
  sealed_.reset();
  if (main_.settings().readOnly != readOnly) main_.setReadOnlyMode(readOnly);
  main_.updateTitle();
}

bool DocumentLock::allowClose() {
  if (!locked()) return true;
  if (sealed_->modified) return unlock();
  sealed_.reset();
  return true;
}

void DocumentLock::onActivate(WPARAM wParam, LPARAM lParam) {
  const WORD state = LOWORD(wParam);
  if (state == WA_INACTIVE) {
    // Only leaving for another program counts, not for our own dialogs.
    DWORD process = 0;
    HWND other = reinterpret_cast<HWND>(lParam);
    if (other) GetWindowThreadProcessId(other, &process);
    away_ = !other || process != GetCurrentProcessId();
    return;
  }
  if (away_ && locked() && !HIWORD(wParam)) PostMessageW(main_.hwnd(), WM_COMMAND, ID_FILE_LOCK, 0);
  away_ = false;
}

void DocumentLock::onSessionChange(WPARAM event) {
  if (event == WTS_SESSION_LOCK && main_.security().lockOnSessionLock) autoLock();
}

void DocumentLock::onMinimized() {
  if (main_.security().lockOnMinimize) autoLock();
}

void DocumentLock::onIdleTimer() {
  const uint32_t minutes = main_.security().idleMinutes;
  if (minutes == 0) return;
  LASTINPUTINFO input{};
  input.cbSize = sizeof input;
  if (!GetLastInputInfo(&input)) return;
  if (GetTickCount() - input.dwTime >= minutes * 60000u) autoLock();
}

void DocumentLock::applySettings() {
  if (!main_.hwnd()) return;
  if (main_.security().idleMinutes != 0)
    SetTimer(main_.hwnd(), kIdleTimerId, 15000, nullptr);
  else
    KillTimer(main_.hwnd(), kIdleTimerId);
}

void DocumentLock::autoLock() {
  // A modal window (a dialog, a message box) has the owner disabled; its
  // caller still holds the document's state, so locking must wait.
  if (!IsWindowEnabled(main_.hwnd()) || !canLock()) return;
  lock();
}

void DocumentLock::showError(const char* text) {
  fw::messageBox(main_.hwnd(), text, CMainWnd::kErrorCaption, MB_OK | MB_ICONEXCLAMATION);
}
