#include "editor/edit_ctrl.h"

#include <commctrl.h>

#include <algorithm>

#include "editor/res/resource.h"
#include "editor/viewer_keys.h"

namespace {

// Units of text between two byte-offset checkpoints: small enough that a
// lookup walks little, large enough that the table stays tiny.
constexpr int kStep = 4096;
constexpr UINT_PTR kSubclassId = 1;

bool isHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

std::wstring toWide(std::string_view ansi) {
  if (ansi.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return wide;
}

// What `wide` takes in the ANSI code page, measured without making a copy.
int ansiByteCount(std::wstring_view wide) {
  if (wide.empty()) return 0;
  return WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                             nullptr);
}

std::string toAnsi(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  int n = ansiByteCount(wide);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(), n, nullptr,
                      nullptr);
  return ansi;
}

// `wide` as the document will store it, read back: characters the code page
// cannot hold become what saving turns them into.
std::wstring asStored(std::wstring_view wide) { return toWide(toAnsi(wide)); }

// The clipboard's text as the control would paste it (up to its first NUL).
std::wstring clipboardText(HWND owner) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* locked = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = locked;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
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
  // text comes in (see subclassProc), this only keeps the default 32 K
  // character cap out of the way.
  edit->send(EM_LIMITTEXT, EditCtrl::kMaxBytes);
  edit->send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (readOnly) edit->setReadOnly(true);
  return edit;
}

std::string EditCtrl::text() const { return *sharedText(); }

std::shared_ptr<const std::string> EditCtrl::sharedText() const {
  rebuildCache();
  if (!ansi_) ansi_ = std::make_shared<const std::string>(toAnsi(wide_));
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

void EditCtrl::setText(std::string_view ansi) {
  SetWindowTextW(hwnd(), toWide(ansi).c_str());
  invalidate();
}

int EditCtrl::textLength() const {
  rebuildCache();
  return totalBytes_;
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
  std::wstring wide = toWide(ansi);
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

void EditCtrl::rebuildCache() const {
  // The length check is a cheap second guard should a change ever slip past
  // the message filter.
  int length = GetWindowTextLengthW(hwnd());
  if (cacheValid_ && length == static_cast<int>(wide_.size())) return;
  wide_.assign(static_cast<size_t>(length) + 1, L'\0');
  length = GetWindowTextW(hwnd(), wide_.data(), length + 1);
  wide_.resize(static_cast<size_t>(std::max(length, 0)));

  checkpoints_.clear();
  checkpoints_.push_back({0, 0});
  const int total = static_cast<int>(wide_.size());
  for (;;) {
    const Checkpoint& last = checkpoints_.back();
    int next = std::min(last.wide + kStep, total);
    // Never split a surrogate pair: the pair converts as one character.
    if (next < total && next > last.wide + 1 && isHighSurrogate(wide_[next - 1])) --next;
    int bytes = last.bytes + ansiLength(last.wide, next - last.wide);
    if (next == total) {
      totalBytes_ = bytes;
      break;
    }
    checkpoints_.push_back({next, bytes});
  }
  ansi_.reset();
  cacheValid_ = true;
}

int EditCtrl::ansiLength(int from, int count) const {
  if (count <= 0) return 0;
  return ansiByteCount(std::wstring_view(wide_.data() + from, static_cast<size_t>(count)));
}

int EditCtrl::byteFromWide(int widePos) const {
  rebuildCache();
  widePos = std::clamp(widePos, 0, static_cast<int>(wide_.size()));
  auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), widePos,
                             [](int pos, const Checkpoint& c) { return pos < c.wide; });
  const Checkpoint& base = *(it - 1);
  return base.bytes + ansiLength(base.wide, widePos - base.wide);
}

