#include "editor/main_wnd.h"

#include <commctrl.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <cstdio>
#include <optional>
#include <utility>

#include "editor/assoc_commands.h"
#include "editor/command_failure.h"
#include "editor/datetime/date_time_commands.h"
#include "editor/document/document_commands.h"
#include "editor/editing/edit_commands.h"
#include "editor/protection/auto_lock.h"
#include "editor/protection/document_lock.h"
#include "editor/protection/security_command.h"
#include "editor/recovery/recovery_keeper.h"
#include "editor/recovery/startup_recovery.h"
#include "editor/recovery/user_key_store.h"
#include "editor/res/resource.h"
#include "editor/search/search_commands.h"
#include "editor/session_end.h"
#include "framework/dialog.h"
#include "framework/dpi.h"
#include "framework/help.h"
#include "framework/modal.h"
#include "orka/errors/error.h"
#include "orka/text/wide.h"
#include "settings/log_font_win32.h"
#include "settings/program_file.h"

namespace {

// Control ids the bars have always had in frames of this kind.
constexpr UINT kToolBarId = 0xE800;
constexpr UINT kStatusBarId = 0xE801;

// The help file is the program itself with the extension ".CHM".
std::string helpFilePath() {
  std::string path = programPath();
  size_t name = path.find_last_of("\\/");
  size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && (name == std::string::npos || dot > name)) path.erase(dot);
  return path + ".CHM";
}

}  // namespace

CMainWnd::CMainWnd(std::string settingsPath, ComApi& com, DisplayAffinityApi& affinity)
    : com_(com),
      settingsPath_(std::move(settingsPath)),
      captureShield_(affinity, security_),
      fontFactory_([](const LOGFONTA& font) { return CreateFontIndirectA(&font); }) {
  // The settings are read whatever COM said, so a failed start leaves them
  // as they were; they are written only by a close.
  settings_.load(settingsPath_, systemScreenSize());
  securityPath_ = SecuritySettings::pathBeside(settingsPath_);
  security_.load(securityPath_);
  if (!com_.ok()) throw orka::Error(com_.failureMessage());

  onMessage(WM_CREATE, &CMainWnd::OnCreate);
  onMessage(WM_COMMAND, &CMainWnd::OnCommandMessage);
  onMessage(WM_ACTIVATE, &CMainWnd::OnActivate);
  onMessage(WM_DROPFILES, &CMainWnd::OnDropFiles);
  onMessage(WM_CLOSE, &CMainWnd::OnClose);
  onMessage(WM_ERASEBKGND, &CMainWnd::OnEraseBackground);
  // An edit control asks with WM_CTLCOLOREDIT, or WM_CTLCOLORSTATIC while it
  // is read-only.
  onMessage(WM_CTLCOLOREDIT, &CMainWnd::OnControlColor);
  onMessage(WM_CTLCOLORSTATIC, &CMainWnd::OnControlColor);
  onMessage(WM_DPICHANGED, &CMainWnd::OnDpiChanged);
  onMessage(WM_SIZE, &CMainWnd::OnSize);
  onMessage(WM_TIMER, &CMainWnd::OnTimer);
  onMessage(WM_WTSSESSION_CHANGE, &CMainWnd::OnSessionChange);
  onMessage(WM_POWERBROADCAST, &CMainWnd::OnPowerBroadcast);
  onMessage(WM_DESTROY, &CMainWnd::OnDestroy);
  setMinTrackSize(kMinTrackWidth, kMinTrackHeight);
  registerCommands();
}

CMainWnd::~CMainWnd() {
  // Destroy the window while the members its handlers use still exist.
  destroyWindow();
  document_.setEdit(nullptr);
  if (font_) DeleteObject(font_);
}

std::string CMainWnd::defaultSettingsPath() { return settingsFilePath(Settings::kFileName); }

