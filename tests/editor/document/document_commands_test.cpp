// The document's lifecycle driven through the main window: opening with its
// password loop, the save-changes prompt, Save and Save As with their
// password panel, the two document formats, the ".LOG" stamp, shortcuts,
// and documents shared with the vtxt tool.  Every box and dialog is answered by the scripted responder.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "document/document_files.h"
#include "document/machine_serial.h"
#include "document/strong_document.h"
#include "editor/datetime/date_time.h"
#include "editor/document/document_commands.h"
#include "editor/document/shortcut.h"
#include "editor/res/resource.h"
#include "tests/editor/editor_fixture.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "orka/errors/error.h"
#include "orka/files/file_faults.h"
#include "orka/text/codepage.h"
#include "orka/text/wide.h"
#include "support/read_only.h"
#include "vtxt/run_program.h"

namespace {

using fw::ModalKind;
using fw::ModalRequest;
using fw::ScriptedModals;
using tolvane::DocumentFormat;

const char kSerial[] = "TEST-SERIAL-0001";
const std::string kWrong = "パスワードが間違っています。";
const std::string kOldWrong = "旧パスワードが一致しません。";
const std::string kConfirmWrong = "パスワードが確認用と一致しません。";

std::string ansi(const std::string& utf8) { return orka::utf8ToCodePage(utf8, 932).value(); }

// What was asked, one line each: a box's text, or the kind of dialog.
std::vector<std::string> asked(const ScriptedModals& modals) {
  std::vector<std::string> lines;
  for (const auto& seen : modals.seen()) {
    switch (seen.kind) {
      case ModalKind::MessageBox:
        lines.push_back(seen.text);
        break;
      case ModalKind::Dialog:
        lines.push_back(seen.templateId == IDD_INPUT_PASSWORD ? "<password>" : "<dialog>");
        break;
      case ModalKind::OpenFile:
        lines.push_back("<open>");
        break;
      case ModalKind::SaveFile:
        lines.push_back("<save as>");
        break;
      default:
        lines.push_back("<other>");
    }
  }
  return lines;
}

void typePassword(ScriptedModals& modals, const std::string& password) {
  modals.answer(IDOK, [password](ModalRequest& r) { r.dialog->setItemText(IDC_PASSWORD, password); });
}

struct SaveAsFields {
  std::string path, oldPassword, newPassword, confirmation;
};

void fillSaveAs(ScriptedModals& modals, const SaveAsFields& f) {
  modals.answer(IDOK, [f](ModalRequest& r) {
    r.path = f.path;
    r.dialog->setItemText(IDC_OLD_PASSWORD, f.oldPassword);
    r.dialog->setItemText(IDC_NEW_PASSWORD, f.newPassword);
    r.dialog->setItemText(IDC_CONFIRM_PASSWORD, f.confirmation);
  });
}

// A file dropped on the window, as the shell hands it over.
void dropFile(HWND window, const std::string& path) {
  const std::wstring name = orka::widen(path);
  const size_t bytes = sizeof(DROPFILES) + (name.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GHND, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop + 1), name.c_str(), name.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

class DocumentCommandsTest : public EditorTest {
 protected:
  void SetUp() override {
    tolvane::setMachineSerialSource([] { return std::optional<std::string>(kSerial); });
  }
  void TearDown() override {
    EditorTest::TearDown();
    tolvane::setMachineSerialSource(nullptr);
  }

  // The editor with new strong keys made cheaply: the moderate cost would
  // spend 256 MiB on every Save As.
  CMainWnd& start(std::vector<std::string> parameters = {}) {
    CMainWnd& window = EditorTest::start(std::move(parameters));
    window.documents().setNewKeyCost(tolvane::kCheapestCost);
    return window;
  }

  // A document as the editor writes it; text and password in UTF-8.
  std::string document(const std::string& name, const std::string& text, const std::string& password = "",
                       DocumentFormat format = DocumentFormat::kClassic) {
    const std::string path = dir_.path(name);
    const std::string bytes = ansi(text);
    tolvane::writeDocument(path, tolvane::newKeyring(format, ansi(password), tolvane::kCheapestCost),
                           bytes.data(), static_cast<uint32_t>(bytes.size()));
    return path;
  }
  // The text of a document of either format as ANSI bytes; nothing when the
  // password is wrong.
  std::optional<std::string> readBack(const std::string& path, const std::string& password) {
    try {
      auto stream = tolvane::readDocument(path, tolvane::keyringForDocument(path, ansi(password)));
      return std::string(reinterpret_cast<const char*>(stream->data()));
    } catch (const orka::Error&) {
      return std::nullopt;
    }
  }

  // Opens `path` in the started window, typing `password` once.
  void open(const std::string& path, const std::string& password) {
    ScriptedModals modals;
    typePassword(modals, password);
    window_->openDocument(path);
    ASSERT_EQ(modals.pending(), 0u);
    ASSERT_EQ(modals.unexpected(), 0);
  }
  // Typed at the end of the text.
  void type(const std::string& utf8) {
    EditCtrl& edit = *window_->editCtrl();
    edit.setSelection(edit.textLength(), -1);
    edit.replaceSelection(ansi(utf8), true);
  }
  std::string text() const { return window_->editCtrl()->text(); }
  bool modified() const { return window_->editCtrl()->modified(); }
  bool saveEnabled() { return window_->commandState(ID_FILE_SAVE).enabled(); }
  std::string formatPane() {
    window_->updateControlBars();
    return window_->statusBar().paneText(window_->statusBar().commandToIndex(ID_INDICATOR_FORMAT));
  }
};

TEST_F(DocumentCommandsTest, WrongPasswordsAskAgainAndCancelKeepsTheDocument) {
  CMainWnd& window = start();
  const std::string first = document("first.vtxt", "一つ目", "one");
  open(first, "one");
  type("と追加");
  const std::string second = document("second.vtxt", "二つ目", "two");

  ScriptedModals modals;
  for (const char* wrong : {"One", "one ", "二"}) {
    typePassword(modals, wrong);
    modals.answer(IDOK);
  }
  modals.answer(IDCANCEL);
  window.openDocument(second);
  EXPECT_EQ(asked(modals), (std::vector<std::string>{"<password>", kWrong, "<password>", kWrong, "<password>",
                                                     kWrong, "<password>"}));
  EXPECT_EQ(text(), ansi("一つ目と追加"));
  EXPECT_TRUE(modified());
  EXPECT_EQ(window.currentDocument().path, first);
  EXPECT_EQ(window.windowText(), "first.vtxt - ミルデア");

  // The right one, after a wrong one, opens it.
  ScriptedModals again;
  typePassword(again, "one");
  again.answer(IDOK);
  typePassword(again, "two");
  window.openDocument(second);
  EXPECT_EQ(text(), ansi("二つ目"));
  EXPECT_FALSE(modified());
  EXPECT_FALSE(saveEnabled());
  EXPECT_EQ(window.windowText(), "second.vtxt - ミルデア");
  EXPECT_TRUE(window.currentDocument().opensWith("two"));
  EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());
}

TEST_F(DocumentCommandsTest, PasswordDialogShowsTheFullPathWithTheFocusInItsField) {
  CMainWnd& window = start();
  const std::string path = document("見える.vtxt", "x", "pw");
  ScriptedModals modals;
  modals.answer(IDOK, [&](ModalRequest& r) {
    EXPECT_EQ(r.dialog->itemText(IDC_PASSWORD_PATH), path);
    EXPECT_EQ(GetFocus(), r.dialog->item(IDC_PASSWORD));
    EXPECT_TRUE(GetWindowLongPtrW(r.dialog->item(IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    r.dialog->setItemText(IDC_PASSWORD, "pw");
  });
  window.openDocument(path);
  EXPECT_EQ(text(), "x");
}

TEST_F(DocumentCommandsTest, SilentModeTriesTheDefaultPasswordFirst) {
  struct Case {
    const char* name;
    const char* password;  // of the document
    bool serialAvailable;
    std::vector<std::string> asked;
  };
  const Case cases[] = {
      {"default password: no dialog", "", true, {}},
      {"real password: the dialog, no message", "secret", true, {"<password>"}},
      {"no default key: the dialog at once, no message", "secret", false, {"<password>"}},
  };
  Settings stored;
  stored.hidePasswordDialog = true;
  writeSettings(stored);
  CMainWnd& window = start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.execute(ID_FILE_NEW);
    const std::string path = document("silent.vtxt", "静か", c.password);
    if (!c.serialAvailable) tolvane::setMachineSerialSource([] { return std::optional<std::string>(); });
    ScriptedModals modals;
    if (!c.asked.empty() && c.asked[0] == "<password>") typePassword(modals, c.password);
    window.openDocument(path);
    EXPECT_EQ(asked(modals), c.asked);
    EXPECT_EQ(text(), ansi("静か"));
    EXPECT_EQ(window.currentDocument().path, path);
    tolvane::setMachineSerialSource([] { return std::optional<std::string>(kSerial); });
  }
}

TEST_F(DocumentCommandsTest, FailedOpensChangeNothing) {
  CMainWnd& window = start();
  const std::string damaged = dir_.write("damaged.vtxt", std::string(32, '\x5A'));
  const std::string missing = dir_.path("missing.vtxt");
  const std::string huge = dir_.path("huge.vtxt");
  // A strong document refuses any change to its bytes as a wrong password.
  document("strong.vtxt", "強い", "pw", DocumentFormat::kStrong);
  const std::string strong = dir_.read("strong.vtxt");
  const std::string cut = dir_.write("cut.vtxt", strong.substr(0, strong.size() - 1));
  const std::string headerOnly = dir_.write("header.vtxt", strong.substr(0, tolvane::kStrongHeaderSize));
  const std::string longer = dir_.write("longer.vtxt", strong + '\0');
  std::string changedBytes = strong;
  changedBytes[tolvane::kStrongHeaderSize + 1] ^= 1;
  const std::string changed = dir_.write("changed.vtxt", changedBytes);
  // One byte more than the control takes; it compresses to almost nothing.
  dir_.write("huge.vtxt",
             document_test::zeroTextFile(EditCtrl::kMaxBytes + 1u, tolvane::makeDocumentKey("pw")));
  struct Case {
    const char* name;
    std::string path;
    std::vector<std::string> asked;
    bool failingReader;
  };
  const Case cases[] = {
      {"damaged: like a wrong password", damaged, {"<password>", kWrong, "<password>"}, false},
      {"strong, cut short", cut, {"<password>", kWrong, "<password>"}, false},
      {"strong, only its header", headerOnly, {"<password>", kWrong, "<password>"}, false},
      {"strong, a byte after the end", longer, {"<password>", kWrong, "<password>"}, false},
      {"strong, a byte changed", changed, {"<password>", kWrong, "<password>"}, false},
      {"missing", missing, {"<password>", "ファイルが見つかりません。\n\n" + missing}, false},
      {"too large for the control",
       huge,
       {"<password>", "ファイルが大きすぎるため開けません。\n\n" + huge},
       false},
      {"out of memory", damaged, {"<password>", "メモリが足りないため開けません。\n\n" + damaged}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.editCtrl()->setText("before");
    window.editCtrl()->setModified(true);
    window.documents().setReader({});
    if (c.failingReader) {
      window.documents().setReader(
          [](const std::string&, const tolvane::DocumentKeyring&) -> std::unique_ptr<orka::MemWriteStream> {
            throw std::bad_alloc();
          });
    }
    ScriptedModals modals;
    typePassword(modals, "pw");
    modals.answer(IDOK);
    window.openDocument(c.path);
    EXPECT_EQ(asked(modals), c.asked);
    EXPECT_EQ(text(), "before");
    EXPECT_TRUE(modified());
    EXPECT_EQ(window.windowText(), "無題 - ミルデア");
  }
}

// The operations that would discard unsaved text, each asking first.
enum class Operation { New, Open, Exit, Drop, LogOff };

class SaveChangesPromptTest : public DocumentCommandsTest, public ::testing::WithParamInterface<Operation> {
 protected:
  // Carries out the operation; whether it went on past the prompt.
  bool run(const std::string& other) {
    HWND hwnd = window_->hwnd();
    switch (GetParam()) {
      case Operation::New:
        window_->execute(ID_FILE_NEW);
        return text().empty();
      case Operation::Open:
        window_->execute(ID_FILE_OPEN);
        return text() == "other";
      case Operation::Exit:
        window_->execute(ID_APP_EXIT);
        pump();
        return !IsWindow(hwnd);
      case Operation::Drop:
        dropFile(hwnd, other);
        return text() == "other";
      case Operation::LogOff:
        return SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) == TRUE;
    }
    return false;
  }
};

TEST_P(SaveChangesPromptTest, YesNoAndCancel) {
  struct Case {
    const char* name;
    bool untitled;
    bool readOnlyFile;
    int answer;
    bool goesOn;
  };
  const Case cases[] = {
      {"cancel", false, false, IDCANCEL, false},
      {"no", false, false, IDNO, true},
      {"yes, saved", false, false, IDYES, true},
      {"yes, the save fails", false, true, IDYES, false},
      {"yes on an untitled text, Save As cancelled", true, false, IDYES, false},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    const std::string other = document("other.vtxt", "other", "pw");
    const std::string mine = document("mine" + std::to_string(++round) + ".vtxt", "mine", "pw");
    if (!c.untitled) open(mine, "pw");
    if (c.readOnlyFile) testing_support::makeReadOnly(mine);
    type("+");

    ScriptedModals modals;
    modals.answer(c.answer);
    if (c.readOnlyFile) modals.answer(IDOK);  // the save failure
    if (c.untitled) modals.answer(IDCANCEL);  // Save As
    if (c.goesOn && GetParam() == Operation::Open) modals.answerPath(other);
    if (c.goesOn && (GetParam() == Operation::Open || GetParam() == Operation::Drop))
      typePassword(modals, "pw");
    EXPECT_EQ(run(other), c.goesOn);
    const std::string expectedQuestion = "ファイル " + (c.untitled ? std::string("無題") : mine) +
                                         " の内容は変更されています。\n\n変更を保存しますか？";
    ASSERT_FALSE(modals.seen().empty());
    EXPECT_EQ(modals.seen()[0].text, expectedQuestion);
    EXPECT_EQ(modals.seen()[0].caption, "確認 [ミルデア]");
    EXPECT_EQ(modals.seen()[0].style, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONEXCLAMATION));
    EXPECT_EQ(modals.pending(), 0u);
    if (c.answer == IDYES && !c.readOnlyFile && !c.untitled) {
      EXPECT_EQ(readBack(mine, "pw"), "mine+");
    }
    if (!c.goesOn) {
      EXPECT_TRUE(modified());
    }
    window_.reset();
    pump();
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, SaveChangesPromptTest,
                         ::testing::Values(Operation::New, Operation::Open, Operation::Exit, Operation::Drop,
                                           Operation::LogOff));

TEST_F(DocumentCommandsTest, DropOnAnUnmodifiedDocumentOpensWithoutAsking) {
  CMainWnd& window = start();
  const std::string path = document("dropped.vtxt", "dropped", "pw");
  ScriptedModals modals;
  typePassword(modals, "pw");
  dropFile(window.hwnd(), path);
  EXPECT_EQ(asked(modals), std::vector<std::string>{"<password>"});
  EXPECT_EQ(text(), "dropped");
}

TEST_F(DocumentCommandsTest, SaveKeepsNameAndKeyAndReportsTheFileItCouldNotWrite) {
  CMainWnd& window = start();
  const std::string path = document("saved.vtxt", "本文", "pw");
  open(path, "pw");
  type("追記");
  EXPECT_TRUE(saveEnabled());
  {
    ScriptedModals modals;
    EXPECT_TRUE(window.execute(ID_FILE_SAVE));
    EXPECT_TRUE(modals.seen().empty()) << "no password is asked";
  }
  EXPECT_EQ(readBack(path, "pw"), ansi("本文追記"));
  EXPECT_FALSE(modified());
  EXPECT_FALSE(saveEnabled());
  EXPECT_EQ(window.windowText(), "saved.vtxt - ミルデア");

  type("!");
  testing_support::makeReadOnly(path);
  ScriptedModals modals;
  modals.answer(IDOK);
  window.execute(ID_FILE_SAVE);
  EXPECT_EQ(asked(modals), std::vector<std::string>{"ファイルの保存に失敗しました。\n\n" + path});
  EXPECT_EQ(modals.seen()[0].caption, "エラー [ミルデア]");
  EXPECT_TRUE(modified());
  EXPECT_EQ(readBack(path, "pw"), ansi("本文追記"));
  EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());
}

// A replacement that lost the old file leaves the text only in the
// temporary file: the box names that file, not the document's.
TEST_F(DocumentCommandsTest, SaveThatLostTheOldFileNamesTheFileThatHoldsTheText) {
  CMainWnd& window = start();
  const std::string path = document("lost.vtxt", "本文", "pw");
  open(path, "pw");
  type("追記");
  ScriptedModals modals;
  modals.answer(IDOK);
  orka::detail::setFaultHook([](orka::detail::FileStep step) {
    return step == orka::detail::FileStep::kReplace ? orka::detail::StepOutcome::kPartial
                                                    : orka::detail::StepOutcome::kProceed;
  });
  const bool saved = window.saveDocument();
  orka::detail::setFaultHook(nullptr);
  EXPECT_FALSE(saved);
  ASSERT_EQ(modals.seen().size(), 1u);
  const std::string shown = modals.seen()[0].text;
  const std::string lead = "ファイルの置き換えに失敗しました。保存した内容は次のファイルに残っています。\n\n";
  ASSERT_EQ(shown.compare(0, lead.size(), lead), 0) << shown;
  const std::string kept = shown.substr(lead.size());
  EXPECT_NE(kept, path);
  EXPECT_EQ(readBack(kept, "pw"), ansi("本文追記"));
  EXPECT_TRUE(modified());
}

TEST_F(DocumentCommandsTest, SaveAsOnAnUntitledDocumentAsksOnlyForTheNewPassword) {
  CMainWnd& window = start();
  type("新しい文書");
  const std::string path = dir_.path("new.vtxt");
  ScriptedModals modals;
  modals.answer(IDOK, [&](ModalRequest& r) {
    EXPECT_EQ(r.templateId, static_cast<UINT>(IDD_SAVE_PASSWORDS));
    EXPECT_EQ(r.path, "") << "no proposed name";
    EXPECT_FALSE(r.dialog->isItemEnabled(IDC_OLD_PASSWORD));
    EXPECT_FALSE(r.dialog->isItemEnabled(IDC_OLD_PASSWORD_LABEL));
    r.dialog->setItemText(IDC_OLD_PASSWORD, "ignored");
    r.path = path;
  });
  window.execute(ID_FILE_SAVE);  // untitled: Save is Save As
  EXPECT_EQ(asked(modals), std::vector<std::string>{"<save as>"});
  EXPECT_EQ(readBack(path, ""), ansi("新しい文書")) << "empty fields: the default password";
  EXPECT_EQ(window.windowText(), "new.vtxt - ミルデア");
  EXPECT_FALSE(modified());
}

TEST_F(DocumentCommandsTest, SaveAsChecksTheOldPasswordThenTheConfirmation) {
  CMainWnd& window = start();
  const std::string original = document("original.vtxt", "文", "old");
  open(original, "old");
  const std::string renamed = dir_.path("renamed.vtxt");

  ScriptedModals modals;
  fillSaveAs(modals, {renamed, "wrong", "new", "typo"});  // both wrong
  modals.answer(IDOK);
  fillSaveAs(modals, {renamed, "old", "new", "typo"});
  modals.answer(IDOK);
  modals.answer(IDOK, [&](ModalRequest& r) {
    // What the mismatch left behind: the confirmation emptied, the focus on
    // the new password, which keeps its text.
    EXPECT_EQ(r.dialog->itemText(IDC_CONFIRM_PASSWORD), "");
    EXPECT_EQ(r.dialog->itemText(IDC_NEW_PASSWORD), "new");
    EXPECT_EQ(GetFocus(), r.dialog->item(IDC_NEW_PASSWORD));
    r.path = renamed;
    r.dialog->setItemText(IDC_NEW_PASSWORD, "café");
    r.dialog->setItemText(IDC_CONFIRM_PASSWORD, "café");
  });
  modals.answer(IDOK);
  fillSaveAs(modals, {renamed, "old", "新しい", "新しい"});
  window.execute(ID_FILE_SAVE_AS);

  const std::vector<std::string> lines = asked(modals);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[1], kOldWrong) << "only the first failing check speaks";
  EXPECT_EQ(lines[3], kConfirmWrong);
  EXPECT_EQ(lines[5].rfind("パスワードに使えない文字が含まれています。", 0), 0u) << lines[5];
  EXPECT_EQ(modals.seen()[1].caption, "エラー [ミルデア]");
  EXPECT_EQ(modals.pending(), 0u);
  EXPECT_EQ(readBack(renamed, "新しい"), ansi("文"));
  EXPECT_EQ(readBack(original, "old"), ansi("文")) << "the old file stays";
  EXPECT_EQ(window.currentDocument().path, renamed);
  EXPECT_EQ(window.windowText(), "renamed.vtxt - ミルデア");
}

TEST_F(DocumentCommandsTest, SaveAsThatFailsToWriteStillTakesTheNewName) {
  CMainWnd& window = start();
  type("x");
  const std::string nowhere = dir_.path("no such folder/doc.vtxt");
  ScriptedModals modals;
  fillSaveAs(modals, {nowhere, "", "pw", "pw"});
  modals.answer(IDOK);
  EXPECT_FALSE(window.saveDocumentAs());
  EXPECT_EQ(asked(modals),
            (std::vector<std::string>{"<save as>", "ファイルの保存に失敗しました。\n\n" + nowhere}));
  EXPECT_EQ(window.windowText(), "doc.vtxt - ミルデア");
  EXPECT_TRUE(window.currentDocument().opensWith("pw"));
  EXPECT_TRUE(modified());
}

TEST_F(DocumentCommandsTest, SaveAsWithoutAnyDefaultKeyChangesNothing) {
  CMainWnd& window = start();
  const std::string path = document("doc.vtxt", "x", "pw");
  open(path, "pw");
  tolvane::setMachineSerialSource([] { return std::optional<std::string>(); });
  for (const SaveAsFields& fields : {SaveAsFields{dir_.path("a.vtxt"), "", "", ""},       // old password
                                     SaveAsFields{dir_.path("a.vtxt"), "pw", "", ""}}) {  // new password
    ScriptedModals modals;
    fillSaveAs(modals, fields);
    modals.answer(IDOK);
    EXPECT_FALSE(window.saveDocumentAs());
    EXPECT_EQ(asked(modals),
              (std::vector<std::string>{"<save as>", "ファイルの保存に失敗しました。\n\n" + path}));
    EXPECT_EQ(window.currentDocument().path, path);
  }
}

TEST_F(DocumentCommandsTest, OpensEitherFormatFromTheVtxtToolAndSaveKeepsIt) {
  const std::string password = dir_.write("pw.txt", "合言葉\n");
  struct Case {
    const char* format;  // vtxt's name of it
    DocumentFormat expected;
    const char* pane;
  };
  const Case cases[] = {
      {"classic", DocumentFormat::kClassic, "互換形式"},
      {"strong", DocumentFormat::kStrong, "新形式"},  // at the tool's own, moderate cost
  };
  CMainWnd& window = start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string path = dir_.path(std::string(c.format) + ".vtxt");
    auto write = vtxt_test::runProgram(VTXT_PROGRAM,
                                       {"write", "--format", c.format, "--password-file", password, path},
                                       "ツールから", dir_.path());
    ASSERT_EQ(write.exitCode, 0) << write.err;
    open(path, "合言葉");
    EXPECT_EQ(text(), ansi("ツールから"));
    EXPECT_EQ(formatPane(), c.pane);

    type("と追記");
    ScriptedModals modals;
    ASSERT_TRUE(window.saveDocument());
    EXPECT_TRUE(modals.seen().empty());
    EXPECT_EQ(tolvane::documentFormat(path), c.expected);
    // Read with the window's keyring: Save made no new one, so the file
    // keeps the salt and costs it was opened with.
    window.currentDocument().useKeyring([&](const tolvane::DocumentKeyring& keyring) {
      auto saved = tolvane::readDocument(path, keyring);
      EXPECT_STREQ(reinterpret_cast<const char*>(saved->data()), ansi("ツールからと追記").c_str());
    });
    if (c.expected == DocumentFormat::kStrong) {
      EXPECT_EQ(tolvane::readStrongHeader(path).cost, tolvane::kModerateCost);
    }
  }
}

