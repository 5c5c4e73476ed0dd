#include "editor/editing/edit_ctrl.h"

#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <optional>

#include "editor/res/resource.h"
#include "editor/editing/viewer_keys.h"
#include "orka/crypto/wipe.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

// The clipboard's text as the control would paste it (up to its first NUL);
// nothing when the clipboard cannot be opened (another program holds it).
// Closed and unlocked again even when the copy runs out of memory.
std::optional<std::wstring> clipboardText(HWND owner) {
  if (!OpenClipboard(owner)) return std::nullopt;
  struct Closer {
    ~Closer() { CloseClipboard(); }
  } closer;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const auto* locked = data ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr;
  if (!locked) return std::wstring();
  struct Unlocker {
    HANDLE data;
    ~Unlocker() { GlobalUnlock(data); }
  } unlocker{data};
  return std::wstring(locked);
}

bool keyIsDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

// The finished text of the input method's current composition.
std::wstring imeResultString(HWND hwnd) {
  HIMC context = ImmGetContext(hwnd);
  if (!context) return std::wstring();
  struct Releaser {
    HWND hwnd;
    HIMC context;
    ~Releaser() { ImmReleaseContext(hwnd, context); }
  } releaser{hwnd, context};
  LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
  if (bytes <= 0) return std::wstring();
  std::wstring result(static_cast<size_t>(bytes) / sizeof(wchar_t), L'\0');
  ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(), static_cast<DWORD>(bytes));
  return result;
}

// `typed` as the document will keep it, by the rule passwords follow too
// (orka::utf8ToCodePage): look-alikes such as 〜 take the code page's own
// form; nothing when a character has no form at all.
std::optional<std::wstring> typedAsStored(std::wstring_view typed) {
  const std::optional<std::string> bytes = orka::utf8ToCodePage(orka::narrow(typed), orka::ansiCodePage());
  if (!bytes) return std::nullopt;
  return orka::ansiToWide(*bytes);
}

bool isNavigationKey(WPARAM key) {
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
      return true;
    default:
      return false;
  }
}

}  // namespace

EditCtrl::EditCtrl() = default;

EditCtrl::~EditCtrl() {
  if (HWND window = hwnd()) {
    RemoveWindowSubclass(window, subclassProc, kSubclassId);
    detach();
    DestroyWindow(window);
  }
}

bool EditCtrl::createWindow(HWND parent, bool wordWrap) {
  DWORD style =
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL;
  if (!wordWrap) style |= WS_HSCROLL | ES_AUTOHSCROLL;
  HWND window =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, 0, 0, 10, 10, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)), GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  if (!SetWindowSubclass(window, subclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this))) {
    DestroyWindow(window);
    return false;
  }
  attach(window);
  return true;
}

std::unique_ptr<EditCtrl> createEditCtrl(HWND parent, bool wordWrap, HFONT font, bool readOnly) {
  auto edit = std::make_unique<EditCtrl>();
  if (!edit->createWindow(parent, wordWrap)) return nullptr;
  SetFocus(edit->hwnd());
  // The control counts UTF-16 units; the byte limit itself is enforced when
  // text comes in (see filter), this only keeps the default 32 K character
  // cap out of the way.
  edit->send(EM_LIMITTEXT, EditCtrl::kMaxBytes);
  edit->send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (readOnly) edit->setReadOnly(true);
  return edit;
}

std::string EditCtrl::text() const { return *sharedText(); }

std::shared_ptr<const std::string> EditCtrl::sharedText() const {
  if (ansi_ && mirrorValid_ && !changing_) return ansi_;
  // Made from the control's own text, so that what is saved never depends
  // on the mirror having followed every change; the mirror is checked on
  // the way, at no extra pass.
  const std::wstring wide = windowText();
  if (!mirrorValid_ || !mirror_.holds(wide)) adopt(wide);
  ansi_ = std::make_shared<const std::string>(orka::wideToAnsi(wide));
  return ansi_;
}

EditTextLock lockEditText(const EditCtrl& edit) {
  EditTextLock lock;
  lock.hold = edit.sharedText();
  lock.length = static_cast<int>(lock.hold->size());
  lock.text = lock.hold->c_str();
  return lock;
}

void unlockEditText(EditTextLock& lock) { lock = EditTextLock(); }

void EditCtrl::setText(std::string_view ansi) { setText(ansi, nullptr); }