void CMainWnd::registerCommands() {
  // Commands whose work is not built yet have no handler, so the frame greys
  // them and refuses them on every route; Page setup and Print never get one.
  onCommand(ID_APP_EXIT, &CMainWnd::OnExit);
  // The bars change the layout at once, always-on-top the window's place
  // in the z-order; the other two take effect later (when a document opens,
  // at the next start).  All reach the file only at close.
  addToggle(ID_VIEW_TOOLBAR, &Settings::showToolBar, &CMainWnd::relayout);
  addToggle(ID_VIEW_STATUS_BAR, &Settings::showStatusBar, &CMainWnd::relayout);
  addToggle(ID_VIEW_ALWAYS_ON_TOP, &Settings::alwaysOnTop, &CMainWnd::applyTopmost);
  addToggle(ID_SETTINGS_HIDE_PASSWORD, &Settings::hidePasswordDialog);
  addToggle(ID_SETTINGS_REMEMBER_POS, &Settings::rememberWindowPos);
  buildRooms();
  onCommand(ID_SETTINGS_ASSOCIATE, [this] {
    runAssocCommand(hwnd(), assoc::AssocAction::kRegister);
    focusText();
  });
  onCommand(ID_SETTINGS_UNASSOCIATE, [this] {
    runAssocCommand(hwnd(), assoc::AssocAction::kRemove);
    focusText();
  });
  onCommand(ID_HELP_CONTENTS, &CMainWnd::OnHelpContents);
  onCommand(ID_APP_ABOUT, &CMainWnd::OnAbout);
  onUpdate(ID_INDICATOR_POSITION, [this](fw::CmdUI& ui) { OnUpdatePositionPane(ui); });
}

// Each room gets the host and the few objects it works on, nothing more.
void CMainWnd::buildRooms() {
  editCommands_ =
      std::make_unique<EditCommands>(*this, document_, settings_, readOnly_, [this] { applyFont(); });
  dateTimeCommands_ = std::make_unique<DateTimeCommands>(*this, document_, settings_);
  documentCommands_ = std::make_unique<DocumentCommands>(*this, document_, settings_, readOnly_);
  documentCommands_->setNewDocumentsStrong([this] { return security_.strongNewDocuments; });
  documentCommands_->setKeepOffRecent([this] { return security_.keepOffRecent; });
  searchCommands_ = std::make_unique<SearchCommands>(*this, document_, settings_);
  readOnly_.setListener([this] { searchCommands_->closeReplaceDialog(); });
  documentLock_ =
      std::make_unique<DocumentLock>(*this, document_, settings_, readOnly_, security_, clipboard_);
  documentLock_->setForgetter([this] { searchCommands_->forget(); });
  userKeys_ = std::make_unique<tolvane::UserKeyStore>(tolvane::UserKeyStore::pathBeside(settingsPath_));
  // Without a local folder for them (a roaming-only profile) no copies are
  // kept: they must never travel with the profile.
  std::string recoveryFolder;
  try {
    recoveryFolder = recoveryFolderPath(settingsPath_);
  } catch (const orka::Error&) {
  }
  recovery_ = std::make_unique<RecoveryKeeper>(*this, document_, security_, recoveryFolder, *userKeys_);
  documentLock_->setBeforeSeal([this] { recovery_->keepNow(); });
  documentCommands_->setTextGone([this] { recovery_->clear(); });
  startupRecovery_ = std::make_unique<StartupRecovery>(
      *this, document_, *recovery_, *userKeys_,
      [this](const std::string& path, const StartupRecovery::Witness& witness) {
        return documentCommands_->openDocument(path, witness);
      });
  setCommandGate([this](UINT id) { return documentLock_->allows(id); });
  autoLock_ = std::make_unique<AutoLock>(*this, document_, *documentLock_, security_);
  securityCommand_ = std::make_unique<SecurityCommand>(*this, security_, [this] {
    security_.save(securityPath_);
    applySecurity();
  });
  sessionEnd_ = std::make_unique<SessionEnd>(
      *this, document_, [this] { return querySaveChanges(); }, [this] { saveSettings(); },
      [this] { recovery_->keepNow(); });
}

