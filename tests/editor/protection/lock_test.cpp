// Lock and unlock through the main window: what locking hides and refuses,
// the password loop that brings the document back, Exit while locked, the
// automatic locks, and the clipboard's own copy.  Every dialog is answered
// by the scripted responder.
#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "document/document.h"
#include "editor/command_failure.h"
#include "editor/document/document_commands.h"
#include "editor/protection/auto_lock.h"
#include "editor/protection/document_lock.h"
#include "editor/res/resource.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "orka/errors/error.h"
#include "orka/text/codepage.h"
#include "tests/editor/editor_fixture.h"

namespace {

using fw::ModalRequest;
using fw::ScriptedModals;

std::string sjis(const std::string& utf8) { return orka::utf8ToCodePage(utf8, 932).value(); }

void answerPassword(ScriptedModals& modals, const char* password) {
  modals.answer(IDOK, [password](ModalRequest& r) { r.dialog->setItemText(IDC_PASSWORD, password); });
}

class LockTest : public EditorTest {
 protected:
  // Starts the editor with a document whose password is "鍵pw" holding
  // "元の文" and then, as an undoable edit, "元の文と追記".
  CMainWnd& startWithDocument() {
    const std::string path = dir_.path("秘密.vtxt");
    const std::string text = sjis("元の文");
    tolvane::writeDocument(path, tolvane::makeDocumentKey(sjis("鍵pw")), text.data(),
                           static_cast<uint32_t>(text.size()));
    CMainWnd& window = start();
    ScriptedModals modals;
    answerPassword(modals, kPassword);
    window.openDocument(path);
    EXPECT_EQ(modals.unexpected(), 0);
    EditCtrl& edit = *window.editCtrl();
    edit.setSelection(edit.textLength(), -1);
    edit.replaceSelection(sjis("と追記"), true);
    return window;
  }
  bool enabled(UINT id) { return window_->commandState(id).enabled(); }

  static constexpr const char* kPassword = "鍵pw";
};

TEST_F(LockTest, LockHidesTheDocumentAndTheRightPasswordBringsAllOfItBack) {
  CMainWnd& window = startWithDocument();
  window.editCtrl()->setSelection(2, 6);
  window.setReadOnlyMode(true);
  ASSERT_TRUE(window.execute(ID_FILE_LOCK));

  EXPECT_EQ(window.windowText(), "ロック中 - ミルデア");
  EXPECT_EQ(window.editCtrl()->textLength(), 0);
  EXPECT_FALSE(IsWindowEnabled(window.editCtrl()->hwnd()));
  EXPECT_TRUE(window.currentDocument().key.empty());
  for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_EDIT_SELECT_ALL, ID_EDIT_FIND,
                  ID_EDIT_READ_ONLY, ID_SETTINGS_SECURITY, ID_APP_ABOUT})
    EXPECT_FALSE(enabled(id)) << id;
  EXPECT_TRUE(enabled(ID_FILE_LOCK));
  EXPECT_TRUE(enabled(ID_APP_EXIT));

  ScriptedModals modals;
  std::string shownPath;
  modals.answer(IDOK, [&](ModalRequest& r) {
    shownPath = r.dialog->itemText(IDC_PASSWORD_PATH);
    r.dialog->setItemText(IDC_PASSWORD, "鍵PW");
  });
  modals.answer(IDOK);  // the wrong-password box
  modals.answer(IDCANCEL);
  ASSERT_TRUE(window.execute(ID_FILE_LOCK));
  EXPECT_EQ(shownPath, window.currentDocument().path);
  ASSERT_EQ(modals.seen().size(), 3u);
  EXPECT_EQ(modals.seen()[1].text, "パスワードが間違っています。");
  EXPECT_TRUE(window.document().locked());

  answerPassword(modals, kPassword);
  ASSERT_TRUE(window.execute(ID_FILE_LOCK));
  EXPECT_EQ(modals.unexpected(), 0);
  EditCtrl& edit = *window.editCtrl();
  EXPECT_FALSE(window.document().locked());
  EXPECT_EQ(edit.text(), sjis("元の文と追記"));
  EXPECT_EQ(edit.selection().start, 2);
  EXPECT_EQ(edit.selection().end, 6);
  EXPECT_TRUE(edit.modified());
  EXPECT_TRUE(window.settings().readOnly);
  EXPECT_TRUE(IsWindowEnabled(edit.hwnd()));
  EXPECT_EQ(window.windowText(), "秘密.vtxt - ミルデア");
  EXPECT_TRUE(window.currentDocument().key.matches(tolvane::makeDocumentKey(sjis(kPassword))));
  window.setReadOnlyMode(false);
  edit.send(EM_UNDO);
  EXPECT_EQ(edit.text(), sjis("元の文"));
}