// A strong document made cheaply does not stay cheap: once opened with its
// password, its next save has the costs of a new password and a fresh salt.
TEST_F(DocumentCommandsTest, SavingAWeakStrongDocumentRaisesItsCostsWithAFreshSalt) {
  CMainWnd& window = start();
  const tolvane::KeyDerivationCost stronger{2, 16};
  window.documents().setNewKeyCost(stronger);
  const std::string path = document("weak.vtxt", "文", "pw", DocumentFormat::kStrong);
  const tolvane::StrongHeader before = tolvane::readStrongHeader(path);
  open(path, "pw");
  type("書");
  ASSERT_TRUE(window.saveDocument());
  const tolvane::StrongHeader after = tolvane::readStrongHeader(path);
  EXPECT_EQ(after.cost, stronger);
  EXPECT_NE(after.salt, before.salt);
  EXPECT_EQ(readBack(path, "pw"), ansi("文書"));
}

TEST_F(DocumentCommandsTest, SaveAsOffersTheDocumentsFormatAndSavesInTheChosenOne) {
  struct Case {
    const char* name;
    std::optional<DocumentFormat> source;  // none: untitled
    bool newDocumentsStrong;
    bool offered;  // the box at first
    bool chosen;   // the box when confirmed
    const char* pane;
  };
  const Case cases[] = {
      {"untitled, classic by default", std::nullopt, false, false, true, "互換形式"},
      {"untitled, strong preferred", std::nullopt, true, true, false, "新形式"},
      {"classic to strong", DocumentFormat::kClassic, true, false, true, "互換形式"},
      {"strong to classic", DocumentFormat::kStrong, false, true, false, "新形式"},
      {"strong stays strong", DocumentFormat::kStrong, false, true, true, "新形式"},
  };
  CMainWnd& window = start();
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.execute(ID_FILE_NEW);
    // Through the security setting, as the user sets it.
    window.security().strongNewDocuments = c.newDocumentsStrong;
    if (c.source) open(document("source.vtxt", "文", "old", *c.source), "old");
    type("書");
    EXPECT_EQ(formatPane(), c.pane);

    const std::string target = dir_.path("target" + std::to_string(++round) + ".vtxt");
    ScriptedModals modals;
    modals.answer(IDOK, [&](ModalRequest& r) {
      EXPECT_EQ(r.dialog->isChecked(IDC_STRONG_FORMAT), c.offered);
      r.dialog->setChecked(IDC_STRONG_FORMAT, c.chosen);
      r.path = target;
      r.dialog->setItemText(IDC_OLD_PASSWORD, "old");
      r.dialog->setItemText(IDC_NEW_PASSWORD, "new");
      r.dialog->setItemText(IDC_CONFIRM_PASSWORD, "new");
    });
    ASSERT_TRUE(window.saveDocumentAs());
    EXPECT_EQ(asked(modals), std::vector<std::string>{"<save as>"});
    const DocumentFormat chosen = c.chosen ? DocumentFormat::kStrong : DocumentFormat::kClassic;
    EXPECT_EQ(tolvane::documentFormat(target), chosen);
    EXPECT_EQ(readBack(target, "new"), ansi(c.source ? "文書" : "書"));
    EXPECT_EQ(formatPane(), c.chosen ? "新形式" : "互換形式");
    if (c.chosen) {
      EXPECT_EQ(tolvane::readStrongHeader(target).cost, tolvane::kCheapestCost);
    }
  }
}