void CMainWnd::addToggle(UINT id, bool Settings::*field, void (CMainWnd::*apply)()) {
  onCommand(
      id,
      [this, field, apply] {
        settings_.*field = !(settings_.*field);
        if (apply) (this->*apply)();
        focusText();
      },
      [this, field](fw::CmdUI& ui) { ui.check(settings_.*field); });
}

bool CMainWnd::PreCreateWindow(CREATESTRUCTW& cs) {
  cs.dwExStyle |= WS_EX_ACCEPTFILES;
  if (!CFrameWnd::PreCreateWindow(cs)) return false;
  cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
  POINT topLeft = {0, 0};
  if (settings_.rememberWindowPos) {
    cs.x = settings_.windowLeft;
    cs.y = settings_.windowTop;
    topLeft = {cs.x, cs.y};
  }
  // The stored size counts at the system DPI; the window opens on the
  // monitor of its stored corner (or the primary one).
  const UINT dpi = fw::monitorDpi(MonitorFromPoint(topLeft, MONITOR_DEFAULTTOPRIMARY));
  cs.cx = fw::scaleBetween(settings_.windowWidth, fw::systemDpi(), dpi);
  cs.cy = fw::scaleBetween(settings_.windowHeight, fw::systemDpi(), dpi);
  return true;
}

LRESULT CMainWnd::OnCreate(WPARAM, LPARAM) {
  if (Default() == -1) return -1;

  if (!applyFont()) return -1;
  std::unique_ptr<EditCtrl> edit = makeEditCtrl(settings_.wordWrap);
  if (!edit) return -1;
  installEditCtrl(std::move(edit));

  std::optional<fw::ToolBarLayout> layout = fw::ToolBarLayout::load(IDR_MAINFRAME);
  if (!layout ||
      !createToolBar(*layout, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, kToolBarId))
    return -1;
  showToolBar(settings_.showToolBar);

  if (!createStatusBar({0, ID_INDICATOR_POSITION, ID_INDICATOR_FORMAT}, WS_CHILD | WS_VISIBLE | CCS_BOTTOM,
                       kStatusBarId))
    return -1;
  statusBar().setPaneInfo(1, ID_INDICATOR_POSITION, kPositionPaneWidth);
  statusBar().setPaneInfo(2, ID_INDICATOR_FORMAT, kFormatPaneWidth);
  showStatusBar(settings_.showStatusBar);

  updateTitle();
  applyTopmost();
  WTSRegisterSessionNotification(hwnd(), NOTIFY_FOR_THIS_SESSION);
  autoLock_->watchSuspend();
  // Every dialog of ours is kept out of captures as it is made, and the
  // window itself before it first shows.
  previousDialogObserver_ = fw::setDialogObserver([this](HWND window) { captureShield_.protect(window); });
  captureShield_.protect(hwnd());
  applySecurity();
  return 0;
}

void CMainWnd::applySecurity() {
  autoLock_->applySettings();
  recovery_->applySettings();
  captureShield_.apply();
  clipboard_.setClearAfter(hwnd(),
                           security_.clipboardTimer ? security_.clipboardSeconds * clipboardSecond_ : 0);
}

bool CMainWnd::applyFont() {
  LOGFONTA wanted = toSystemLogFontA(settings_.font);
  wanted.lfHeight = fw::scaleBetween(wanted.lfHeight, fw::systemDpi(), dpi());
  HFONT font = fontFactory_(wanted);
  if (!font) return false;
  if (EditCtrl* edit = document_.edit()) edit->send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_) DeleteObject(font_);
  font_ = font;
  return true;
}

std::unique_ptr<EditCtrl> CMainWnd::makeEditCtrl(bool wordWrap) {
  return createEditCtrl(hwnd(), wordWrap, font_, settings_.readOnly);
}

void CMainWnd::installEditCtrl(std::unique_ptr<EditCtrl> edit) {
  edit->setCopier([this](std::wstring_view text) { return clipboard_.copy(hwnd(), text); });
  setView(edit->hwnd());
  document_.setEdit(std::move(edit));
  recalcLayout();
}

