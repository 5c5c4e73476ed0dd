// EditCtrl: the one multi-line edit control that holds the document.
//
// The window underneath is a Unicode EDIT control, so the text shows right
// whatever the system code page.  Everything else in the editor, however,
// counts the document in bytes of the ANSI code page (Shift_JIS on the
// target systems): the document file stores those bytes, searching and the
// caret column count them, and a double-byte character spans two positions.
// This class owns that contract: every text it takes or gives is ANSI bytes,
// and every position (selection, line start, column) is a byte offset.
//
// Converting a position needs the byte length of all text before it.  The
// wrapper keeps a mirror of the text in blocks that know their byte lengths
// (TextMirror), and follows each change the control makes: before a message
// that edits the text goes in, it notes what the message should do (type,
// delete, replace the selection); afterwards it checks the control's length
// and selection against that and edits only the blocks at the changed place.
// Anything it cannot follow that way (undo, a new text, an input method's
// composition) drops the mirror, and the next lookup reads the text again.
// So a key typed into a large document, and the status bar's caret position
// after it, cost the same as in a small one.
//
// Text comes in as it will be saved, and the byte limit holds for every way
// in: typing (Ctrl+Enter's CR LF included), pasting, replacing, and input
// methods (WM_IME_CHAR, the result of WM_IME_COMPOSITION, WM_UNICHAR).
// Nothing thrown while checking or following a message leaves the subclass
// procedure: the input is refused instead.
//
// Searching and saving read the whole text through lockEditText: the ANSI
// bytes are made once after each change and shared by every lock until the
// next change, so a thousand Find-next presses convert the text once.
//
// Ownership: the object owns its window and destroys it with itself.  User-
// interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/editing/text_mirror.h"
#include "framework/wnd.h"

class EditCtrl : public fw::CWnd {
 public:
  // Child-window id of the control inside the main window.
  static constexpr int kId = 1013;
  // The most bytes the user may type or paste in (64 MiB).
  static constexpr int kMaxBytes = 0x4000000;

  struct Selection {
    int start;
    int end;
  };

  EditCtrl();
  ~EditCtrl() override;

  // The whole text as ANSI bytes.  Characters the code page cannot hold come
  // out as the system converts them ('?' or a look-alike).  Text comes in
  // already converted, so it shows as it will be saved: typed text and an
  // input method's word by the typing rule (a look-alike in the code page's
  // own form, a character with no form refused with a beep), pasted and
  // replaced text as the system converts it.
  std::string text() const;
  void setText(std::string_view ansi);
  // The same for a caller that owns the bytes and can let them go: `release`
  // runs once they are converted, before the control takes its own copy, so
  // that a large text is not held by caller, conversion, control and mirror
  // all at once.  False when the control could not take the text (it then
  // keeps what it had); std::bad_alloc before `release` ran changes nothing.
  bool setText(std::string_view ansi, const std::function<void()>& release);
  // Length of text() in bytes.
  int textLength() const;
  // text(), made once per change of the text and shared until the next one.
  std::shared_ptr<const std::string> sharedText() const;

  // Selection in byte offsets; start <= end.
  Selection selection() const;
  // Selects [start, end); end -1 means the end of the text, start -1 removes
  // the selection.  An offset inside a double-byte character moves to that
  // character's start.
  void setSelection(int start, int end);
  // Replaces the selection (caret after the new text); canUndo makes the
  // change undoable.
  void replaceSelection(std::string_view ansi, bool canUndo);

  // 0-based line holding byte offset `offset`; -1 means the line of the
  // selection start.
  int lineFromChar(int offset) const;
  // Byte offset of the first character of 0-based `line`; -1 means the line
  // of the selection start.  -1 for a line past the last.
  int lineIndex(int line) const;
  // Number of lines, at least 1.
  int lineCount() const;

  bool modified() const;
  void setModified(bool modified);

  // Runs `look` while the control shows the text that Undo would bring
  // back, then puts the text back: the control's one undo step is its own
  // redo.  False, without running `look`, when there is nothing to undo.
  // A read-only control refuses to undo, so it is writable meanwhile.
  bool peekUndo(const std::function<void()>& look);
  // Wipes the wrapper's own copies of the text: the mirror and the shared
  // ANSI text.  The control's buffers are the protection room's business
  // (control_wipe.h).
  void wipeCopies();

  // The most bytes typing or pasting may reach: kMaxBytes, unless lowered
  // (the tests use a small limit rather than filling 64 MiB).
  void setByteLimit(int bytes) { byteLimit_ = bytes; }
  int byteLimit() const { return byteLimit_; }