TEST_F(DocumentCommandsTest, LogStampGoesAtTheEndOfAnyLongText) {
  SYSTEMTIME at{};
  at.wYear = 2024;
  at.wMonth = 3;
  at.wDay = 9;
  at.wHour = 14;
  at.wMinute = 5;
  LocalClock previous = setLocalClock([at] { return at; });
  const std::string stamp = "\r\n2024/03/09 14:05\r\n";
  const std::string longText = ".LOG\r\n" + std::string(70000, 'a');
  struct Case {
    const char* name;
    std::string text;
    bool readOnly;
    bool stamped;
  };
  const Case cases[] = {
      {"longer than 65535 characters", longText, false, true},
      {"only the marker", ".LOG", false, true},
      {"lower case", ".log\r\n", false, false},
      {"read-only mode", ".LOG", true, false},
  };
  CMainWnd& window = start();
  window.settings().dateFormat = "yyyy/MM/dd HH:mm";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.setReadOnlyMode(c.readOnly);
    open(document("log.vtxt", c.text, "pw"), "pw");
    EditCtrl& edit = *window.editCtrl();
    const std::string expected = c.stamped ? c.text + stamp : c.text;
    EXPECT_EQ(text(), expected);
    EXPECT_EQ(modified(), c.stamped);
    if (!c.stamped) continue;
    EXPECT_EQ(edit.selection().start, static_cast<int>(expected.size())) << "caret after the stamp";
    edit.send(EM_UNDO);
    EXPECT_EQ(text(), c.text) << "undoable";
  }
  setLocalClock(previous);
}