void CMainWnd::onCommand(UINT id, WindowHost::CommandHandler handler, WindowHost::UpdateHandler update) {
  fw::CFrameWnd::onCommand(id, std::move(handler), std::move(update));
}

void CMainWnd::onUpdate(UINT id, WindowHost::UpdateHandler update) {
  fw::CFrameWnd::onUpdate(id, std::move(update));
}

void CMainWnd::onMessage(UINT message, WindowHost::MessageHandler handler) {
  fw::CFrameWnd::onMessage(message, std::move(handler));
}

void CMainWnd::runCommand(UINT id, const std::function<void()>& work) { fw::CFrameWnd::runCommand(id, work); }

// Brings the bars in line with the settings; the frame lays out the rest.
void CMainWnd::relayout() {
  showToolBar(settings_.showToolBar);
  showStatusBar(settings_.showStatusBar);
}

LRESULT CMainWnd::OnActivate(WPARAM wParam, LPARAM lParam) {
  LRESULT result = Default();
  WORD state = LOWORD(wParam);
  if (state == WA_ACTIVE || state == WA_CLICKACTIVE) focusText();
  autoLock_->onActivate(wParam, lParam);
  return result;
}

LRESULT CMainWnd::OnDropFiles(WPARAM wParam, LPARAM) {
  auto drop = reinterpret_cast<HDROP>(wParam);
  if (document_.locked()) {
    DragFinish(drop);
    return 0;
  }
  // Only the first file counts.  Its length is asked first so that a long
  // path is never cut short into the name of some other file.
  std::wstring name(DragQueryFileW(drop, 0, nullptr, 0), L'\0');
  UINT length = DragQueryFileW(drop, 0, name.data(), static_cast<UINT>(name.size() + 1));
  DragFinish(drop);
  name.resize(length);
  // Unsaved text is not thrown away unasked, whichever way a document comes.
  if (!name.empty() && querySaveChanges()) openDocument(orka::narrow(name));
  return 0;
}

// The control's change notices feed the recovery copy; everything else on
// this message is the frame's.
LRESULT CMainWnd::OnCommandMessage(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == EN_CHANGE && editCtrl() && reinterpret_cast<HWND>(lParam) == editCtrl()->hwnd())
    recovery_->onTextChanged();
  return Default();
}

bool CMainWnd::offerRecovery(const std::string& documentPath) {
  return startupRecovery_->offer(documentPath);
}

void CMainWnd::keepRecoveryCopy() { recovery_->keepNow(); }

bool CMainWnd::letDocumentGo() { return documentLock_->unlockToLetGo() && querySaveChanges(); }

LRESULT CMainWnd::OnClose(WPARAM, LPARAM) {
  if (!letDocumentGo()) return 0;
  if (security_.clearClipboard) clipboard_.clearOwnCopy(hwnd());
  saveSettings();
  return Default();
}

void CMainWnd::saveSettings() {
  RECT r = rectangleToStore();
  settings_.windowWidth = r.right - r.left;
  settings_.windowHeight = r.bottom - r.top;
  settings_.windowLeft = r.left;
  settings_.windowTop = r.top;
  settings_.save(settingsPath_);
}

void CMainWnd::OnCommandFailed(UINT, std::exception_ptr error) {
  if (!editCtrl() || !IsWindow(editCtrl()->hwnd())) std::rethrow_exception(error);
  recovery_->keepNow();
  reportFailedCommand(hwnd(), error);
  focusText();
}

LRESULT CMainWnd::OnSize(WPARAM wParam, LPARAM) {
  LRESULT result = Default();
  if (wParam == SIZE_MINIMIZED) autoLock_->onMinimized();
  return result;
}

LRESULT CMainWnd::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam == AutoLock::kIdleTimerId)
    autoLock_->onIdleTimer();
  else if (wParam == ClipboardHygiene::kClearTimerId)
    clipboard_.onClearTimer(hwnd());
  else if (!recovery_->onTimer(wParam))
    return Default();
  return 0;
}

