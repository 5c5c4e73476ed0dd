// CFrameWnd: a top-level window with menu, accelerators, tool bar, status bar
// and one view child, and the command routing between them.
//
// Commands.  A command id gets a handler and optionally an update handler
// (onCommand).  Every route — menu, accelerator, tool-bar button, execute() —
// first asks the command's state: no handler means disabled; otherwise the
// update handler (if any) decides.  A disabled command is refused, so the
// state cannot go stale between a menu opening and the click, nor for keys
// that never open a menu.  The state is shown on menu items when their menu
// opens (WM_INITMENUPOPUP), on tool-bar buttons and status-bar panes at idle.
// Submenu entries and separators are left alone; the system menu is not
// routed here.  A handler that throws has failed: its error goes to
// OnCommandFailed, which by default hands it on to the message loop (app.h
// says what the loop does with it); a program that can report the error and
// carry on overrides it.  Child-control notifications (WM_COMMAND with a control other
// than the tool bar) are not commands: handle WM_COMMAND in the message table
// and call Default() for the rest.
//
// Prompts.  The string resource of a command id holds "prompt\ntooltip".
// While a menu item or a tool-bar button is highlighted, the status bar's
// pane 0 shows the prompt; otherwise the idle message (setIdleMessage, empty
// by default).  Tooltips show the second line.
//
// Layout.  The client area holds the tool bar at the top and the status bar at
// the bottom, each only when visible, and the view in between.  The frame lays
// them out on WM_SIZE and when a bar is shown or hidden.  A derived frame that
// handles WM_SIZE itself can call recalcLayout() or place things on its own.
//
// DPI.  The frame keeps the DPI of the monitor it is on (dpi()), taken at
// creation and from WM_DPICHANGED.  Its bars follow it: on WM_DPICHANGED
// the frame rebuilds the tool bar with the pictures for the new DPI,
// rescales the status bar and takes the rectangle the system suggests.  A
// derived frame that handles WM_DPICHANGED to rescale its own things calls
// Default() for this.
//
// The main window of the application (CWinApp::setMainWnd) posts WM_QUIT when
// destroyed, once it has been created successfully: a window that fails in
// WM_CREATE leaves no WM_QUIT behind to end some later message loop.
//
// The object owns its window, bars and accelerator table; it does not own the
// view window (the view's own owner destroys it, or the system does with the
// frame).  A derived frame whose handlers use its own members destroys the
// window in its own destructor (destroyWindow()), while they still exist.
#pragma once

#include "framework/cmd_ui.h"
#include "framework/control_bars.h"
#include "framework/wnd.h"

#include <exception>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace fw {

class CFrameWnd : public CWnd {
 public:
  using CommandHandler = std::function<void()>;
  using UpdateHandler = std::function<void(CmdUI&)>;

  CFrameWnd();
  ~CFrameWnd() override;

  // Creates the window with the menu, accelerator table and icon of that
  // resource id (each only if present) and the given style.  The title is
  // the first line of the string resource of the id, when there is one.  PreCreateWindow may
  // adjust the creation parameters first.  False on failure, including a
  // WM_CREATE handler that returned -1 or threw (the next loop step
  // rethrows its error).
  bool loadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr);
  // Default: CW_USEDEFAULT position and size; returning false cancels.
  virtual bool PreCreateWindow(CREATESTRUCTW& cs);

  // --- commands ---
  void onCommand(UINT id, CommandHandler handler, UpdateHandler update = {});
  template <class T>
  void onCommand(UINT id, void (T::*handler)(), void (T::*update)(CmdUI&) = nullptr) {
    T* self = static_cast<T*>(this);
    UpdateHandler u;
    if (update) u = [self, update](CmdUI& ui) { (self->*update)(ui); };
    onCommand(
        id, [self, handler]() { (self->*handler)(); }, u);
  }
  // Update handler of an id that is not a command (a status-bar pane).
  void onUpdate(UINT id, UpdateHandler update);
  // A gate every command passes after its update handler: the ids it
  // refuses are disabled, whatever their handlers say.  Empty: none.
  void setCommandGate(std::function<bool(UINT)> gate) { gate_ = std::move(gate); }
  // A frame without automatic disabling lets commands without handler stay
  // enabled (and still does nothing for them).  On by default.
  void setAutoMenuEnable(bool on) { autoMenuEnable_ = on; }

  // The state every route checks; runs the update handler.
  CmdUI commandState(UINT id);
  // Carries out a command if its state allows; true when it ran.
  bool execute(UINT id);
  // Runs `work` as part of command `id`, its errors going where the
  // command's own would: for work a command goes on with outside the
  // routing, such as the notifications of a modeless dialog it opened.
  void runCommand(UINT id, const std::function<void()>& work);
  // A command's work threw `error`.  The default rethrows it.
  virtual void OnCommandFailed(UINT id, std::exception_ptr error);
  // Refreshes the items of a menu (what WM_INITMENUPOPUP does).
  void updateMenu(HMENU menu);
  // Refreshes tool-bar buttons and status-bar panes (what idle does).
  void updateControlBars();

  // --- bars, view and layout ---
  bool createToolBar(const ToolBarLayout& layout, DWORD style, UINT controlId);
  bool createStatusBar(const std::vector<UINT>& indicators, DWORD style, UINT controlId);
  CToolBar& toolBar() { return toolBar_; }
  CStatusBar& statusBar() { return statusBar_; }
  void setView(HWND view) { view_ = view; }
  HWND view() const { return view_; }

  void showToolBar(bool show);
  void showStatusBar(bool show);
  bool isToolBarVisible() const;
  bool isStatusBarVisible() const;
  // Places bars and view in the current client area.
  void recalcLayout();

  // The DPI of the monitor the window is on.
  UINT dpi() const { return dpi_; }

  // Smallest size the user can drag the window to (at 96 dpi, scaled to
  // the window's); 0 x 0 = no limit.
  void setMinTrackSize(int width, int height);

  // --- prompts ---
  void setIdleMessage(UINT stringId);
  // Pane 0: the prompt of a command, or the idle message for id 0.
  void showPrompt(UINT id);
  static std::string promptOf(UINT id);   // first line of the string
  static std::string tooltipOf(UINT id);  // second line, empty when none

  HACCEL accelerators() const { return accel_; }
  HMENU menu() const;

  // Translates the frame's accelerators for messages aimed at it or its
  // children.
  bool PreTranslateMessage(MSG& msg) override;

 private:
  struct Command {
    CommandHandler handler;
    UpdateHandler update;
  };

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static ATOM registerClass();

  LRESULT OnCommandMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
  LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
  LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnGetMinMaxInfo(WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  void setIcons();
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
  void PostNcDestroy() override;

  std::map<UINT, Command> commands_;
  std::function<bool(UINT)> gate_;
  bool autoMenuEnable_ = true;
  CToolBar toolBar_;
  CStatusBar statusBar_;
  HWND view_ = nullptr;
  HACCEL accel_ = nullptr;
  SIZE minTrack_ = {0, 0};
  UINT dpi_ = 96;
  UINT iconId_ = 0;
  HICON icons_[2] = {};  // small, big
  UINT idleMessageId_ = 0;
  std::wstring tooltipBuffer_;  // lives until the next tooltip request
  int idleId_ = 0;
  bool created_ = false;  // CreateWindowEx succeeded
};

}  // namespace fw