// A shell shortcut at `at` to `target`, as the shell saves one (COM started).
void makeShortcut(const std::string& target, const std::string& at) {
  IShellLinkW* link = nullptr;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                         reinterpret_cast<void**>(&link))));
  link->SetPath(orka::widen(target).c_str());
  IPersistFile* file = nullptr;
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
  EXPECT_TRUE(SUCCEEDED(file->Save(orka::widen(at).c_str(), TRUE)));
  file->Release();
  link->Release();
}

TEST_F(DocumentCommandsTest, ShortcutOpensItsTarget) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  const std::string target = document("target.vtxt", "的", "pw");
  const std::string shortcut = dir_.path("link.lnk");
  makeShortcut(target, shortcut);
  CMainWnd& window = start();
  ScriptedModals modals;
  modals.answer(IDOK, [&](ModalRequest& r) {
    EXPECT_EQ(r.dialog->itemText(IDC_PASSWORD_PATH), target);
    r.dialog->setItemText(IDC_PASSWORD, "pw");
  });
  window.openDocument(shortcut);
  EXPECT_EQ(text(), ansi("的"));
  EXPECT_EQ(window.windowText(), "target.vtxt - ミルデア");
  EXPECT_EQ(window.currentDocument().path, target);
  window_.reset();
  CoUninitialize();
}

