// CMainWnd: the editor's main window.
//
// It owns everything the user sees — menu bar, tool bar, status bar and the
// one edit control — and the state behind them: the settings record, the
// open document's record and the font.  Building the object starts COM on
// this thread and loads the settings; creating its window (loadFrame with
// IDR_MAINFRAME) builds the font, the edit control and the bars.  Closing the
// window, and the end of the user's session, are the moments the settings are
// written.  The object outlives its
// window; its destruction shuts COM down again.
//
// Construction throws orka::Error with the start-up message when COM cannot
// be started; nothing is left initialised then.  User-interface thread only.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "editor/com_api.h"
#include "editor/document/document_record.h"
#include "editor/editing/clipboard_hygiene.h"
#include "editor/editing/edit_ctrl.h"
#include "framework/frame_wnd.h"
#include "settings/security_settings.h"
#include "settings/settings.h"

class DateTimeCommands;
class DocumentCommands;
class DocumentLock;
class EditCommands;
class SearchCommands;
class SessionEnd;

class CMainWnd : public fw::CFrameWnd {
 public:
  // The program's name as the title and every caption show it.
  static constexpr const char* kAppTitle = "ミルデア";
  // The captions of every message box: failures, and questions or notices.
  static constexpr const char* kErrorCaption = "エラー [ミルデア]";
  static constexpr const char* kQuestionCaption = "確認 [ミルデア]";
  static constexpr int kMinTrackWidth = 310;
  static constexpr int kMinTrackHeight = 140;
  static constexpr int kPositionPaneWidth = 100;
  // Room for the longer format name, "互換形式".
  static constexpr int kFormatPaneWidth = 64;

  // Settings come from, and go back to, `settingsPath`.
  explicit CMainWnd(std::string settingsPath = defaultSettingsPath(), ComApi& com = systemComApi());
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
  // "<file name> - ミルデア", or "無題 - ミルデア" while untitled.
  void updateTitle();
  // The document operations; DocumentCommands (document_commands.h) says
  // what each one does.
  bool querySaveChanges();
  void openDocument(const std::string& path);
  bool saveDocument();
  bool saveDocumentAs();
  DocumentCommands& documents() { return *documentCommands_; }
  // Switches read-only mode: the setting, the control's refusal of changes
  // and the viewer keys.  Switching on closes a Replace dialog.
  void setReadOnlyMode(bool on);
  // Called when read-only mode is switched on (the search commands close
  // their Replace dialog there).
  void setReadOnlyListener(std::function<void()> listener) { readOnlyListener_ = std::move(listener); }

  // The text's font: made from settings().font, whose height counts pixels
  // at the system DPI, at the same point size on the window's monitor.
  // applyFont() remakes it and gives it to the control; when the system
  // cannot create it, the control keeps the font it has and false comes back.
  HFONT font() const { return font_; }
  bool applyFont();
  using FontFactory = std::function<HFONT(const LOGFONTA&)>;
  void setFontFactory(FontFactory factory) { fontFactory_ = std::move(factory); }

  // Makes `edit` the text's control in place of the current one, which is
  // destroyed, and lays the window out again.
  void installEditCtrl(std::unique_ptr<EditCtrl> edit);
  void focusEdit();

  Settings& settings() { return settings_; }
  // The security settings, from their own file beside the settings file;
  // saveSecurity() writes them there.
  SecuritySettings& security() { return security_; }
  void saveSecurity() const { security_.save(securityPath_); }
  ClipboardHygiene& clipboard() { return clipboard_; }
  DocumentLock& documentLock() { return *documentLock_; }
  const ComSession& comState() const { return com_; }
  const DocumentRecord& currentDocument() const { return currentDocument_; }
  DocumentRecord& currentDocument() { return currentDocument_; }
  EditCtrl* editCtrl() const { return edit_.get(); }

 private:
  LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
  LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
  LRESULT OnDropFiles(WPARAM wParam, LPARAM lParam);
  LRESULT OnClose(WPARAM wParam, LPARAM lParam);
  LRESULT OnEraseBackground(WPARAM wParam, LPARAM lParam);
  LRESULT OnControlColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnDpiChanged(WPARAM wParam, LPARAM lParam);
  LRESULT OnSize(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM wParam, LPARAM lParam);
  LRESULT OnSessionChange(WPARAM wParam, LPARAM lParam);
  LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);

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
  DocumentRecord currentDocument_;
  HFONT font_ = nullptr;
  FontFactory fontFactory_;
  std::function<void()> readOnlyListener_;
  std::unique_ptr<EditCtrl> edit_;
  std::unique_ptr<EditCommands> editCommands_;
  std::unique_ptr<DateTimeCommands> dateTimeCommands_;
  std::unique_ptr<DocumentCommands> documentCommands_;
  std::unique_ptr<SearchCommands> searchCommands_;
  std::unique_ptr<SessionEnd> sessionEnd_;
  std::unique_ptr<DocumentLock> documentLock_;
};