int EditCtrl::wideFromByte(int byteOffset) const {
  rebuildCache();
  byteOffset = std::clamp(byteOffset, 0, totalBytes_);
  auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), byteOffset,
                             [](int bytes, const Checkpoint& c) { return bytes < c.bytes; });
  const Checkpoint& base = *(it - 1);
  int pos = base.wide;
  int bytes = base.bytes;
  const int total = static_cast<int>(wide_.size());
  while (pos < total) {
    int units = (isHighSurrogate(wide_[pos]) && pos + 1 < total) ? 2 : 1;
    int length = ansiLength(pos, units);
    if (bytes + length > byteOffset) break;
    bytes += length;
    pos += units;
  }
  return pos;
}

int EditCtrl::incomingBytes(UINT message, WPARAM wParam, LPARAM lParam) const {
  switch (message) {
    case WM_CHAR: {
      if (wParam == L'\r') return 2;                   // a line break becomes CR LF
      if (wParam < 0x20 && wParam != L'\t') return 0;  // control keys insert nothing
      const wchar_t c = static_cast<wchar_t>(wParam);
      return ansiByteCount(std::wstring_view(&c, 1));
    }
    case EM_REPLACESEL: {
      const auto* text = reinterpret_cast<const wchar_t*>(lParam);
      return text ? ansiByteCount(text) : 0;
    }
    case WM_PASTE:
      return ansiByteCount(clipboardText(hwnd()));
    default:
      return 0;
  }
}

bool EditCtrl::wouldExceedLimit(UINT message, WPARAM wParam, LPARAM lParam) const {
  if (message != WM_CHAR && message != EM_REPLACESEL && message != WM_PASTE) return false;
  int incoming = incomingBytes(message, wParam, lParam);
  if (incoming == 0) return false;
  if (!cacheValid_) {
    // Every key typed drops the offsets; rebuilding them here would convert
    // the whole document once more per key.  No character takes more than
    // the code page's longest sequence, so a text far enough below the limit
    // needs no count at all.
    CPINFO info{};
    const int perUnit = GetCPInfo(CP_ACP, &info) ? static_cast<int>(info.MaxCharSize) : 4;
    const long long most = static_cast<long long>(GetWindowTextLengthW(hwnd())) * perUnit + incoming;
    if (most <= kMaxBytes) return false;
  }
  Selection sel = selection();
  long long after = static_cast<long long>(textLength()) - (sel.end - sel.start) + incoming;
  return after > kMaxBytes;
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
  if (self->wouldExceedLimit(message, wParam, lParam)) {
    // As the control does at its own limit: refuse the whole insertion and
    // tell the parent, rather than cut the text somewhere in the middle.
    MessageBeep(MB_OK);
    SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(kId, EN_MAXTEXT), reinterpret_cast<LPARAM>(hwnd));
    return 0;
  }
  if (leavesTextAlone(message, wParam)) return DefSubclassProc(hwnd, message, wParam, lParam);
  // Text coming in goes in as it will be saved.  The control could show
  // characters the code page cannot hold, but saving would turn them into
  // '?' without a word; this way the screen never shows more than the file
  // keeps.
  std::wstring stored;  // must outlive the call below
  if (message == WM_CHAR && wParam >= 0x20) {
    const wchar_t typed = static_cast<wchar_t>(wParam);
    stored = asStored(std::wstring_view(&typed, 1));
    if (stored.size() == 1) wParam = stored[0];
  } else if (message == EM_REPLACESEL && lParam) {
    stored = asStored(reinterpret_cast<const wchar_t*>(lParam));
    lParam = reinterpret_cast<LPARAM>(stored.c_str());
  } else if (message == WM_PASTE && !(GetWindowLongPtrW(hwnd, GWL_STYLE) & ES_READONLY)) {
    const std::wstring pasted = clipboardText(hwnd);
    stored = asStored(pasted);
    if (stored != pasted) {
      message = EM_REPLACESEL;
      wParam = TRUE;  // undoable, as a paste is
      lParam = reinterpret_cast<LPARAM>(stored.c_str());
    }
  }
  self->invalidate();
  LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
  self->invalidate();
  return result;
}
