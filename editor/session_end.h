// SessionEnd: the main window's part in a log-off or shutdown.
//
// Windows asks every top-level window first (WM_QUERYENDSESSION) and then
// tells it the outcome (WM_ENDSESSION), after which the process may be ended
// at any moment without WM_CLOSE.  So the question a close asks comes here,
// and whether there is anything to lose is the open document's answer, the
// same locked or not:
//
//  - nothing unsaved: the log-off goes ahead without a word;
//  - unsaved text: the save question, while Windows shows why the editor
//    holds the log-off up (ShutdownBlockReasonCreate).  Yes saves, No lets
//    the text go, Cancel (or a failed save) answers FALSE and keeps
//    everything;
//  - unsaved text in a locked document: the answer is FALSE at once, with
//    "ロック中の文書に保存されていない変更があります。" as the reason.  The
//    user is away (that is why it locked); asking for the password then
//    would only hold the log-off up with a dialog nobody answers, and the
//    text stays sealed until the user comes back.
//
// The reason is withdrawn when Windows tells the outcome.  When the session
// really ends, the settings are written as a close writes them.  User-
// interface thread only.
#pragma once

#include <windows.h>

#include <functional>

class OpenDocument;
class WindowHost;

class SessionEnd {
 public:
  // `querySaveChanges` is the save question (document_commands.h);
  // `saveSettings` writes the settings as a close does; `keepUnsaved`
  // puts unsaved text somewhere safe first, since the process may end
  // while the question is still open.
  SessionEnd(WindowHost& host, const OpenDocument& document, std::function<bool()> querySaveChanges,
             std::function<void()> saveSettings, std::function<void()> keepUnsaved = {});

 private:
  LRESULT queryEndSession();
  LRESULT endSession(bool ending);
  void giveReason(UINT stringId);

  WindowHost& host_;
  const OpenDocument& document_;
  std::function<bool()> querySaveChanges_;
  std::function<void()> saveSettings_;
  std::function<void()> keepUnsaved_;
};