TEST_F(DocumentCommandsTest, OnlyFilesThatAreShellLinksGoToTheShell) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  const std::string target = document("target.vtxt", "的", "pw");
  makeShortcut(target, dir_.path("link.lnk"));
  const std::string link = dir_.read("link.lnk");
  struct Case {
    const char* name;
    std::string path;
    bool isLink;
  };
  const Case cases[] = {
      {"a shortcut", dir_.path("link.lnk"), true},
      {"a shortcut under another name", dir_.write("link.vtxt", link), true},
      {"a document named like a shortcut", dir_.write("doc.lnk", dir_.read("target.vtxt")), false},
      {"the link header cut short", dir_.write("short.lnk", link.substr(0, 19)), false},
      {"an empty file", dir_.write("empty.lnk", ""), false},
      {"no file", dir_.path("missing.lnk"), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(isShellLink(c.path), c.isLink);
    if (!c.isLink) {
      EXPECT_EQ(resolveShortcut(c.path, nullptr), std::nullopt);
    }
  }
  EXPECT_EQ(resolveShortcut(dir_.path("link.vtxt"), nullptr), target);
  CoUninitialize();
}

TEST_F(DocumentCommandsTest, RelativePathOnTheCommandLineIsTakenFromTheStartingFolder) {
  const std::string path = document("relative.vtxt", "相対", "pw");
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryW(orka::widen(dir_.path()).c_str()));
  ScriptedModals modals;
  typePassword(modals, "pw");
  CMainWnd& window = start({"relative.vtxt"});
  SetCurrentDirectoryW(before);  // as a later Open dialog might
  EXPECT_EQ(window.currentDocument().path, path);
  EXPECT_EQ(text(), ansi("相対"));
}

