#include "editor/protection/document_lock.h"

#include <sodium.h>

#include <new>
#include <optional>
#include <string_view>
#include <utility>

#include "editor/document/input_pass_dialog.h"
#include "editor/document/open_document.h"
#include "editor/editing/read_only_mode.h"
#include "editor/protection/clipboard_hygiene.h"
#include "editor/protection/control_wipe.h"
#include "editor/protection/seal.h"
#include "editor/protection/secret_memory.h"
#include "editor/res/resource.h"
#include "editor/window_host.h"
#include "orka/errors/error.h"
#include "settings/security_settings.h"
#include "settings/settings.h"

namespace {

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

// A document key typed back in, wiped when the attempt is over.
struct TypedKey {
  ~TypedKey() { sodium_memzero(key.data(), key.size()); }
  tolvane::DocumentKey key{};
};

}  // namespace

DocumentLock::DocumentLock(WindowHost& host, OpenDocument& document, const Settings& settings,
                           ReadOnlyMode& readOnly, const SecuritySettings& security,
                           ClipboardHygiene& clipboard)
    : host_(host),
      document_(document),
      settings_(settings),
      readOnly_(readOnly),
      security_(security),
      clipboard_(clipboard) {
  host_.onCommand(
      ID_FILE_LOCK,
      [this] {
        if (document_.locked())
          unlock();
        else
          lock();
        if (!document_.locked()) host_.focusText();
      },
      [this](fw::CmdUI& ui) { ui.enable(document_.locked() || canLock()); });
}

bool DocumentLock::canLock() const {
  return !document_.locked() && document_.edit() && !document_.path().empty() &&
         !document_.record().key.empty();
}

bool DocumentLock::allows(UINT id) const {
  return !document_.locked() || id == ID_FILE_LOCK || id == ID_APP_EXIT;
}

bool DocumentLock::lock() {
  if (!canLock()) return false;
  if (beforeSeal_) beforeSeal_();
  EditCtrl& edit = *document_.edit();
  std::optional<SealedState> sealed;
  try {
    DocumentState state;
    const EditCtrl::Selection selection = edit.selection();
    state.selectionStart = static_cast<uint32_t>(selection.start);
    state.selectionEnd = static_cast<uint32_t>(selection.end);
    state.modified = edit.modified();
    state.readOnly = readOnly_.on();
    state.text = edit.text();
    state.hasUndo = edit.peekUndo([&] { state.undo = edit.text(); });
    document_.record().key.use(
        [&](const tolvane::DocumentKey& key) { sealed = SealedState::seal(state, key); });
  } catch (const orka::Error& e) {
    host_.showError(e.message());
    return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  // From here on nothing plain is kept.
  document_.keepSealed(std::move(*sealed));
  replaceEditCtrl();
  document_.record().key.clear();
  if (forget_) forget_();
  if (security_.clearClipboard) clipboard_.clearOwnCopy(host_.owner());
  host_.updateTitle();
  wipeFreeHeapMemory();
  wipeUnusedStack();
  return true;
}

// The control's buffers are overwritten, then the control itself goes: its
// undo buffer may be longer than anything it reports, and only freeing it
// lets the heap wipe reach all of it.
void DocumentLock::replaceEditCtrl() {
  wipeEditCtrl(*document_.edit());
  if (std::unique_ptr<EditCtrl> fresh = host_.makeEditCtrl(settings_.wordWrap))
    host_.installEditCtrl(std::move(fresh));
  EnableWindow(document_.edit()->hwnd(), FALSE);
}

bool DocumentLock::unlock() {
  while (document_.locked()) {
    TypedKey typed;
    {
      InputPassDialog dialog(document_.path(), host_.owner());
      if (dialog.DoModal() != IDOK) return false;
      try {
        // For a strong document one slow derivation, with the salt and
        // costs kept beside the wiped key.
        typed.key = document_.record().keyringFor(dialog.password).key();
      } catch (const orka::Error& e) {
        host_.showError(e.message());
        return false;
      }
    }
    try {
      DocumentState state;
      if (!document_.sealed()->open(typed.key, state)) {
        host_.showError(kWrongPassword);
        continue;
      }
      restore(state, typed.key);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  host_.focusText();
  return true;
}

void DocumentLock::restore(const DocumentState& state, const tolvane::DocumentKey& key) {
  EditCtrl& edit = *document_.edit();
  EnableWindow(edit.hwnd(), TRUE);
  if (state.hasUndo) {
    // The undo text first, then the change to the text as one undoable
    // replacement: Undo then brings back exactly the undo text.
    edit.setText(state.undo);
    const size_t same = commonPrefix(state.undo, state.text);
    edit.setSelection(static_cast<int>(same), -1);
    edit.replaceSelection(std::string_view(state.text).substr(same), true);
  } else {
    edit.setText(state.text);
  }
  edit.setSelection(static_cast<int>(state.selectionStart), static_cast<int>(state.selectionEnd));
  edit.send(EM_SCROLLCARET);
  edit.setModified(state.modified);
  document_.record().key.set(key);
  document_.dropSealed();
  if (readOnly_.on() != state.readOnly) readOnly_.set(state.readOnly);
  host_.updateTitle();
}

bool DocumentLock::unlockToLetGo() {
  if (!document_.locked()) return true;
  if (document_.hasUnsavedChanges()) return unlock();
  document_.dropSealed();
  return true;
}
