// CMainWnd: the editor's main window, and the switchboard of its rooms.
//
// It owns everything the user sees — menu bar, tool bar, status bar and the
// text's control — and the state behind them: the settings, the security
// settings, the font and the open document (open_document.h), which owns
// the control.  It builds the rooms (opening and saving, protection,
// editing, search, date and time) and hands each only what it uses; to them
// it is a WindowHost (window_host.h), never more.  Window messages that
// concern a room are passed on to it from here.
//
// Building the object starts COM on this thread and loads the settings;
// creating its window (loadFrame with IDR_MAINFRAME) builds the font, the
// control and the bars.  Closing the window, and the end of the user's
// session, are the moments the settings are written.  The object outlives
// its window; its destruction shuts COM down again.
//
// Construction throws orka::Error with the start-up message when COM cannot
// be started; nothing is left initialised then.  User-interface thread only.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "editor/com_api.h"
#include "editor/document/open_document.h"
#include "editor/editing/read_only_mode.h"
#include "editor/protection/capture_shield.h"
#include "editor/protection/clipboard_hygiene.h"
#include "editor/window_host.h"
#include "framework/dialog.h"
#include "framework/frame_wnd.h"
#include "settings/security_settings.h"
#include "settings/settings.h"

class AutoLock;
class RecoveryKeeper;
class StartupRecovery;
namespace tolvane {
class UserKeyStore;
}
class DateTimeCommands;
class DocumentCommands;
class DocumentLock;
class EditCommands;
class SearchCommands;
class SecurityCommand;
class SessionEnd;

class CMainWnd : public fw::CFrameWnd, public WindowHost {
 public:
  static constexpr int kMinTrackWidth = 310;
  static constexpr int kMinTrackHeight = 140;
  static constexpr int kPositionPaneWidth = 100;
  // Room for the longer format name, "互換形式".
  static constexpr int kFormatPaneWidth = 64;

  // Settings come from, and go back to, `settingsPath`.  `affinity` keeps
  // the windows out of screen captures (capture_shield.h).
  explicit CMainWnd(std::string settingsPath = defaultSettingsPath(), ComApi& com = systemComApi(),
                    DisplayAffinityApi& affinity = systemDisplayAffinity());
  ~CMainWnd() override;

  // The program's "tolvane.dat" (settingsFilePath).
  static std::string defaultSettingsPath();

  bool PreCreateWindow(CREATESTRUCTW& cs) override;
  // A failed command (command_failure.h): the error box, then the editor
  // goes on.  Without its edit control it cannot, and the error goes on.
  void OnCommandFailed(UINT id, std::exception_ptr error) override;

  // Writes the settings, with the window's place, as a close does.
  void saveSettings();

  // Makes the window topmost or not, as alwaysOnTop says.
  void applyTopmost();
  // The document operations; DocumentCommands (document_commands.h) says
  // what each one does.
  bool querySaveChanges();
  void openDocument(const std::string& path);
  bool saveDocument();
  bool saveDocumentAs();
  // Before the document goes with the window or the program: a locked
  // document with unsaved changes is unlocked, then the save question.
  // True when the caller may go on.
  bool letDocumentGo();
  // The start-up offer of text an earlier editor left unsaved
  // (startup_recovery.h); true when it dealt with `documentPath`, the
  // command line's document (absolute, or empty).
  bool offerRecovery(const std::string& documentPath);
  // Writes the recovery copy of unsaved text now (recovery_keeper.h).
  void keepRecoveryCopy();
  // Switches read-only mode (read_only_mode.h).
  void setReadOnlyMode(bool on) { readOnly_.set(on); }

  // WindowHost.
  using fw::CFrameWnd::onCommand;
  using fw::CFrameWnd::onMessage;
  HWND owner() const override { return hwnd(); }
  void onCommand(UINT id, WindowHost::CommandHandler handler, WindowHost::UpdateHandler update = {}) override;
  void onUpdate(UINT id, WindowHost::UpdateHandler update) override;
  void onMessage(UINT message, WindowHost::MessageHandler handler) override;
  void runCommand(UINT id, const std::function<void()>& work) override;
  // "<file name> - ミルデア", "無題 - ミルデア" or "ロック中 - ミルデア".
  void updateTitle() override;
  void focusText() override;
  std::unique_ptr<EditCtrl> makeEditCtrl(bool wordWrap) override;
  void installEditCtrl(std::unique_ptr<EditCtrl> edit) override;