LRESULT CMainWnd::OnSessionChange(WPARAM wParam, LPARAM) {
  autoLock_->onSessionChange(wParam);
  return 0;
}

LRESULT CMainWnd::OnPowerBroadcast(WPARAM wParam, LPARAM) {
  autoLock_->onPowerEvent(wParam);
  return TRUE;
}

LRESULT CMainWnd::OnDestroy(WPARAM, LPARAM) {
  WTSUnRegisterSessionNotification(hwnd());
  autoLock_->stopWatchingSuspend();
  KillTimer(hwnd(), AutoLock::kIdleTimerId);
  KillTimer(hwnd(), ClipboardHygiene::kClearTimerId);
  KillTimer(hwnd(), RecoveryKeeper::kPauseTimerId);
  KillTimer(hwnd(), RecoveryKeeper::kTypingTimerId);
  fw::setDialogObserver(std::move(previousDialogObserver_));
  return Default();
}

// The children cover the whole client area; erasing under them would only
// make them flicker.
LRESULT CMainWnd::OnEraseBackground(WPARAM, LPARAM) { return FALSE; }

// The text area stays white, read-only mode included.
LRESULT CMainWnd::OnControlColor(WPARAM, LPARAM lParam) {
  if (!editCtrl() || reinterpret_cast<HWND>(lParam) != editCtrl()->hwnd()) return Default();
  static HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(white);
}

LRESULT CMainWnd::OnDpiChanged(WPARAM, LPARAM) {
  Default();  // the bars and the window's rectangle
  applyFont();
  return 0;
}

RECT CMainWnd::rectangleToStore() const {
  RECT r = placedRectangle();
  r.right = r.left + fw::scaleBetween(r.right - r.left, dpi(), fw::systemDpi());
  r.bottom = r.top + fw::scaleBetween(r.bottom - r.top, dpi(), fw::systemDpi());
  return r;
}

RECT CMainWnd::placedRectangle() const {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  if (!IsIconic(hwnd()) && !IsZoomed(hwnd())) return r;
  // Minimized the window stands far off-screen and tiny, maximized it is a
  // little larger than the screen: neither can be restored at the next start.
  // Keep the size and place it has when restored.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(hwnd(), &placement)) return r;
  r = placement.rcNormalPosition;
  // The restored rectangle counts from the work area, not the screen.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
      GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
    OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
  }
  return r;
}

void CMainWnd::applyTopmost() {
  SetWindowPos(hwnd(), settings_.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE);
}

void CMainWnd::updateTitle() { setWindowText(document_.title()); }

bool CMainWnd::querySaveChanges() { return documentCommands_->querySaveChanges(); }
void CMainWnd::openDocument(const std::string& path) { documentCommands_->openDocument(path); }
bool CMainWnd::saveDocument() { return documentCommands_->saveDocument(); }
bool CMainWnd::saveDocumentAs() { return documentCommands_->saveDocumentAs(); }

void CMainWnd::focusText() {
  if (EditCtrl* edit = document_.edit()) SetFocus(edit->hwnd());
}

void CMainWnd::OnExit() { PostMessageW(hwnd(), WM_CLOSE, 0, 0); }

void CMainWnd::OnHelpContents() {
  std::string helpFile = helpFilePath();
  if (!fw::showHtmlHelp(helpFile)) {
    showError(fw::loadString(IDP_HELP_NOT_LAUNCHED) + helpFile);
  }
  focusText();
}

void CMainWnd::OnAbout() {
  fw::CDialog about(IDD_ABOUT, hwnd());
  about.DoModal();
  focusText();
}

void CMainWnd::OnUpdatePositionPane(fw::CmdUI& ui) {
  EditCtrl* edit = document_.edit();
  if (!edit) return;
  if (settings_.wordWrap) {
    ui.setText("--行、--列");
    return;
  }
  int start = edit->selection().start;
  int line = edit->lineFromChar(-1);
  int lineStart = edit->lineIndex(line);
  char text[64];
  std::snprintf(text, sizeof text, "%d行、%d列", line + 1, start - lineStart + 1);
  ui.setText(text);
}
