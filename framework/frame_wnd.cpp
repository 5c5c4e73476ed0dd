#include "framework/frame_wnd.h"

#include "framework/app.h"
#include "framework/dpi.h"
#include "orka/text/wide.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

namespace fw {

namespace {

const wchar_t kFrameClass[] = L"Tolvane.fw.Frame";

bool hasVisibleStyle(HWND hwnd) { return hwnd && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE); }

// "prompt\ntooltip": line 0 or line 1 of a command's string.
std::string stringLine(UINT id, int line) {
  std::string text = loadString(id);
  size_t start = 0;
  for (int i = 0; i < line; ++i) {
    size_t nl = text.find('\n', start);
    if (nl == std::string::npos) return {};
    start = nl + 1;
  }
  size_t end = text.find('\n', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

CFrameWnd::CFrameWnd() {
  onBuiltin(WM_COMMAND, &CFrameWnd::OnCommandMessage);
  onBuiltin(WM_INITMENUPOPUP, &CFrameWnd::OnInitMenuPopup);
  onBuiltin(WM_MENUSELECT, &CFrameWnd::OnMenuSelect);
  onBuiltin(WM_NOTIFY, &CFrameWnd::OnNotify);
  onBuiltin(WM_SIZE, &CFrameWnd::OnSize);
  onBuiltin(WM_GETMINMAXINFO, &CFrameWnd::OnGetMinMaxInfo);
  onBuiltin(WM_DPICHANGED, &CFrameWnd::OnDpiChanged);
  onBuiltin(WM_DESTROY, &CFrameWnd::OnDestroy);
}

CFrameWnd::~CFrameWnd() {
  // The derived object is gone: its handlers must not see the destruction.
  clearMessageTable();
  commands_.clear();
  destroyWindow();
  if (idleId_ && CWinApp::current()) CWinApp::current()->removeIdleHandler(idleId_);
  if (accel_) DestroyAcceleratorTable(accel_);
  for (HICON icon : icons_)
    if (icon) DestroyIcon(icon);
}

ATOM CFrameWnd::registerClass() {
  static ATOM atom = [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &CFrameWnd::windowProc;
    wc.hInstance = resourceInstance();
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512) /* IDC_ARROW */);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = kFrameClass;
    return RegisterClassExW(&wc);
  }();
  return atom;
}

LRESULT CALLBACK CFrameWnd::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CFrameWnd* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<CFrameWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->bind(hwnd, true);
    self->dpi_ = windowDpi(hwnd);
  } else {
    self = reinterpret_cast<CFrameWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  // Messages before WM_NCCREATE (the first WM_GETMINMAXINFO) find no object.
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = 0;
  try {
    result = self->dispatch(message, wParam, lParam);
  } catch (...) {
    // Never unwind through the system's code: the loop rethrows it.
    CWinApp* app = CWinApp::current();
    if (!app) std::terminate();
    app->deferError(std::current_exception());
    // A window whose creation handler gave up half-way must not pass for
    // created: the caller of loadFrame would go on with a half-built frame.
    if (message == WM_CREATE) result = -1;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    // A window that failed in WM_CREATE gets no WM_DESTROY, only this.
    CWinApp* app = CWinApp::current();
    if (app && app->mainWnd() == self) app->setMainWnd(nullptr);
    self->unbind();
    self->PostNcDestroy();
  }
  return result;
}

bool CFrameWnd::loadFrame(UINT resourceId, DWORD style, HWND parent) {
  if (hwnd() || !registerClass()) return false;
  HINSTANCE instance = resourceInstance();
  const std::wstring title = orka::widen(promptOf(resourceId));

  CREATESTRUCTW cs = {};
  cs.lpCreateParams = this;
  cs.hInstance = instance;
  cs.hMenu = LoadMenuW(instance, MAKEINTRESOURCEW(resourceId));
  cs.hwndParent = parent;
  cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
  cs.style = style;
  cs.lpszName = title.c_str();
  cs.lpszClass = kFrameClass;
  if (!PreCreateWindow(cs)) {
    if (cs.hMenu) DestroyMenu(cs.hMenu);
    return false;
  }
  HWND hwnd = CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, cs.style, cs.x, cs.y, cs.cx, cs.cy,
                              cs.hwndParent, cs.hMenu, cs.hInstance, this);
  if (!hwnd) {
    // A window that failed in WM_CREATE has destroyed its menu already.
    if (cs.hMenu && IsMenu(cs.hMenu)) DestroyMenu(cs.hMenu);
    return false;
  }
  created_ = true;
  accel_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(resourceId));
  iconId_ = resourceId;
  setIcons();
  if (CWinApp* app = CWinApp::current()) idleId_ = app->addIdleHandler([this] { updateControlBars(); });
  return true;
}