// Both programs make a key by the same rule, look-alikes included: what
// Japanese users type as 〜 or − is the code page's own form in either.
TEST_F(DocumentCommandsTest, DocumentsTravelBetweenTheEditorAndTheVtxtTool) {
  const char* const passwords[] = {"合言葉", "\u00A5\u203E\u00A2\u00A3\u00AC\u301C\u2212\u2014\u2016x"};
  CMainWnd& window = start();
  std::string previous;  // the open document's password
  for (const std::string password : passwords) {
    SCOPED_TRACE(password);
    const std::string passwordFile = dir_.write("pw.txt", password + "\n");
    const std::string fromEditor = dir_.path("editor" + std::to_string(password.size()) + ".vtxt");
    const std::string fromTool = dir_.path("tool" + std::to_string(password.size()) + ".vtxt");
    window.editCtrl()->setText("");
    type("エディタから\r\n二行目");
    ScriptedModals modals;
    fillSaveAs(modals, {fromEditor, previous, password, password});
    ASSERT_TRUE(window.saveDocumentAs());
    EXPECT_EQ(modals.unexpected(), 0);

    auto cat = vtxt_test::runProgram(VTXT_PROGRAM, {"cat", "--password-file", passwordFile, fromEditor}, "",
                                     dir_.path());
    EXPECT_EQ(cat.exitCode, 0) << cat.err;
    EXPECT_EQ(cat.out, "エディタから\r\n二行目");

    auto write = vtxt_test::runProgram(VTXT_PROGRAM, {"write", "--password-file", passwordFile, fromTool},
                                       "ツールから", dir_.path());
    ASSERT_EQ(write.exitCode, 0) << write.err;
    open(fromTool, password);
    EXPECT_EQ(text(), ansi("ツールから"));
    previous = password;
  }
}

}  // namespace
