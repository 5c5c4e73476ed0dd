// Dialogs from templates, the modal responder, and the common dialogs.
#include "framework/common_dialogs.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "orka/errors/error.h"
#include "test_frame.h"

#include <dlgs.h>

#include <gtest/gtest.h>

namespace fwtest {
namespace {

using fw::ModalKind;
using fw::ModalRequest;
using fw::ScriptedModals;

// Asks for a name; can insist on one, with a warning box, like the
// program's own dialogs that check their input.
class NameDialog : public fw::CDialog {
 public:
  NameDialog() : CDialog(IDD_TEST_DIALOG) {}

  BOOL OnInitDialog() override {
    setItemText(IDC_NAME, name);
    setChecked(IDC_AGREE, agree);
    return TRUE;
  }
  void OnOK() override {
    const std::string typed = itemText(IDC_NAME);
    if (requireName && typed.empty()) {
      fw::messageBox(hwnd(), "名前を入力してください。", "警告", MB_OK | MB_ICONEXCLAMATION);
      focusItem(IDC_NAME);
      return;
    }
    name = typed;
    agree = isChecked(IDC_AGREE);
    EndDialog(IDOK);
  }

  std::string name = "初期値";
  bool agree = false;
  bool requireName = false;
};

TEST(ScriptedDialog, ResponderSeesTheInitialisedControlsAndItsInputReachesOnOK) {
  ScriptedModals modals;
  std::string shown;
  modals.answer(IDOK, [&](ModalRequest& request) {
    shown = request.dialog->itemText(IDC_NAME);
    request.dialog->setItemText(IDC_NAME, "山田 太郎");
    request.dialog->setChecked(IDC_AGREE, true);
  });
  NameDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(shown, "初期値");
  EXPECT_EQ(dialog.name, "山田 太郎");
  EXPECT_TRUE(dialog.agree);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  ASSERT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(modals.seen()[0].kind, ModalKind::Dialog);
  EXPECT_EQ(modals.seen()[0].caption, "テスト ダイアログ");
  EXPECT_EQ(modals.seen()[0].templateId, static_cast<UINT>(IDD_TEST_DIALOG));
}

TEST(ScriptedDialog, RefusedOkKeepsTheDialogOpenAndItIsAskedAgain) {
  ScriptedModals modals;
  modals.answer(IDOK, [](ModalRequest& request) { request.dialog->setItemText(IDC_NAME, ""); });
  modals.answer(IDOK);      // the warning box
  modals.answer(IDCANCEL);  // then the user gives up
  NameDialog dialog;
  dialog.requireName = true;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.name, "初期値");
  ASSERT_EQ(modals.seen().size(), 3u);
  EXPECT_EQ(modals.seen()[1].kind, ModalKind::MessageBox);
  EXPECT_EQ(modals.seen()[1].text, "名前を入力してください。");
  EXPECT_EQ(modals.seen()[1].caption, "警告");
  EXPECT_EQ(modals.seen()[1].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(modals.seen()[2].kind, ModalKind::Dialog);
  EXPECT_EQ(modals.unexpected(), 0);
}

TEST(ScriptedDialog, UnansweredQuestionCancelsInsteadOfHanging) {
  ScriptedModals modals;
  NameDialog dialog;
  dialog.requireName = true;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(fw::messageBox(nullptr, "質問", "確認", MB_YESNO), IDCANCEL);
  EXPECT_EQ(modals.unexpected(), 2);
}

TEST(ScriptedDialog, DialogThatNeverClosesEndsAsCancelled) {
  ScriptedModals modals;
  for (int i = 0; i < 40; ++i)
    modals.answer(IDOK, [](ModalRequest& r) {
      if (r.dialog) r.dialog->setItemText(IDC_NAME, "");
    });
  NameDialog dialog;
  dialog.requireName = true;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.hwnd(), nullptr);
}

// Enables the name field only while the box is ticked.
class AgreeDialog : public NameDialog {
 public:
  BOOL OnInitDialog() override {
    NameDialog::OnInitDialog();
    enableItem(IDC_NAME, isChecked(IDC_AGREE));
    return TRUE;
  }
  bool OnCommand(UINT id, UINT code, HWND) override {
    if (id != IDC_AGREE || code != BN_CLICKED) return false;
    enableItem(IDC_NAME, isChecked(IDC_AGREE));
    return true;
  }
};

TEST(ScriptedDialog, ControlNotificationsReachOnCommand) {
  ScriptedModals modals;
  std::vector<bool> enabled;
  modals.answer(IDOK, [&](ModalRequest& request) {
    fw::CDialog& dialog = *request.dialog;
    enabled.push_back(dialog.isItemEnabled(IDC_NAME));
    SendMessageW(dialog.item(IDC_AGREE), BM_CLICK, 0, 0);
    enabled.push_back(dialog.isItemEnabled(IDC_NAME));
    SendMessageW(dialog.item(IDC_AGREE), BM_CLICK, 0, 0);
    enabled.push_back(dialog.isItemEnabled(IDC_NAME));
  });
  AgreeDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, false}));
  EXPECT_FALSE(dialog.agree);
}

