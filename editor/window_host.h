// WindowHost: what a room of the editor may ask of the window it lives in.
//
// The rooms (opening and saving, protection, editing, search, date and time)
// never see the main window itself.  Each is handed this interface and only
// the other objects it uses, so that it can be read, built and tested on its
// own, and so that no room can reach past the one owner of the open document
// (open_document.h) to a second copy of its state.
//
// The main window implements it.  Every call is for the user-interface
// thread; handlers run there too.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/cmd_ui.h"

class EditCtrl;

// The program's name as the title shows it, and the captions of its boxes:
// failures, and questions or notices.
constexpr const char* kAppTitle = "ミルデア";
constexpr const char* kErrorCaption = "エラー [ミルデア]";
constexpr const char* kQuestionCaption = "確認 [ミルデア]";

class WindowHost {
 public:
  using CommandHandler = std::function<void()>;
  using UpdateHandler = std::function<void(fw::CmdUI&)>;
  using MessageHandler = std::function<LRESULT(WPARAM, LPARAM)>;

  // The window that owns the rooms' dialogs and boxes.
  virtual HWND owner() const = 0;

  // Command routing (framework/frame_wnd.h says how a command is refused).
  virtual void onCommand(UINT id, CommandHandler handler, UpdateHandler update = {}) = 0;
  virtual void onUpdate(UINT id, UpdateHandler update) = 0;
  virtual void onMessage(UINT message, MessageHandler handler) = 0;
  // Runs `work` as part of command `id`: its failure is reported as the
  // command's own.
  virtual void runCommand(UINT id, const std::function<void()>& work) = 0;

  // The title again, from the open document.
  virtual void updateTitle() = 0;
  // The keyboard focus back to the text.
  virtual void focusText() = 0;

  // A new, empty text control, made as the current one (font, read-only
  // mode) but wrapping lines or not as `wordWrap` says; null on failure.
  virtual std::unique_ptr<EditCtrl> makeEditCtrl(bool wordWrap) = 0;
  // Makes `edit` the document's control in place of the current one, which
  // is destroyed, and lays the window out again.
  virtual void installEditCtrl(std::unique_ptr<EditCtrl> edit) = 0;

  // Boxes owned by the window, with the shared captions; fw::messageBox's
  // answer comes back.
  int showError(const std::string& text);
  int ask(const std::string& text, UINT type);

 protected:
  ~WindowHost() = default;
};