bool EditCtrl::setText(std::string_view ansi, const std::function<void()>& release) {
  const std::wstring wide = orka::ansiToWide(ansi);
  if (release) release();
  if (!SetWindowTextW(hwnd(), wide.c_str()) ||
      GetWindowTextLengthW(hwnd()) != static_cast<int>(wide.size())) {
    invalidate();
    return false;
  }
  // The converted text is at hand: take it as the mirror now rather than
  // read it back at the first lookup.
  try {
    adopt(wide);
  } catch (const std::bad_alloc&) {
    invalidate();  // the control has the text; the mirror follows when it can
  }
  return true;
}

int EditCtrl::textLength() const {
  ensureMirror();
  return mirror_.byteLength();
}

EditCtrl::Selection EditCtrl::selection() const {
  DWORD start = 0, end = 0;
  send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {byteFromWide(static_cast<int>(start)), byteFromWide(static_cast<int>(end))};
}

void EditCtrl::setSelection(int start, int end) {
  int wideStart = start < 0 ? -1 : wideFromByte(start);
  int wideEnd = end < 0 ? -1 : wideFromByte(end);
  send(EM_SETSEL, static_cast<WPARAM>(wideStart), static_cast<LPARAM>(wideEnd));
}

void EditCtrl::replaceSelection(std::string_view ansi, bool canUndo) {
  std::wstring wide = orka::ansiToWide(ansi);
  send(EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
}

int EditCtrl::lineFromChar(int offset) const {
  WPARAM wide = offset < 0 ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(wideFromByte(offset));
  return static_cast<int>(send(EM_LINEFROMCHAR, wide));
}

int EditCtrl::lineIndex(int line) const {
  if (line < 0) line = lineFromChar(-1);
  LRESULT wide = send(EM_LINEINDEX, static_cast<WPARAM>(line));
  return wide < 0 ? -1 : byteFromWide(static_cast<int>(wide));
}

int EditCtrl::lineCount() const { return static_cast<int>(send(EM_GETLINECOUNT)); }

bool EditCtrl::peekUndo(const std::function<void()>& look) {
  if (!send(EM_CANUNDO)) return false;
  // Puts the text back even when `look` throws.
  struct Redo {
    EditCtrl& edit;
    ~Redo() {
      edit.send(EM_UNDO);
      edit.send(EM_SETREADONLY, edit.m_readOnly ? TRUE : FALSE);
    }
  };
  send(EM_SETREADONLY, FALSE);
  send(EM_UNDO);
  Redo redo{*this};
  look();
  return true;
}

void EditCtrl::wipeCopies() {
  mirror_.wipe();
  mirrorValid_ = false;
  ++generation_;
  if (ansi_ && ansi_.use_count() == 1) orka::secureWipe(*const_cast<std::string*>(ansi_.get()));
  ansi_.reset();
}

bool EditCtrl::modified() const { return send(EM_GETMODIFY) != 0; }

void EditCtrl::setModified(bool modified) { send(EM_SETMODIFY, modified ? TRUE : FALSE); }

void EditCtrl::setReadOnly(bool readOnly) {
  m_readOnly = readOnly;
  send(EM_SETREADONLY, readOnly ? TRUE : FALSE);
}

bool EditCtrl::PreTranslateMessage(MSG& msg) {
  if (!m_readOnly || msg.message != WM_CHAR || msg.hwnd != hwnd()) return false;
  ViewerKey key = viewerKey(msg.wParam);
  if (key.kind == ViewerKey::Exit) {
    // Through the command, so the save prompt of the closing path runs.
    PostMessageW(GetParent(hwnd()), WM_COMMAND, ID_APP_EXIT, 0);
  } else if (key.kind == ViewerKey::Scroll) {
    msg.message = key.message;
    msg.wParam = key.code;
  }
  return false;
}

int EditCtrl::byteFromWide(int widePos) const {
  ensureMirror();
  return mirror_.byteFromWide(widePos);
}

int EditCtrl::wideFromByte(int byteOffset) const {
  ensureMirror();
  return mirror_.wideFromByte(byteOffset);
}

std::wstring EditCtrl::windowText() const {
  int length = GetWindowTextLengthW(hwnd());
  std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
  length = GetWindowTextW(hwnd(), wide.data(), length + 1);
  wide.resize(static_cast<size_t>(std::max(length, 0)));
  return wide;
}

void EditCtrl::ensureMirror() const {
  // The length check is a cheap second guard should a change ever slip past
  // the message filter.
  if (mirrorValid_ && !changing_ && GetWindowTextLengthW(hwnd()) == mirror_.wideLength()) return;
  adopt(windowText());
}

void EditCtrl::adopt(std::wstring_view wide) const {
  invalidate();
  mirror_.assign(wide);
  mirrorValid_ = true;
}

void EditCtrl::invalidate() const {
  mirrorValid_ = false;
  ansi_.reset();
  ++generation_;
}

bool EditCtrl::wouldExceedLimit(const std::wstring& incoming) const {
  const long long bytes = static_cast<long long>(orka::ansiByteCount(incoming));
  if (bytes == 0) return false;
  if (!mirrorValid_) {
    // Reading the whole text just to learn that it is far below the limit
    // would cost a key as much as a conversion of the document.  No
    // character takes more than the code page's longest sequence.
    CPINFO info{};
    const int perUnit = GetCPInfo(CP_ACP, &info) ? static_cast<int>(info.MaxCharSize) : 4;
    if (static_cast<long long>(GetWindowTextLengthW(hwnd())) * perUnit + bytes <= byteLimit_) return false;
  }
  Selection sel = selection();
  long long after = static_cast<long long>(textLength()) - (sel.end - sel.start) + bytes;
  return after > byteLimit_;
}

void EditCtrl::refuse() {
  // As the control does at its own limit: refuse the whole insertion and
  // tell the parent, rather than cut the text somewhere in the middle.
  MessageBeep(MB_OK);
  SendMessageW(GetParent(hwnd()), WM_COMMAND, MAKEWPARAM(kId, EN_MAXTEXT), reinterpret_cast<LPARAM>(hwnd()));
}

EditCtrl::Change EditCtrl::expectedChange(UINT& message, WPARAM& wParam, LPARAM& lParam) const {
  const bool readOnly = (GetWindowLongPtrW(hwnd(), GWL_STYLE) & ES_READONLY) != 0;
  // Every way to paste ends in WM_PASTE here, so that pasted text is checked
  // and converted whichever key or menu asked for it.
  if (message == WM_IME_CHAR) message = WM_CHAR;
  if ((message == WM_CHAR && wParam == 0x16) ||
      (message == WM_KEYDOWN && wParam == VK_INSERT && keyIsDown(VK_SHIFT) && !keyIsDown(VK_MENU))) {
    message = WM_PASTE;
    wParam = 0;
    lParam = 0;
  }
  Change change;
  switch (message) {
    case WM_CHAR:
      switch (wParam) {
        case L'\r':
        case L'\n':  // Ctrl+Enter: the control inserts CR LF for it too
          change = {Effect::kInsert, L"\r\n"};
          break;
        case L'\t':
          change = {Effect::kInsert, L"\t"};
          break;
        case VK_BACK:
        case 0x18:  // Ctrl+X
          change.effect = Effect::kDelete;
          break;
        case 0x1A:  // Ctrl+Z
          change.effect = Effect::kUnknown;
          break;
        default:
          if (wParam < 0x20) {
            change.effect = Effect::kNone;
          } else {
            // Typed text goes in as it will be saved: a look-alike in the
            // code page's own form, and a character the file cannot keep
            // not at all.  Saving would otherwise turn it into '?', or into
            // another letter, without a word.
            const wchar_t typed = static_cast<wchar_t>(wParam);
            std::optional<std::wstring> stored = typedAsStored(std::wstring_view(&typed, 1));
            if (!stored || stored->size() != 1) {
              change.effect = Effect::kRefused;
              break;
            }
            wParam = (*stored)[0];
            change = {Effect::kInsert, std::move(*stored)};
          }
      }
      break;
    case EM_REPLACESEL:
      if (lParam) {
        change = {Effect::kInsert, orka::asAnsiStored(reinterpret_cast<const wchar_t*>(lParam))};
        lParam = reinterpret_cast<LPARAM>(change.text.c_str());
      }
      break;
    case WM_PASTE: {
      change.effect = Effect::kNone;
      if (readOnly) break;
      // The control never pastes by itself: it would read the clipboard
      // again, unconverted and past the byte limit.
      message = WM_NULL;
      const std::optional<std::wstring> clipboard = clipboardText(hwnd());
      if (!clipboard) {
        change.effect = Effect::kRefused;
        break;
      }
      std::wstring pasted = orka::asAnsiStored(*clipboard);
      if (!pasted.empty()) {
        // Pasted as a replacement of the selection, undoable as a paste is,
        // so that what goes in is exactly the converted text.
        change = {Effect::kInsert, std::move(pasted)};
        message = EM_REPLACESEL;
        wParam = TRUE;
        lParam = reinterpret_cast<LPARAM>(change.text.c_str());
      }
      break;
    }
    case WM_CUT:
    case WM_CLEAR:
      change.effect = Effect::kDelete;
      break;
    case WM_KEYDOWN:
      change.effect = wParam == VK_DELETE ? Effect::kDelete : Effect::kNone;
      break;
    case WM_SYSKEYDOWN:  // Alt+Backspace undoes
      change.effect = wParam == VK_BACK ? Effect::kUnknown : Effect::kNone;
      break;
    case WM_IME_STARTCOMPOSITION:
      change.effect = Effect::kNone;
      break;
    default:
      break;
  }
  // A read-only control refuses what the user types, pastes or deletes (a
  // program's EM_REPLACESEL still goes in); Enter there only moves the caret.
  if (readOnly && message != EM_REPLACESEL && change.effect != Effect::kUnknown)
    change.effect = Effect::kNone;
  return change;
}

EditCtrl::Before EditCtrl::before() const {
  Before state;
  send(EM_GETSEL, reinterpret_cast<WPARAM>(&state.start), reinterpret_cast<LPARAM>(&state.end));
  state.length = GetWindowTextLengthW(hwnd());
  state.generation = generation_;
  return state;
}

void EditCtrl::follow(const Before& was, const Change& change) {
  DWORD start = 0, end = 0;
  send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const int length = GetWindowTextLengthW(hwnd());
  const int selected = static_cast<int>(was.end - was.start);
  if (generation_ != was.generation) {
    // A nested message changed the text while this one was in the control.
    invalidate();
    return;
  }
  switch (change.effect) {
    case Effect::kNone:
      if (length == was.length) return;
      break;
    case Effect::kInsert: {
      const int units = static_cast<int>(change.text.size());
      if (length == was.length && start == was.start && end == was.end) return;  // refused
      if (length == was.length - selected + units && start == end &&
          start == was.start + static_cast<DWORD>(units)) {
        ansi_.reset();
        ++generation_;
        if (mirrorValid_) mirror_.replace(static_cast<int>(was.start), selected, change.text);
        return;
      }
      break;
    }
    case Effect::kDelete: {
      const int removed = was.length - length;
      if (removed == 0) return;
      // The control removes the selection, or the character before (Back)
      // or after (Delete) the caret, and leaves the caret where the gap is.
      const bool fits = selected > 0 ? start == was.start && removed == selected
                                     : start == was.start || start + static_cast<DWORD>(removed) == was.start;
      if (removed > 0 && start == end && fits) {
        ansi_.reset();
        ++generation_;
        if (mirrorValid_) mirror_.replace(static_cast<int>(start), removed, std::wstring_view());
        return;
      }
      break;
    }
    case Effect::kUnknown:
    case Effect::kRefused:
      break;
  }
  invalidate();
}

LPARAM EditCtrl::takeImeResult(LPARAM flags) {
  const std::wstring result = imeResultString(hwnd());
  // Through our own replacement, so that the limit applies as to typed
  // text, and by the typing rule: a word with a character the file cannot
  // keep is refused whole.  The control selects a composition it shows
  // inline, so the result takes its place.
  if (!result.empty()) {
    if (const std::optional<std::wstring> stored = typedAsStored(result))
      SendMessageW(hwnd(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(stored->c_str()));
    else
      MessageBeep(MB_OK);
  }
  flags &= ~static_cast<LPARAM>(GCS_RESULTSTR | GCS_RESULTCLAUSE | GCS_RESULTREADSTR | GCS_RESULTREADCLAUSE);
  if (flags & GCS_COMPSTR) {
    // A new composition starts in the same message: anchor it after the
    // text just inserted, as a fresh start would.
    DefSubclassProc(hwnd(), WM_IME_STARTCOMPOSITION, 0, 0);
  }
  return flags;
}

LRESULT EditCtrl::filter(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd();
  if ((message == WM_COPY || message == WM_CUT) && copier_) {
    copySelection(message);
    return 0;
  }
  if (leavesTextAlone(message, wParam)) return DefSubclassProc(window, message, wParam, lParam);
  if (message == WM_UNICHAR) {
    if (wParam == UNICODE_NOCHAR) return TRUE;
    // One character as one or two typed units, each checked as typed.
    if (wParam > 0xFFFF) {
      const WPARAM v = wParam - 0x10000;
      SendMessageW(window, WM_CHAR, 0xD800 + (v >> 10), lParam);
      SendMessageW(window, WM_CHAR, 0xDC00 + (v & 0x3FF), lParam);
    } else {
      SendMessageW(window, WM_CHAR, wParam, lParam);
    }
    return 0;
  }
  if (message == WM_IME_COMPOSITION && (GetWindowLongPtrW(window, GWL_STYLE) & ES_READONLY)) {
    // The control would show the composition inline, marking the text
    // modified, and our EM_REPLACESEL of the result would get past the
    // read-only state as a program's does: a confirmed word is refused as
    // a typed key is.
    if (lParam & GCS_RESULTSTR) MessageBeep(MB_OK);
    return 0;
  }
  if (message == WM_IME_COMPOSITION && (lParam & GCS_RESULTSTR)) {
    lParam = takeImeResult(lParam);
    if (!(lParam & GCS_COMPSTR)) return 0;
  }
  const Change change = expectedChange(message, wParam, lParam);
  if (change.effect == Effect::kRefused) {
    MessageBeep(MB_OK);
    return 0;
  }
  if (change.effect == Effect::kInsert && wouldExceedLimit(change.text)) {
    refuse();
    return 0;
  }
  const Before was = before();
  changing_ = true;
  LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  changing_ = false;
  follow(was, change);
  return result;
}

void EditCtrl::copySelection(UINT message) {
  DWORD start = 0, end = 0;
  send(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const bool readOnly = (GetWindowLongPtrW(hwnd(), GWL_STYLE) & ES_READONLY) != 0;
  if (start >= end || (message == WM_CUT && readOnly)) return;
  bool copied = false;
  {
    // Read in place from the control's buffer: a copy of a large selection
    // must not first copy the whole text.  Unlocked again before a cut
    // changes that buffer.
    HLOCAL buffer = reinterpret_cast<HLOCAL>(send(EM_GETHANDLE));
    const auto* text = buffer ? static_cast<const wchar_t*>(LocalLock(buffer)) : nullptr;
    if (!text) return;
    struct Unlocker {
      HLOCAL buffer;
      ~Unlocker() { LocalUnlock(buffer); }
    } unlocker{buffer};
    if (LocalSize(buffer) / sizeof(wchar_t) < end) return;
    copied = copier_(std::wstring_view(text + start, end - start));
  }
  // The selection goes as the Delete command takes it, so the mirror follows.
  if (message == WM_CUT && copied) SendMessageW(hwnd(), WM_CLEAR, 0, 0);
}

bool EditCtrl::leavesTextAlone(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case WM_MOUSEHOVER:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_MOUSEACTIVATE:
    case WM_CAPTURECHANGED:
    case WM_TIMER:
    // WM_SYSTIMER, the caret blink: twice a second while the user reads, it
    // would drop the offsets the next status-bar update then rebuilds.
    case 0x0118:
    case WM_NCLBUTTONDOWN:  // the scroll bars
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_GETDLGCODE:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_NCCALCSIZE:
    case WM_SHOWWINDOW:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETFONT:
    case WM_SETFONT:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_COPY:
    case WM_GETOBJECT:
    case WM_IME_SETCONTEXT:
    case WM_IME_NOTIFY:
    case WM_NOTIFYFORMAT:
    case WM_QUERYUISTATE:
    case WM_UPDATEUISTATE:
    case WM_CHANGEUISTATE:
    case EM_GETSEL:
    case EM_SETSEL:
    case EM_GETLINE:
    case EM_LINELENGTH:
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_GETLINECOUNT:
    case EM_GETMODIFY:
    case EM_SETMODIFY:
    case EM_CANUNDO:
    case EM_SCROLLCARET:
    case EM_SCROLL:
    case EM_LINESCROLL:
    case EM_GETFIRSTVISIBLELINE:
    case EM_SETREADONLY:
    case EM_SETLIMITTEXT:
    case EM_GETLIMITTEXT:
    case EM_GETRECT:
    case EM_POSFROMCHAR:
    case EM_CHARFROMPOS:
    case EM_GETHANDLE:
    case EM_SETTABSTOPS:
    case EM_SETMARGINS:
    case EM_GETMARGINS:
    case EM_GETTHUMB:
    case EM_EMPTYUNDOBUFFER:
      return true;
    case WM_KEYDOWN:
      return isNavigationKey(wParam);
    default:
      // Anything else may change the text (typing, clipboard, undo, the
      // context menu's commands): rebuild the offsets before the next use.
      return false;
  }
}

LRESULT CALLBACK EditCtrl::subclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  auto* self = reinterpret_cast<EditCtrl*>(data);
  if (message == WM_NCDESTROY) {
    // Destroyed with its parent: forget the window so the object does not
    // try to destroy it again.
    RemoveWindowSubclass(hwnd, subclassProc, kSubclassId);
    self->detach();
    self->invalidate();
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
  try {
    return self->filter(message, wParam, lParam);
  } catch (...) {
    // Out of memory while converting or following the text: nothing may
    // unwind into the system's code.  Refuse the input (or, had the control
    // already taken it, forget the mirror so the next lookup reads afresh).
    self->changing_ = false;
    self->invalidate();
    return 0;
  }
}