  // The text's font: made from settings().font, whose height counts pixels
  // at the system DPI, at the same point size on the window's monitor.
  // applyFont() remakes it and gives it to the control; when the system
  // cannot create it, the control keeps the font it has and false comes back.
  HFONT font() const { return font_; }
  bool applyFont();
  using FontFactory = std::function<HFONT(const LOGFONTA&)>;
  void setFontFactory(FontFactory factory) { fontFactory_ = std::move(factory); }

  Settings& settings() { return settings_; }
  // The security settings, from their own file beside the settings file.
  SecuritySettings& security() { return security_; }
  const ComSession& comState() const { return com_; }
  // Puts the security settings into effect at once: the idle timer, the
  // capture exclusion of every window, the clipboard's timer.
  void applySecurity();
  // How long one of the clipboard timer's seconds lasts, in milliseconds:
  // 1000, except in tests that cannot wait ten seconds.
  void setClipboardSecondLength(UINT milliseconds) { clipboardSecond_ = milliseconds; }
  const ClipboardHygiene& clipboard() const { return clipboard_; }
  // The open document and its parts, and the rooms, for the tests.
  OpenDocument& document() { return document_; }
  DocumentRecord& currentDocument() { return document_.record(); }
  EditCtrl* editCtrl() const { return document_.edit(); }
  DocumentCommands& documents() { return *documentCommands_; }
  DocumentLock& documentLock() { return *documentLock_; }
  AutoLock& autoLock() { return *autoLock_; }
  RecoveryKeeper& recovery() { return *recovery_; }

 private:
  LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
  LRESULT OnCommandMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
  LRESULT OnControlColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
  LRESULT OnSessionChange(WPARAM wParam, LPARAM lParam);
  LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

  void buildRooms();
  void registerCommands();
  void OnExit();
  // A menu item that flips a setting, shows it as a check mark and then
  // runs `apply`, if any.
  void addToggle(UINT id, bool Settings::*field, void (CMainWnd::*apply)() = nullptr);
  void OnHelpContents();
  void OnAbout();
  void OnUpdatePositionPane(fw::CmdUI& ui);

  void relayout();
  // The outer rectangle to remember for the next start.  Its size is kept
  // at the system DPI, as a program unaware of monitors would see it, so
  // that it means the same whichever monitor the window was on.
  RECT rectangleToStore() const;
  // The rectangle in screen pixels, or the restored one when minimized or
  // maximized.
  RECT placedRectangle() const;

  // Declared first so that COM is shut down last.
  ComSession com_;
  std::string settingsPath_;
  Settings settings_;
  std::string securityPath_;
  SecuritySettings security_;
  ClipboardHygiene clipboard_;
  UINT clipboardSecond_ = 1000;
  CaptureShield captureShield_;
  fw::DialogObserver previousDialogObserver_;
  OpenDocument document_;
  ReadOnlyMode readOnly_{settings_, document_};
  HFONT font_ = nullptr;
  FontFactory fontFactory_;
  std::unique_ptr<EditCommands> editCommands_;
  std::unique_ptr<DateTimeCommands> dateTimeCommands_;
  std::unique_ptr<DocumentCommands> documentCommands_;
  std::unique_ptr<SearchCommands> searchCommands_;
  std::unique_ptr<DocumentLock> documentLock_;
  std::unique_ptr<AutoLock> autoLock_;
  std::unique_ptr<SecurityCommand> securityCommand_;
  std::unique_ptr<SessionEnd> sessionEnd_;
  std::unique_ptr<tolvane::UserKeyStore> userKeys_;
  std::unique_ptr<RecoveryKeeper> recovery_;
  std::unique_ptr<StartupRecovery> startupRecovery_;
};