TEST_F(LockTest, UntitledDocumentCannotBeLocked) {
  CMainWnd& window = start();
  EXPECT_FALSE(window.commandState(ID_FILE_LOCK).enabled());
  EXPECT_FALSE(window.execute(ID_FILE_LOCK));
  EXPECT_FALSE(window.document().locked());
}

TEST_F(LockTest, ExitWhileLockedAsksForThePasswordOnlyWhenTheTextWasModified) {
  CMainWnd& window = startWithDocument();
  ASSERT_TRUE(window.documentLock().lock());
  {
    ScriptedModals modals;
    modals.answer(IDCANCEL);
    SendMessageW(window.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(modals.seen().size(), 1u);
    EXPECT_TRUE(IsWindow(window.hwnd()));
    EXPECT_TRUE(window.document().locked());
  }
  ScriptedModals modals;
  answerPassword(modals, kPassword);
  modals.answer(IDNO);  // the save question, about the text as it was
  close();
  EXPECT_EQ(modals.unexpected(), 0);
  EXPECT_EQ(modals.pending(), 0u);

  CMainWnd& again = startWithDocument();
  again.editCtrl()->setModified(false);
  ASSERT_TRUE(again.documentLock().lock());
  ScriptedModals none;
  close();
  EXPECT_TRUE(none.seen().empty());
}

// Whether there is unsaved text is the open document's one answer, locked or
// not, and each way the text could go asks it: the log-off, the save
// question, and the failure the editor cannot go on from.
TEST_F(LockTest, LockedUnsavedTextIsNeverLetGoUnasked) {
  CMainWnd& window = startWithDocument();
  ASSERT_TRUE(window.document().hasUnsavedChanges());
  ASSERT_TRUE(window.documentLock().lock());
  EXPECT_TRUE(window.document().hasUnsavedChanges());
  {
    ScriptedModals none;
    EXPECT_EQ(SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
    SendMessageW(window.hwnd(), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    EXPECT_FALSE(window.documents().querySaveChanges());
    EXPECT_TRUE(none.seen().empty());
  }
  ScriptedModals modals;
  modals.answer(IDOK);  // the error box
  answerPassword(modals, kPassword);
  modals.answer(IDCANCEL);  // the save question, about the whole text
  std::exception_ptr error = std::make_exception_ptr(orka::Error("壊れました。"));
  EXPECT_EQ(endAfterFailure(&window, error), 1);
  ASSERT_EQ(modals.seen().size(), 3u);
  EXPECT_EQ(modals.seen()[1].templateId, static_cast<UINT>(IDD_INPUT_PASSWORD));
  EXPECT_EQ(modals.seen()[2].text, "ファイル " + window.currentDocument().path +
                                       " の内容は変更されています。\n\n変更を保存しますか？");
  EXPECT_EQ(window.editCtrl()->text(), sjis("元の文と追記"));

  window.editCtrl()->setModified(false);
  ASSERT_TRUE(window.documentLock().lock());
  EXPECT_FALSE(window.document().hasUnsavedChanges());
  EXPECT_EQ(SendMessageW(window.hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
}

// A lock that comes while a dialog is open waits for it, and is not lost.
TEST_F(LockTest, AnAutomaticLockWaitsForAnOpenDialogAndComesWhenItCloses) {
  CMainWnd& window = startWithDocument();
  static HWND main;
  main = window.hwnd();
  // While the real Go to line dialog is up: Windows locks, then the user
  // cancels the dialog.
  SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SendMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) {
          if (GetWindow(window, GW_OWNER) == main) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
          return TRUE;
        },
        0);
  });
  ASSERT_TRUE(window.execute(ID_EDIT_GOTO_LINE));
  EXPECT_FALSE(window.document().locked());
  pump();
  EXPECT_TRUE(window.document().locked());
  EXPECT_EQ(window.windowText(), "ロック中 - ミルデア");
}

TEST_F(LockTest, LocksByItselfAsTheSecuritySettingsSay) {
  CMainWnd& window = startWithDocument();
  EXPECT_TRUE(window.security().lockOnSessionLock);
  SendMessageW(window.hwnd(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  EXPECT_FALSE(window.document().locked());
  window.autoLock().onMinimized();
  EXPECT_FALSE(window.document().locked());
  SendMessageW(window.hwnd(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  EXPECT_TRUE(window.document().locked());

  ScriptedModals modals;
  answerPassword(modals, kPassword);
  ASSERT_TRUE(window.documentLock().unlock());
  window.security().lockOnMinimize = true;
  window.autoLock().onMinimized();
  EXPECT_TRUE(window.document().locked());
}

// Sleep and hibernation lock through the automatic path, so that the
// memory written out holds only the sealed state.
TEST_F(LockTest, LocksBeforeSleepAsTheSettingSays) {
  struct Case {
    bool on;
    WPARAM event;
    bool locked;
  };
  const Case cases[] = {
      {false, PBT_APMSUSPEND, false},
      {true, PBT_APMRESUMEAUTOMATIC, false},
      {true, PBT_APMSUSPEND, true},
  };
  CMainWnd& window = startWithDocument();
  EXPECT_TRUE(window.security().lockOnSuspend);
  for (const Case& c : cases) {
    window.security().lockOnSuspend = c.on;
    PostMessageW(window.hwnd(), WM_POWERBROADCAST, c.event, 0);
    pump();
    EXPECT_EQ(window.document().locked(), c.locked) << c.on << " " << c.event;
    EXPECT_EQ(window.windowText() == "ロック中 - ミルデア", c.locked);
  }
}

TEST_F(LockTest, CopiesAreStampedAndLockEmptiesOnlyTheEditorsOwnCopy) {
  CMainWnd& window = startWithDocument();
  window.editCtrl()->setSelection(0, 2);
  ASSERT_TRUE(window.execute(ID_EDIT_COPY));
  for (const wchar_t* name : {L"ExcludeClipboardContentFromMonitorProcessing",
                              L"CanIncludeInClipboardHistory", L"CanUploadToCloudClipboard"})
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(name)));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE history = GetClipboardData(RegisterClipboardFormatW(L"CanIncludeInClipboardHistory"));
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(*static_cast<DWORD*>(GlobalLock(history)), 0u);
  GlobalUnlock(history);
  CloseClipboard();

  ASSERT_TRUE(window.documentLock().lock());
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));

  // Something copied elsewhere after the editor's copy stays.
  ScriptedModals modals;
  answerPassword(modals, kPassword);
  ASSERT_TRUE(window.documentLock().unlock());
  window.editCtrl()->setSelection(0, 2);
  ASSERT_TRUE(window.execute(ID_EDIT_COPY));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL other = GlobalAlloc(GMEM_MOVEABLE, sizeof(wchar_t) * 2);
  wchar_t* chars = static_cast<wchar_t*>(GlobalLock(other));
  chars[0] = L'x';
  chars[1] = 0;
  GlobalUnlock(other);
  SetClipboardData(CF_UNICODETEXT, other);
  CloseClipboard();
  ASSERT_TRUE(window.documentLock().lock());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

}  // namespace
