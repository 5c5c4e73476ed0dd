#include "framework/control_bars.h"

#include "framework/dpi.h"
#include "orka/text/wide.h"

#include <commctrl.h>

#include <algorithm>
#include <numeric>

namespace fw {

namespace {

HWND createChild(const wchar_t* className, DWORD style, HWND parent, UINT controlId) {
  // Normally done by the application object; bars made without one work too.
  static const bool registered = [] {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)registered;
  return CreateWindowExW(0, className, nullptr, style | WS_CHILD, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(controlId)), resourceInstance(),
                         nullptr);
}

// A separator's width at 96 dpi (comctl32's own default).
constexpr int kSeparatorWidth = 8;

// Uses the bar's own visibility flag: while the frame is still hidden (during
// its creation) IsWindowVisible would call every bar invisible.
int visibleHeight(HWND hwnd) {
  if (!hwnd || !(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE)) return 0;
  RECT r;
  GetWindowRect(hwnd, &r);
  return r.bottom - r.top;
}

}  // namespace

// ---------------------------------------------------------------- tool bar

// The margins comctl32 puts around a button's picture at 96 dpi; it does not
// scale them itself.
constexpr int kButtonPaddingX = 7;
constexpr int kButtonPaddingY = 6;

ToolBarImages ToolBarLayout::imagesFor(UINT dpi) const {
  ToolBarImages best = {bitmapId, buttonWidth, buttonHeight};
  const int wanted = scaleDpi(buttonWidth, dpi);
  for (const ToolBarImages& set : larger) {
    // Past the wanted size, only a set closer to it than the best so far.
    const bool bestTooSmall = best.width < wanted;
    if (bestTooSmall ? set.width > best.width : set.width >= wanted && set.width < best.width) best = set;
  }
  return best;
}

std::optional<ToolBarLayout> ToolBarLayout::load(UINT id) {
  HRSRC found =
      FindResourceW(resourceInstance(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(kToolBarResourceType));
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(resourceInstance(), found);
  const WORD* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
  const size_t size = SizeofResource(resourceInstance(), found) / sizeof(WORD);
  // version, width, height, count, then the ids
  if (!words || size < 4 || words[0] != 1) return std::nullopt;
  const size_t count = words[3];
  if (size < 4 + count) return std::nullopt;
  ToolBarLayout layout;
  layout.bitmapId = id;
  layout.buttonWidth = words[1];
  layout.buttonHeight = words[2];
  layout.commands.assign(words + 4, words + 4 + count);
  // then, optionally, the number of larger sets and their id, width, height
  const WORD* sets = words + 4 + count;
  if (size > 4 + count) {
    const size_t setCount = sets[0];
    if (size < 4 + count + 1 + 3 * setCount) return std::nullopt;
    for (size_t i = 0; i < setCount; ++i)
      layout.larger.push_back({sets[1 + 3 * i], sets[2 + 3 * i], sets[3 + 3 * i]});
  }
  return layout;
}

bool CToolBar::create(HWND parent, const ToolBarLayout& layout, DWORD style, UINT controlId, UINT dpi) {
  layout_ = layout;
  dpi_ = dpi;
  return build(parent, style | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, controlId);
}

bool CToolBar::setDpi(UINT dpi) {
  if (!hwnd()) return false;
  const HWND parent = GetParent(hwnd());
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE));
  const auto controlId = static_cast<UINT>(GetDlgCtrlID(hwnd()));
  destroyWindow();
  detach();
  dpi_ = dpi;
  return build(parent, style, controlId);
}

