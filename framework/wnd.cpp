#include "framework/wnd.h"

#include "orka/text/wide.h"

namespace fw {

namespace {

// The property that marks a window as bound to one of our objects.
const wchar_t kObjectProperty[] = L"Tolvane.fw.CWnd";

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (hwnd_ && owned_) {
    // Destroying runs WM_NCDESTROY, which unbinds; derived parts are
    // already gone, so no handler of theirs may run any more.
    table_.clear();
    builtins_.clear();
    DestroyWindow(hwnd_);
  }
  unbind();
}

CWnd* CWnd::fromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty));
}

void CWnd::bind(HWND hwnd, bool owned) {
  hwnd_ = hwnd;
  owned_ = owned;
  SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::unbind() {
  if (hwnd_ && GetPropW(hwnd_, kObjectProperty) == this) RemovePropW(hwnd_, kObjectProperty);
  hwnd_ = nullptr;
  owned_ = false;
}

void CWnd::attach(HWND hwnd) {
  unbind();
  if (hwnd) bind(hwnd, false);
}

HWND CWnd::detach() {
  HWND hwnd = hwnd_;
  unbind();
  return hwnd;
}

bool CWnd::PreTranslateMessage(MSG&) { return false; }

void CWnd::onMessage(UINT message, MessageHandler handler) { table_[message] = std::move(handler); }

void CWnd::onBuiltin(UINT message, MessageHandler handler) { builtins_[message] = std::move(handler); }

LRESULT CWnd::defaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CWnd::dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  return runFrom(0, message, wParam, lParam);
}

LRESULT CWnd::runFrom(int stage, UINT message, WPARAM wParam, LPARAM lParam) {
  // Handlers may cause nested messages; each dispatch keeps its own record
  // so that Default() always refers to the message its handler is handling.
  Current self{message, wParam, lParam, stage};
  Current* outer = current_;
  current_ = &self;
  struct Restore {
    CWnd* wnd;
    Current* outer;
    ~Restore() { wnd->current_ = outer; }
  } restore{this, outer};

  if (stage <= 0) {
    auto it = table_.find(message);
    if (it != table_.end()) {
      self.stage = 0;
      MessageHandler handler = it->second;  // the table may change meanwhile
      return handler(wParam, lParam);
    }
  }
  if (stage <= 1) {
    auto it = builtins_.find(message);
    if (it != builtins_.end()) {
      self.stage = 1;
      MessageHandler handler = it->second;
      return handler(wParam, lParam);
    }
  }
  self.stage = 2;
  return defaultProcessing(message, wParam, lParam);
}

LRESULT CWnd::Default() {
  if (!current_ || !hwnd_) return 0;
  const Current c = *current_;
  return runFrom(c.stage + 1, c.message, c.wParam, c.lParam);
}

LRESULT CWnd::send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(hwnd_, message, wParam, lParam);
}

std::string CWnd::windowText() const { return windowTextOf(hwnd_); }

void CWnd::setWindowText(std::string_view text) {
  if (hwnd_) SetWindowTextW(hwnd_, orka::widen(text).c_str());
}

void CWnd::destroyWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

std::string windowTextOf(HWND hwnd) { return orka::narrow(wideWindowTextOf(hwnd)); }

std::wstring wideWindowTextOf(HWND hwnd) {
  if (!hwnd) return {};
  const int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

HINSTANCE resourceInstance() { return GetModuleHandleW(nullptr); }

std::string loadString(UINT id) {
  // With a zero buffer size LoadStringW hands out a pointer to the resource
  // itself, so strings of any length come back whole.
  const wchar_t* text = nullptr;
  int length = LoadStringW(resourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return {};
  return orka::narrow(std::wstring_view(text, static_cast<size_t>(length)));
}

}  // namespace fw