TEST(MessageBox, ResponderAnswersAndTheQuestionIsRecorded) {
  ScriptedModals modals;
  modals.answer(IDNO);
  EXPECT_EQ(fw::messageBox(nullptr, "保存しますか？", "確認 [テスト]", MB_YESNOCANCEL | MB_ICONQUESTION),
            IDNO);
  ASSERT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(modals.seen()[0].text, "保存しますか？");
  EXPECT_EQ(modals.seen()[0].caption, "確認 [テスト]");
}

TEST(MessageBox, ScriptedModalsRestoresThePreviousResponder) {
  int outer = 0;
  fw::setModalResponder([&](ModalRequest&) -> std::optional<int> {
    ++outer;
    return IDOK;
  });
  {
    ScriptedModals inner;
    inner.answer(IDRETRY);
    EXPECT_EQ(fw::messageBox(nullptr, "a", "b", MB_RETRYCANCEL), IDRETRY);
  }
  EXPECT_EQ(fw::messageBox(nullptr, "a", "b", MB_OK), IDOK);
  EXPECT_EQ(outer, 1);
  fw::setModalResponder({});
  EXPECT_FALSE(fw::hasModalResponder());
}

// ---------------------------------------------------------------- real

bool g_boxAnswered = false;

void CALLBACK answerTheBoxLater(HWND, UINT, UINT_PTR timer, DWORD) {
  if (HWND box = FindWindowW(nullptr, L"エラー [テスト]")) {
    KillTimer(nullptr, timer);
    g_boxAnswered = true;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

TEST(MessageBox, BoxShownWhileTheProgramEndsWaitsForItsAnswer) {
  testApp();
  g_boxAnswered = false;
  PostQuitMessage(3);
  const UINT_PTR timer = SetTimer(nullptr, 0, 150, &answerTheBoxLater);
  EXPECT_EQ(fw::messageBox(nullptr, "終了します。", "エラー [テスト]", MB_OK), IDOK);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(g_boxAnswered) << "the box closed before anyone read it";
  MSG quit;
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the program must still end";
  EXPECT_EQ(quit.wParam, 3u);
}

NameDialog* g_realDialog = nullptr;

void CALLBACK pressOkLater(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (g_realDialog && g_realDialog->hwnd()) {
    g_realDialog->setItemText(IDC_NAME, "タイマー");
    PostMessageW(g_realDialog->hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  }
}

INT_PTR runRealDialogClosedByTimer(NameDialog& dialog) {
  g_realDialog = &dialog;
  SetTimer(nullptr, 0, 150, &pressOkLater);
  const INT_PTR result = dialog.DoModal();
  g_realDialog = nullptr;
  return result;
}

TEST(RealDialog, ShownFromItsTemplateAndClosedByAPostedOk) {
  testApp();
  NameDialog dialog;
  EXPECT_EQ(runRealDialogClosedByTimer(dialog), IDOK);
  EXPECT_EQ(dialog.name, "タイマー");
  EXPECT_EQ(dialog.hwnd(), nullptr);
}

TEST(RealDialog, ShownWhenTheResponderDeclines) {
  int asked = 0;
  fw::setModalResponder([&](ModalRequest& request) -> std::optional<int> {
    ++asked;
    EXPECT_EQ(request.kind, ModalKind::Dialog);
    return std::nullopt;
  });
  NameDialog dialog;
  EXPECT_EQ(runRealDialogClosedByTimer(dialog), IDOK);
  fw::setModalResponder({});
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(dialog.name, "タイマー");
}

// An error in a handler closes the dialog and comes out of DoModal, whether
// the dialog was scripted or real.
class FailingDialog : public NameDialog {
 public:
  void OnOK() override { throw orka::Error("保存に失敗しました。"); }
};

void expectDoModalThrows(fw::CDialog& dialog, const char* message) {
  try {
    dialog.DoModal();
    ADD_FAILURE() << "no error came out";
  } catch (const orka::Error& e) {
    EXPECT_EQ(e.message(), message);
  }
  EXPECT_EQ(dialog.hwnd(), nullptr);
}

TEST(DialogErrors, HandlerErrorClosesAScriptedDialogAndIsRethrown) {
  ScriptedModals modals;
  modals.answer(IDOK);
  FailingDialog dialog;
  expectDoModalThrows(dialog, "保存に失敗しました。");
  EXPECT_EQ(modals.pending(), 0u);
}

TEST(DialogErrors, HandlerErrorClosesARealDialogAndIsRethrown) {
  testApp();
  FailingDialog dialog;
  g_realDialog = &dialog;
  SetTimer(nullptr, 0, 150, &pressOkLater);
  expectDoModalThrows(dialog, "保存に失敗しました。");
  g_realDialog = nullptr;
  // The dialog can be run again afterwards.
  ScriptedModals modals;
  modals.answer(IDCANCEL);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DialogErrors, ErrorOfAnotherWindowWhileScriptedClosesTheDialogAndIsRethrown) {
  testApp();
  fw::CFrameWnd other;
  ASSERT_TRUE(other.loadFrame(IDR_TEST_FRAME));
  other.onMessage(WM_APP, [](WPARAM, LPARAM) -> LRESULT { throw orka::Error("別の窓で失敗しました。"); });
  ScriptedModals modals;
  modals.answer(IDOK, [&](ModalRequest&) { PostMessageW(other.hwnd(), WM_APP, 0, 0); });
  NameDialog dialog;
  expectDoModalThrows(dialog, "別の窓で失敗しました。");
  modals.answer(IDCANCEL);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL) << "the dialog can run again";
}

// ------------------------------------------------------- file and font

TEST(FileDialog, ScriptedAnswerGivesThePathAndCancelGivesNone) {
  ScriptedModals modals;
  modals.answerPath("C:\\文書\\メモ.vtxt");
  modals.answer(IDCANCEL);

  fw::CFileDialog save(false, nullptr);
  save.setFileName("古い名前.vtxt");
  save.setFilter("暗号テキストファイル(*.vtxt)|*.vtxt|全てのファイル(*.*)|*.*||");
  EXPECT_EQ(save.DoModal(), IDOK);
  EXPECT_EQ(save.path(), "C:\\文書\\メモ.vtxt");
  EXPECT_EQ(modals.seen()[0].kind, ModalKind::SaveFile);

  fw::CFileDialog open(true, nullptr);
  EXPECT_EQ(open.DoModal(), IDCANCEL);
  EXPECT_EQ(open.path(), "");
  EXPECT_EQ(modals.seen()[1].kind, ModalKind::OpenFile);
}

// A save dialog with a panel that accepts the name only with the right
// secret, reporting a wrong one through a posted message.
class SecretFileDialog : public fw::CFileDialog {
 public:
  static constexpr UINT kWrongSecret = WM_APP + 100;

  SecretFileDialog() : CFileDialog(false, nullptr) {
    setPanelTemplate(IDD_TEST_PANEL);
    onMessage(kWrongSecret, &SecretFileDialog::OnWrongSecret);
  }
  BOOL OnInitDialog() override {
    ++inits;
    return TRUE;
  }
  bool OnFileNameOK() override {
    checkedPaths.push_back(path());
    if (itemText(IDC_SECRET) == "合言葉") return true;
    PostMessageW(hwnd(), kWrongSecret, 0, 0);
    return false;
  }
  LRESULT OnWrongSecret(WPARAM, LPARAM) {
    fw::messageBox(hwnd(), "合言葉が違います。", "エラー", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }

  int inits = 0;
  std::vector<std::string> checkedPaths;
};

TEST(FileDialog, PanelCheckRejectsANameUntilItsFieldsAreRight) {
  ScriptedModals modals;
  modals.answer(IDOK, [](ModalRequest& request) {
    request.path = "a.vtxt";
    request.dialog->setItemText(IDC_SECRET, "違う");
  });
  modals.answer(IDOK);  // the posted error box
  modals.answer(IDOK, [](ModalRequest& request) {
    request.path = "b.vtxt";
    request.dialog->setItemText(IDC_SECRET, "合言葉");
  });
  SecretFileDialog dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.path(), "b.vtxt");
  EXPECT_EQ(dialog.inits, 1);
  EXPECT_EQ(dialog.checkedPaths, (std::vector<std::string>{"a.vtxt", "b.vtxt"}));
  ASSERT_EQ(modals.seen().size(), 3u);
  EXPECT_EQ(modals.seen()[1].kind, ModalKind::MessageBox);
  EXPECT_EQ(modals.seen()[1].text, "合言葉が違います。");
  EXPECT_EQ(modals.seen()[2].templateId, static_cast<UINT>(IDD_TEST_PANEL));
}

// Drives the real save dialog: a wrong secret first, then the right one.
SecretFileDialog* g_realFileDialog = nullptr;
int g_fileDialogStep = 0;

void CALLBACK driveFileDialog(HWND, UINT, UINT_PTR, DWORD) {
  SecretFileDialog* dialog = g_realFileDialog;
  if (!dialog || !dialog->hwnd()) return;  // not up yet
  HWND fileDialog = GetParent(dialog->hwnd());
  if (g_fileDialogStep >= 2) {
    // Still open long after both tries: give up rather than hang.
    if (++g_fileDialogStep > 12) PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  const wchar_t* secret = g_fileDialogStep == 0 ? L"違う" : L"合言葉";
  // The name field is cmb13 in the Explorer-style template, edt1 in older ones.
  for (int field : {cmb13, edt1})
    SendMessageW(fileDialog, CDM_SETCONTROLTEXT, field, reinterpret_cast<LPARAM>(L"secret-test.vtxt"));
  SetDlgItemTextW(dialog->hwnd(), IDC_SECRET, secret);
  PostMessageW(fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  ++g_fileDialogStep;
}

TEST(FileDialog, RealSaveDialogKeepsItsPanelCheckAndReturnsTheChosenPath) {
  testApp();
  std::vector<ModalKind> asked;
  fw::setModalResponder([&](ModalRequest& request) -> std::optional<int> {
    asked.push_back(request.kind);
    if (request.kind == ModalKind::MessageBox) return IDOK;
    return std::nullopt;  // show the file dialog itself
  });
  SecretFileDialog dialog;
  g_realFileDialog = &dialog;
  g_fileDialogStep = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &driveFileDialog);
  const INT_PTR result = dialog.DoModal();
  KillTimer(nullptr, timer);
  g_realFileDialog = nullptr;
  fw::setModalResponder({});

  EXPECT_EQ(result, IDOK);
  // Once hidden for the responder, which declined, then for the real panel.
  EXPECT_EQ(dialog.inits, 2);
  ASSERT_EQ(dialog.checkedPaths.size(), 2u);
  const std::string suffix = "\\secret-test.vtxt";
  ASSERT_GE(dialog.path().size(), suffix.size());
  EXPECT_EQ(dialog.path().substr(dialog.path().size() - suffix.size()), suffix);
  EXPECT_EQ(asked, (std::vector<ModalKind>{ModalKind::SaveFile, ModalKind::MessageBox}));
}

class FailingFileDialog : public SecretFileDialog {
 public:
  bool OnFileNameOK() override { throw orka::Error("鍵を作れません。"); }
};

TEST(DialogErrors, NameCheckErrorClosesTheFileDialogAndIsRethrown) {
  {
    ScriptedModals modals;
    modals.answerPath("a.vtxt");
    modals.answerPath("b.vtxt");  // must not be asked: the error ends it
    FailingFileDialog dialog;
    expectDoModalThrows(dialog, "鍵を作れません。");
    EXPECT_EQ(modals.pending(), 1u);
  }
  // The real dialog: the error must not unwind through the system's code.
  fw::setModalResponder([](ModalRequest&) -> std::optional<int> { return std::nullopt; });
  FailingFileDialog dialog;
  g_realFileDialog = &dialog;
  g_fileDialogStep = 1;  // right away with the right secret
  const UINT_PTR timer = SetTimer(nullptr, 0, 300, &driveFileDialog);
  expectDoModalThrows(dialog, "鍵を作れません。");
  KillTimer(nullptr, timer);
  g_realFileDialog = nullptr;
  fw::setModalResponder({});
}

TEST(FontDialog, ScriptedChoiceReplacesTheFontAndCancelKeepsIt) {
  ScriptedModals modals;
  std::wstring offered;
  modals.answer(IDOK, [&](ModalRequest& request) {
    offered = request.font.lfFaceName;
    wcscpy_s(request.font.lfFaceName, L"ＭＳ ゴシック");
    request.font.lfHeight = -16;
  });
  modals.answer(IDCANCEL, [](ModalRequest& request) { request.font.lfHeight = -99; });

  LOGFONTW initial = {};
  initial.lfHeight = 12;
  wcscpy_s(initial.lfFaceName, L"FixedSys");
  fw::CFontDialog chosen(initial, CF_SCREENFONTS, nullptr);
  EXPECT_EQ(chosen.DoModal(), IDOK);
  EXPECT_EQ(offered, L"FixedSys");
  EXPECT_STREQ(chosen.font().lfFaceName, L"ＭＳ ゴシック");
  EXPECT_EQ(chosen.font().lfHeight, -16);

  fw::CFontDialog cancelled(initial, CF_SCREENFONTS, nullptr);
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  EXPECT_EQ(cancelled.font().lfHeight, 12);
}

// ------------------------------------------------------- find / replace

struct Notification {
  DWORD flags;
  std::string findWhat;
  std::string replaceWith;
};

class FindDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(frame.create());
    frame.onMessage(fw::CFindReplaceDialog::message(), [this](WPARAM, LPARAM lParam) -> LRESULT {
      fw::CFindReplaceDialog* dialog = fw::CFindReplaceDialog::fromNotification(lParam);
      if (dialog) notes.push_back({dialog->flags(), dialog->findString(), dialog->replaceString()});
      if (dialog && dialog->isTerminating()) open = nullptr;
      return 0;
    });
  }
  void press(int button) {
    SendMessageW(open->hwnd(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(open->hwnd(), button)));
  }

  fw::CWinApp& app = testApp();
  TestFrame frame;
  fw::CFindReplaceDialog* open = nullptr;
  std::vector<Notification> notes;
};

// Control ids of the system's find/replace templates (edt1, psh2).
constexpr int kFindEdit = 0x480;
constexpr int kReplaceAllButton = 0x401;

TEST_F(FindDialogTest, FindNextNotifiesTheOwnerWithTheTypedTextAndClosingTerminates) {
  open = fw::CFindReplaceDialog::create(true, "検索語", "", FR_DOWN | FR_HIDEWHOLEWORD, frame.hwnd());
  ASSERT_NE(open, nullptr);
  EXPECT_TRUE(open->isFindOnly());
  EXPECT_EQ(open->findString(), "検索語");

  press(IDOK);  // "Find next"
  SetDlgItemTextW(open->hwnd(), kFindEdit, L"別の語");
  press(IDOK);
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_TRUE(notes[0].flags & FR_FINDNEXT);
  EXPECT_TRUE(notes[0].flags & FR_DOWN);
  EXPECT_FALSE(notes[0].flags & FR_MATCHCASE);
  EXPECT_EQ(notes[0].findWhat, "検索語");
  EXPECT_EQ(notes[1].findWhat, "別の語");

  const LPARAM stale = reinterpret_cast<LPARAM>(&notes);  // any pointer not handed out
  EXPECT_EQ(fw::CFindReplaceDialog::fromNotification(stale), nullptr);

  open->close();
  ASSERT_EQ(notes.size(), 3u);
  EXPECT_TRUE(notes[2].flags & FR_DIALOGTERM);
  EXPECT_EQ(open, nullptr);
}

TEST_F(FindDialogTest, ReplaceDialogCarriesBothTextsAndIsAModelessDialogOfTheApp) {
  open = fw::CFindReplaceDialog::create(false, "古い", "新しい", FR_HIDEWHOLEWORD, frame.hwnd());
  ASSERT_NE(open, nullptr);
  EXPECT_FALSE(open->isFindOnly());

  // Tab moves between its fields: the application routes dialog keys to it.
  MSG tab = {};
  tab.hwnd = GetDlgItem(open->hwnd(), kFindEdit);
  tab.message = WM_KEYDOWN;
  tab.wParam = VK_TAB;
  EXPECT_TRUE(app.preTranslateMessage(tab));

  press(kReplaceAllButton);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_TRUE(notes[0].flags & FR_REPLACEALL);
  EXPECT_EQ(notes[0].findWhat, "古い");
  EXPECT_EQ(notes[0].replaceWith, "新しい");

  open->close();
  EXPECT_EQ(open, nullptr);
}

TEST_F(FindDialogTest, OverlongTextIsCutToTheFieldLength) {
  open = fw::CFindReplaceDialog::create(true, std::string(300, 'a'), "", 0, frame.hwnd(), 127);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->findString().size(), 127u);
  open->close();

  // Beyond what the system's 16-bit field sizes hold, the fields get the most
  // they can, not a size that wrapped round.
  open = fw::CFindReplaceDialog::create(false, std::string(70000, 'b'), "c", 0, frame.hwnd(), 65535);
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->findString().size(), 65534u);
  EXPECT_EQ(open->replaceString(), "c");
  open->close();
}

}  // namespace
}  // namespace fwtest