  // Refuses (or accepts again) every change by the user.
  void setReadOnly(bool readOnly);
  bool readOnly() const { return m_readOnly; }

  // In read-only mode typed characters scroll the view instead (the viewer
  // keys of viewer_keys.h); "q" and Esc post Exit to the parent.
  bool PreTranslateMessage(MSG& msg) override;

  // Conversions between the control's own positions (UTF-16 units) and byte
  // offsets.  A position past the end is clamped to the end.
  int byteFromWide(int widePos) const;
  int wideFromByte(int byteOffset) const;

  // Puts copied text on the clipboard in the control's place.  Once set,
  // every Copy and Cut (the editor's commands, Ctrl+C and Ctrl+X, the
  // control's own context menu) hands the selection to `copier` instead of
  // letting the control copy it; Cut then deletes the selection as Delete
  // does, undoably, and does nothing at all in a read-only control.  An
  // empty selection copies nothing.  `copier` answers whether the text is
  // on the clipboard: a Cut whose copy failed (another program holding the
  // clipboard) keeps its text rather than lose it.
  using Copier = std::function<bool(std::wstring_view)>;
  void setCopier(Copier copier) { copier_ = std::move(copier); }

 private:
  friend std::unique_ptr<EditCtrl> createEditCtrl(HWND, bool, HFONT, bool);

  // What a message will do to the text, worked out before the control sees
  // it; `text` is what an insertion puts in place of the selection.
  // kRefused: the message must not reach the control (a paste while another
  // program holds the clipboard); the user hears a beep.
  enum class Effect { kNone, kInsert, kDelete, kUnknown, kRefused };
  struct Change {
    Effect effect = Effect::kUnknown;
    std::wstring text;
  };
  // The control's state just before a message.
  struct Before {
    DWORD start = 0;
    DWORD end = 0;
    int length = 0;
    unsigned generation = 0;
  };

  bool createWindow(HWND parent, bool wordWrap);
  std::wstring windowText() const;
  // Makes the mirror match the control, reading the whole text if needed.
  void ensureMirror() const;
  // Takes `wide`, the control's whole text, as the mirror.
  void adopt(std::wstring_view wide) const;
  void invalidate() const;

  static LRESULT CALLBACK subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);
  static bool leavesTextAlone(UINT message, WPARAM wParam);
  LRESULT filter(UINT message, WPARAM wParam, LPARAM lParam);
  // WM_COPY and WM_CUT through the copier.
  void copySelection(UINT message);
  // Rewrites aliases (Ctrl+V, Shift+Insert, WM_IME_CHAR) into the message
  // the control would act on and converts incoming text to what saving keeps.
  Change expectedChange(UINT& message, WPARAM& wParam, LPARAM& lParam) const;
  bool wouldExceedLimit(const std::wstring& incoming) const;
  void refuse();
  Before before() const;
  // Brings the mirror up to date with what the message did.
  void follow(const Before& before, const Change& change);
  // An input method's finished text goes in as a replacement of the
  // selection; returns what is left of the message for the control.
  LPARAM takeImeResult(LPARAM flags);

  bool m_readOnly = false;
  int byteLimit_ = kMaxBytes;

  mutable TextMirror mirror_;
  mutable bool mirrorValid_ = false;
  // Set while the control works on a message that edits the text: the
  // mirror is then behind, and a lookup meanwhile reads the text afresh.
  bool changing_ = false;
  Copier copier_;
  // Counts every change of the mirror, to notice one made by a nested
  // message while the outer one was in the control.
  mutable unsigned generation_ = 0;
  // The text as ANSI bytes; empty until asked for after a change.
  mutable std::shared_ptr<const std::string> ansi_;
};

// The whole text of an edit control, read in place by searching and saving.
// `text` points at `length` bytes followed by a NUL and stays valid until
// unlockEditText, even should the control change meanwhile (the bytes then
// are those of the moment of locking).
struct EditTextLock {
  int length = 0;
  const char* text = nullptr;
  std::shared_ptr<const std::string> hold;  // keeps `text` alive
};

EditTextLock lockEditText(const EditCtrl& edit);
void unlockEditText(EditTextLock& lock);

// Creates the control as child `kId` of `parent`: scrolling both ways unless
// `wordWrap` (then lines wrap at the right edge), sunken edge, the keyboard
// focus, the 64 MiB limit, `font` (may be null) and read-only mode when
// `readOnly`.  Empty on failure.
std::unique_ptr<EditCtrl> createEditCtrl(HWND parent, bool wordWrap, HFONT font, bool readOnly);