// The caption's and the task switcher's pictures, taken from the frames of
// the icon drawn for this DPI rather than scaled by the system.  Not shared:
// a shared icon keeps the size it was first loaded at.
void CFrameWnd::setIcons() {
  if (iconId_ == 0) return;
  for (int big = 0; big < 2; ++big) {
    const int size = systemMetricForDpi(big ? SM_CXICON : SM_CXSMICON, dpi_);
    auto icon = static_cast<HICON>(
        LoadImageW(resourceInstance(), MAKEINTRESOURCEW(iconId_), IMAGE_ICON, size, size, 0));
    if (!icon) continue;
    SendMessageW(hwnd(), WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    if (icons_[big]) DestroyIcon(icons_[big]);
    icons_[big] = icon;
  }
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTW&) { return true; }

HMENU CFrameWnd::menu() const { return hwnd() ? GetMenu(hwnd()) : nullptr; }

// ------------------------------------------------------------ commands

void CFrameWnd::onCommand(UINT id, CommandHandler handler, UpdateHandler update) {
  commands_[id] = Command{std::move(handler), std::move(update)};
}

void CFrameWnd::onUpdate(UINT id, UpdateHandler update) { commands_[id].update = std::move(update); }

CmdUI CFrameWnd::commandState(UINT id) {
  CmdUI ui(id);
  auto it = commands_.find(id);
  const bool hasHandler = it != commands_.end() && it->second.handler;
  ui.enable(hasHandler || !autoMenuEnable_);
  if (it != commands_.end() && it->second.update) {
    UpdateHandler update = it->second.update;
    update(ui);
  }
  if (gate_ && !gate_(id)) ui.enable(false);
  return ui;
}

bool CFrameWnd::execute(UINT id) {
  auto it = commands_.find(id);
  if (it == commands_.end() || !it->second.handler) return false;
  if (!commandState(id).enabled()) return false;
  CommandHandler handler = it->second.handler;  // it may re-register itself
  runCommand(id, handler);
  return true;
}

void CFrameWnd::runCommand(UINT id, const std::function<void()>& work) {
  try {
    work();
  } catch (...) {
    OnCommandFailed(id, std::current_exception());
  }
}

void CFrameWnd::OnCommandFailed(UINT, std::exception_ptr error) { std::rethrow_exception(error); }

void CFrameWnd::updateMenu(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOW mii = {};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &mii)) continue;
    if (mii.hSubMenu || (mii.fType & MFT_SEPARATOR) || mii.wID == 0) continue;
    const CmdUI ui = commandState(mii.wID);
    EnableMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (ui.enabled() ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, static_cast<UINT>(i), MF_BYPOSITION | (ui.checked() ? MF_CHECKED : MF_UNCHECKED));
  }
}

void CFrameWnd::updateControlBars() {
  if (hasVisibleStyle(toolBar_.hwnd())) {
    for (UINT id : toolBar_.commands()) {
      if (id == 0) continue;
      const CmdUI ui = commandState(id);
      toolBar_.setButtonState(id, ui.enabled(), ui.checked());
    }
  }
  if (hasVisibleStyle(statusBar_.hwnd())) {
    for (int i = 0; i < statusBar_.paneCount(); ++i) {
      const UINT id = statusBar_.paneId(i);
      if (id == 0) continue;
      const CmdUI ui = commandState(id);
      if (ui.text()) statusBar_.setPaneText(i, *ui.text());
    }
  }
}

LRESULT CFrameWnd::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
  // Menus (lParam 0, code 0), accelerators (lParam 0, code 1) and tool-bar
  // buttons are commands; other children's notifications are not.
  const HWND control = reinterpret_cast<HWND>(lParam);
  if (control && control != toolBar_.hwnd()) return Default();
  execute(LOWORD(wParam));
  return 0;
}

LRESULT CFrameWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(lParam)) return Default();  // the system menu is not ours
  updateMenu(reinterpret_cast<HMENU>(wParam));
  return 0;
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
  const UINT flags = HIWORD(wParam);
  if (flags == 0xFFFF && lParam == 0) {
    showPrompt(0);  // the menu closed
  } else if (flags & (MF_POPUP | MF_SEPARATOR | MF_SYSMENU)) {
    if (statusBar_.paneCount() > 0) statusBar_.setPaneText(0, "");
  } else {
    showPrompt(LOWORD(wParam));
  }
  return 0;
}

LRESULT CFrameWnd::OnNotify(WPARAM, LPARAM lParam) {
  const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->code == TTN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
    UINT id = static_cast<UINT>(header->idFrom);
    if (info->uFlags & TTF_IDISHWND)
      id = static_cast<UINT>(GetDlgCtrlID(reinterpret_cast<HWND>(header->idFrom)));
    tooltipBuffer_ = orka::widen(tooltipOf(id));
    info->lpszText = tooltipBuffer_.data();
    info->hinst = nullptr;
    return 0;
  }
  if (header->code == TBN_HOTITEMCHANGE && header->hwndFrom == toolBar_.hwnd()) {
    const auto* hot = reinterpret_cast<const NMTBHOTITEM*>(lParam);
    showPrompt((hot->dwFlags & HICF_LEAVING) ? 0 : static_cast<UINT>(hot->idNew));
    return 0;
  }
  return Default();
}