bool CToolBar::build(HWND parent, DWORD style, UINT controlId) {
  HWND hwnd = createChild(TOOLBARCLASSNAMEW, style, parent, controlId);
  if (!hwnd) return false;
  attach(hwnd);

  const ToolBarImages images = layout_.imagesFor(dpi_);
  send(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
  send(TB_SETPADDING, 0, MAKELPARAM(scaleDpi(kButtonPaddingX, dpi_), scaleDpi(kButtonPaddingY, dpi_)));
  send(TB_SETBITMAPSIZE, 0, MAKELONG(images.width, images.height));
  const int count = static_cast<int>(
      std::count_if(layout_.commands.begin(), layout_.commands.end(), [](UINT id) { return id != 0; }));
  if (images.bitmapId != 0 && count > 0) {
    TBADDBITMAP bitmap = {resourceInstance(), images.bitmapId};
    if (send(TB_ADDBITMAP, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(&bitmap)) == -1) {
      destroyWindow();
      detach();
      return false;
    }
  }
  std::vector<TBBUTTON> buttons;
  int image = 0;
  for (UINT id : layout_.commands) {
    TBBUTTON b = {};
    if (id == 0) {
      b.fsStyle = BTNS_SEP;
      // 0 keeps comctl32's own width, which is meant for 96 dpi.
      b.iBitmap = dpi_ == kBaseDpi ? 0 : scaleDpi(kSeparatorWidth, dpi_);
    } else {
      b.iBitmap = image++;
      b.idCommand = static_cast<int>(id);
      b.fsState = TBSTATE_ENABLED;
      b.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(b);
  }
  send(TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  // Not every comctl32 sizes the buttons from the padding: say it outright.
  send(TB_SETBUTTONSIZE, 0,
       MAKELPARAM(images.width + scaleDpi(kButtonPaddingX, dpi_), images.height + scaleDpi(kButtonPaddingY, dpi_)));
  send(TB_AUTOSIZE);
  return true;
}

SIZE CToolBar::buttonSize() const {
  const auto size = static_cast<DWORD>(send(TB_GETBUTTONSIZE));
  return {LOWORD(size), HIWORD(size)};
}

void CToolBar::setButtonState(UINT command, bool enabled, bool checked) {
  LRESULT old = send(TB_GETSTATE, command);
  if (old == -1) return;
  BYTE state = static_cast<BYTE>(old);
  state = enabled ? (state | TBSTATE_ENABLED) : (state & ~TBSTATE_ENABLED);
  state = checked ? (state | TBSTATE_CHECKED) : (state & ~TBSTATE_CHECKED);
  // Idle runs often; only touch buttons that change, to spare repaints.
  if (state != static_cast<BYTE>(old)) send(TB_SETSTATE, command, MAKELONG(state, 0));
}

bool CToolBar::isButtonEnabled(UINT command) const { return send(TB_ISBUTTONENABLED, command) != 0; }

bool CToolBar::isButtonChecked(UINT command) const { return send(TB_ISBUTTONCHECKED, command) != 0; }

RECT CToolBar::buttonRect(UINT command) const {
  RECT r = {};
  send(TB_GETRECT, command, reinterpret_cast<LPARAM>(&r));
  MapWindowPoints(hwnd(), nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

int CToolBar::height() const { return visibleHeight(hwnd()); }

// -------------------------------------------------------------- status bar

bool CStatusBar::create(HWND parent, DWORD style, UINT controlId) {
  HWND hwnd = createChild(STATUSCLASSNAMEW, style, parent, controlId);
  if (!hwnd) return false;
  attach(hwnd);
  return true;
}

CStatusBar::~CStatusBar() {
  // The window may outlive the object only if it was never ours to destroy;
  // either way it must not keep drawing with a deleted font.
  if (hwnd() && font_) send(WM_SETFONT, 0, FALSE);
  if (font_) DeleteObject(font_);
}

void CStatusBar::setDpi(UINT dpi) {
  dpi_ = dpi;
  if (!hwnd()) return;
  // At the system DPI the bar keeps the font comctl32 gives it; elsewhere it
  // gets the status font the system has for that DPI.
  HFONT font = nullptr;
  NONCLIENTMETRICSW metrics;
  if (dpi != systemDpi() && nonClientMetricsForDpi(dpi, &metrics)) font = CreateFontIndirectW(&metrics.lfStatusFont);
  send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_) DeleteObject(font_);
  font_ = font;
  reposition();
}

bool CStatusBar::setIndicators(const std::vector<UINT>& ids) {
  if (!hwnd() || ids.empty()) return false;
  panes_.clear();
  HDC dc = GetDC(hwnd());
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(send(WM_GETFONT)));
  for (UINT id : ids) {
    int width = 0;
    if (id != 0) {
      std::wstring text = orka::widen(loadString(id));
      SIZE extent = {};
      if (!text.empty() && GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent))
        width = scaleBetween(extent.cx, dpi_, kBaseDpi) + 4 * GetSystemMetrics(SM_CXEDGE);
    }
    panes_.push_back({id, width});
  }
  SelectObject(dc, oldFont);
  ReleaseDC(hwnd(), dc);
  applyParts();
  return true;
}

void CStatusBar::setPaneInfo(int index, UINT id, int width) {
  if (index < 0 || index >= paneCount()) return;
  panes_[static_cast<size_t>(index)] = {id, width};
  applyParts();
}

UINT CStatusBar::paneId(int index) const {
  return index >= 0 && index < paneCount() ? panes_[static_cast<size_t>(index)].id : 0;
}

int CStatusBar::commandToIndex(UINT id) const {
  for (int i = 0; i < paneCount(); ++i)
    if (panes_[static_cast<size_t>(i)].id == id) return i;
  return -1;
}

void CStatusBar::setPaneText(int index, std::string_view text) {
  if (index < 0 || index >= paneCount()) return;
  // Re-setting the same text would make the bar flicker at every idle pass.
  if (paneText(index) == text) return;
  const std::wstring wide = orka::widen(text);
  send(SB_SETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string CStatusBar::paneText(int index) const {
  if (index < 0 || index >= paneCount()) return {};
  const size_t length = LOWORD(send(SB_GETTEXTLENGTHW, static_cast<WPARAM>(index)));
  std::wstring text(length + 1, L'\0');
  send(SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return orka::narrow(text);
}

std::vector<int> CStatusBar::paneEdges() const {
  RECT client;
  GetClientRect(hwnd(), &client);
  const int fixed = std::accumulate(panes_.begin(), panes_.end(), 0, [this](int sum, const Pane& p) {
    return p.id == 0 ? sum : sum + scaleDpi(p.width, dpi_);
  });
  // The message pane takes what the fixed panes leave.
  const int stretch = std::max(0, static_cast<int>(client.right) - fixed);
  std::vector<int> edges;
  int edge = 0;
  for (const Pane& p : panes_) {
    edge += p.id == 0 ? stretch : scaleDpi(p.width, dpi_);
    edges.push_back(edge);
  }
  return edges;
}

int CStatusBar::paneWidth(int index) const {
  if (!hwnd() || index < 0 || index >= paneCount()) return 0;
  const std::vector<int> edges = paneEdges();
  return edges[static_cast<size_t>(index)] - (index == 0 ? 0 : edges[static_cast<size_t>(index) - 1]);
}

void CStatusBar::applyParts() {
  if (!hwnd() || panes_.empty()) return;
  // The last edge is -1 so that the last pane always reaches the right border.
  std::vector<int> edges = paneEdges();
  edges.back() = -1;
  send(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::reposition() {
  if (!hwnd()) return;
  send(WM_SIZE);  // the status window places itself along its parent's bottom
  applyParts();
}

int CStatusBar::height() const { return visibleHeight(hwnd()); }

}  // namespace fw