LRESULT CFrameWnd::OnSize(WPARAM wParam, LPARAM) {
  if (wParam != SIZE_MINIMIZED) recalcLayout();
  return 0;
}

LRESULT CFrameWnd::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (minTrack_.cx > 0) info->ptMinTrackSize.x = scaleDpi(minTrack_.cx, dpi_);
  if (minTrack_.cy > 0) info->ptMinTrackSize.y = scaleDpi(minTrack_.cy, dpi_);
  return 0;
}

LRESULT CFrameWnd::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  const UINT dpi = HIWORD(wParam);
  if (dpi == 0) return 0;
  dpi_ = dpi;
  if (toolBar_.hwnd()) toolBar_.setDpi(dpi);
  if (statusBar_.hwnd()) statusBar_.setDpi(dpi);
  setIcons();
  if (const auto* suggested = reinterpret_cast<const RECT*>(lParam)) {
    SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                 suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  recalcLayout();
  return 0;
}

LRESULT CFrameWnd::OnDestroy(WPARAM, LPARAM) {
  CWinApp* app = CWinApp::current();
  if (app && idleId_) {
    app->removeIdleHandler(idleId_);
    idleId_ = 0;
  }
  if (app && app->mainWnd() == this) {
    app->setMainWnd(nullptr);
    if (created_) PostQuitMessage(0);
  }
  created_ = false;
  return Default();
}

void CFrameWnd::PostNcDestroy() {
  // The children died with the window.
  toolBar_.detach();
  statusBar_.detach();
  view_ = nullptr;
}

// ------------------------------------------------------ bars and layout

bool CFrameWnd::createToolBar(const ToolBarLayout& layout, DWORD style, UINT controlId) {
  if (!hwnd() || !toolBar_.create(hwnd(), layout, style, controlId, dpi_)) return false;
  recalcLayout();
  return true;
}

bool CFrameWnd::createStatusBar(const std::vector<UINT>& indicators, DWORD style, UINT controlId) {
  if (!hwnd() || !statusBar_.create(hwnd(), style, controlId)) return false;
  statusBar_.setDpi(dpi_);
  if (!statusBar_.setIndicators(indicators)) {
    statusBar_.destroyWindow();
    statusBar_.detach();
    return false;
  }
  showPrompt(0);
  recalcLayout();
  return true;
}

void CFrameWnd::showToolBar(bool show) {
  if (!toolBar_.hwnd()) return;
  ShowWindow(toolBar_.hwnd(), show ? SW_SHOWNOACTIVATE : SW_HIDE);
  recalcLayout();
}

void CFrameWnd::showStatusBar(bool show) {
  if (!statusBar_.hwnd()) return;
  ShowWindow(statusBar_.hwnd(), show ? SW_SHOWNOACTIVATE : SW_HIDE);
  recalcLayout();
}

bool CFrameWnd::isToolBarVisible() const { return hasVisibleStyle(toolBar_.hwnd()); }

bool CFrameWnd::isStatusBarVisible() const { return hasVisibleStyle(statusBar_.hwnd()); }

void CFrameWnd::recalcLayout() {
  if (!hwnd()) return;
  RECT client;
  GetClientRect(hwnd(), &client);
  int top = 0;
  int bottom = client.bottom;
  if (isToolBarVisible()) {
    toolBar_.send(TB_AUTOSIZE);
    top = toolBar_.height();
  }
  if (isStatusBarVisible()) {
    statusBar_.reposition();
    bottom -= statusBar_.height();
  }
  if (view_) MoveWindow(view_, 0, top, client.right, std::max(0, bottom - top), TRUE);
}

void CFrameWnd::setMinTrackSize(int width, int height) { minTrack_ = {width, height}; }

// --------------------------------------------------------------- prompts

void CFrameWnd::setIdleMessage(UINT stringId) {
  idleMessageId_ = stringId;
  showPrompt(0);
}

void CFrameWnd::showPrompt(UINT id) {
  if (statusBar_.paneCount() == 0) return;
  const UINT shown = id != 0 ? id : idleMessageId_;
  statusBar_.setPaneText(0, shown != 0 ? promptOf(shown) : std::string());
}

std::string CFrameWnd::promptOf(UINT id) { return stringLine(id, 0); }

std::string CFrameWnd::tooltipOf(UINT id) { return stringLine(id, 1); }

bool CFrameWnd::PreTranslateMessage(MSG& msg) {
  if (!accel_ || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  return TranslateAcceleratorW(hwnd(), accel_, &msg) != 0;
}

}  // namespace fw
