// The recovery copy in the running editor: when it is written and removed,
// and what the next start offers back.  Copies are read and made with the
// copy's own library, so that what is checked is what is on disk.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/document_files.h"
#include "document/strong_document.h"
#include "editor/protection/document_lock.h"
#include "editor/recovery/recovery_copy.h"
#include "editor/recovery/recovery_keeper.h"
#include "editor/recovery/startup_recovery.h"
#include "editor/recovery/user_key_store.h"
#include "editor/res/resource.h"
#include "framework/modal.h"
#include "orka/errors/error.h"
#include "orka/files/path_ops.h"
#include "orka/text/codepage.h"
#include "settings/program_file.h"
#include "tests/editor/editor_fixture.h"

namespace {

using fw::ScriptedModals;
using tolvane::DocumentFormat;
using tolvane::RecoveryOutcome;

std::string ansi(const std::string& utf8) { return orka::utf8ToCodePage(utf8, 932).value(); }

std::string question(const std::string& name) {
  return "前回保存されずに終わった変更があります。\n\n" + name + "\n\n復元しますか？";
}

class RecoveryTest : public EditorTest {
 public:  // for the cases' tables
  RecoveryTest() { offerLeftCopies_ = true; }
  std::string folder() const { return recoveryFolderPath(settingsPath()); }
  std::vector<std::string> copies() const {
    std::vector<std::string> names;
    for (const auto& listing : tolvane::listRecoveryCopies(folder())) names.push_back(listing.name);
    return names;
  }
  tolvane::RecoveryKey userKey() const {
    return tolvane::UserKeyStore(tolvane::UserKeyStore::pathBeside(settingsPath())).loadOrCreate();
  }
  tolvane::DocumentKeyring keyring(DocumentFormat format, const std::string& password) const {
    return tolvane::newKeyring(format, ansi(password), tolvane::kCheapestCost);
  }
  // A document on disk holding `text`.
  std::string document(const std::string& text, const tolvane::DocumentKeyring& keyring) {
    const std::string path = dir_.path("doc.vtxt");
    const std::string bytes = ansi(text);
    tolvane::writeDocument(path, keyring, bytes.data(), static_cast<uint32_t>(bytes.size()));
    return path;
  }
  // A copy left by an editor that ended, `age` seconds ago.
  std::string leaveCopy(const tolvane::RecoveryKey& key, const std::string& documentPath,
                        const std::string& text, uint64_t age = 0) {
    tolvane::makeRecoveryFolder(folder());
    const std::string name = tolvane::newRecoveryCopyName();
    const std::string bytes = ansi(text);
    tolvane::writeRecoveryCopy(orka::detail::combinePath(folder(), name), key, documentPath,
                               tolvane::recoveryTimeNow() - age, bytes.data(),
                               static_cast<uint32_t>(bytes.size()));
    return name;
  }
  // What the running editor's copy holds, opened with `key`.
  std::string keptText(const tolvane::RecoveryKey& key) {
    RecoveryKeeper& keeper = window_->recovery();
    keeper.writer().waitIdle();
    tolvane::RecoveredText copy =
        tolvane::openRecoveryCopy(orka::detail::combinePath(folder(), keeper.copyName()), key);
    return copy.outcome == RecoveryOutcome::kOpened ? copy.text
                                                    : "<" + std::to_string(int(copy.outcome)) + ">";
  }
  // Closes the editor as a crash would, and clears the folder for the next
  // case, whose start would otherwise offer what this one left.
  void endCase() {
    window_.reset();
    pump();
    for (const std::string& name : copies()) tolvane::deleteRecoveryCopy(folder(), name);
  }
  void typeText(const std::wstring& text) {
    for (wchar_t ch : text) typeChar(window_->editCtrl()->hwnd(), ch);
  }
  // Pumps until the worker has finished `jobs` jobs in all.
  bool waitForJobs(unsigned jobs) {
    return testApp().pumpUntil([&] { return window_->recovery().writer().finished() >= jobs; }, 10000);
  }
  // Pumps until the copy holds `text` (code page bytes); what it holds.
  std::string waitForKept(const tolvane::RecoveryKey& key, const std::string& text) {
    std::string kept;
    testApp().pumpUntil([&] { return (kept = keptText(key)) == text; }, 10000);
    return kept;
  }
  // Opens a strong document holding `text` with the password "pw"; the
  // key its copies take.
  tolvane::RecoveryKey openDocument(const std::string& text) {
    ScriptedModals modals;
    modals.answer(IDOK, [](fw::ModalRequest& r) { r.dialog->setItemText(IDC_PASSWORD, "pw"); });
    const tolvane::DocumentKeyring ring = keyring(DocumentFormat::kStrong, "pw");
    window_->openDocument(document(text, ring));
    std::optional<tolvane::RecoveryKey> key;
    window_->currentDocument().useKeyring(
        [&](const tolvane::DocumentKeyring& k) { key = tolvane::RecoveryKey::ofDocument(k); });
    return *key;
  }
};

// Every moment that writes the copy, for an untitled and a titled document.
TEST_F(RecoveryTest, UnsavedTextIsKeptAtEachMomentThatWrites) {
  struct Case {
    const char* name;
    RecoveryKeeper::Delays delays;
    std::function<void(CMainWnd&)> trigger;  // after typing; null: wait
  };
  const Case cases[] = {
      {"a pause in typing", {50, 60000}, nullptr},
      {"typing going on", {60000, 50}, nullptr},
      {"Lock", {60000, 60000}, [](CMainWnd& w) { w.documentLock().lock(); }},
      {"the session's end",
       {60000, 60000},
       [](CMainWnd& w) { SendMessageW(w.hwnd(), WM_QUERYENDSESSION, 0, 0); }},
      {"a failed command",
       {60000, 60000},
       [](CMainWnd& w) { w.OnCommandFailed(0, std::make_exception_ptr(orka::Error("x"))); }},
  };
  for (const bool titled : {false, true}) {
    for (const Case& c : cases) {
      if (!titled && std::string(c.name) == "Lock") continue;  // only a document with a password locks
      SCOPED_TRACE(std::string(c.name) + (titled ? ", titled" : ", untitled"));
      start();
      const tolvane::RecoveryKey key = titled ? openDocument("前") : userKey();
      window_->recovery().setDelays(c.delays);
      typeText(L"秘密\rab");
      ScriptedModals modals;  // the session end's question gets Cancel
      if (c.trigger) c.trigger(*window_);
      // The caret stands at the start of an opened document.
      const std::string typed = ansi(titled ? "秘密\r\nab前" : "秘密\r\nab");
      EXPECT_EQ(waitForKept(key, typed), typed);
      endCase();
    }
  }
}

// Saving, No to the save question, and the setting turned off remove the
// copy; while locked nothing is written.
TEST_F(RecoveryTest, TheCopyGoesWhenTheTextIsNoLongerNeeded) {
  const struct {
    const char* name;
    std::function<void(CMainWnd&, ScriptedModals&)> end;
  } cases[] = {
      {"No at New",
       [](CMainWnd& w, ScriptedModals& m) {
         m.answer(IDNO);
         w.execute(ID_FILE_NEW);
       }},
      {"saved",
       [this](CMainWnd& w, ScriptedModals& m) {
         m.answer(IDOK, [this](fw::ModalRequest& r) {
           r.path = dir_.path("saved.vtxt");
           r.dialog->setItemText(IDC_NEW_PASSWORD, "p");
           r.dialog->setItemText(IDC_CONFIRM_PASSWORD, "p");
         });
         w.execute(ID_FILE_SAVE);
       }},
      {"the setting off",
       [](CMainWnd& w, ScriptedModals&) {
         w.security().keepRecoveryCopy = false;
         w.applySecurity();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedModals modals;
    start().recovery().setDelays({20, 60000});
    typeText(L"x");
    ASSERT_TRUE(waitForJobs(1));
    ASSERT_EQ(copies().size(), 1u);
    c.end(*window_, modals);
    window_->recovery().writer().waitIdle();
    EXPECT_TRUE(copies().empty());
    EXPECT_EQ(modals.unexpected(), 0);
    endCase();
  }
  // Locked: the write before the seal, then nothing until unlocked.
  start();
  const tolvane::RecoveryKey key = openDocument("");
  window_->recovery().setDelays({60000, 60000});
  typeText(L"y");
  ASSERT_TRUE(window_->documentLock().lock());
  EXPECT_EQ(keptText(key), "y");
  const unsigned jobs = window_->recovery().writer().finished();
  SendMessageW(window_->hwnd(), WM_TIMER, RecoveryKeeper::kPauseTimerId, 0);
  pump();
  Sleep(100);
  pump();
  EXPECT_EQ(window_->recovery().writer().finished(), jobs);
}

// What the next start does with each kind of copy left behind.
TEST_F(RecoveryTest, TheNextStartOffersTheNewestCopyAndActsOnTheAnswer) {
  struct Left {
    std::string name;  // of the copy
    std::string documentPath;
  };
  const struct {
    const char* name;
    // Leaves copies behind; returns what the question should name.
    std::function<Left(RecoveryTest&)> leave;
    std::vector<int> answers;  // to the question, then the password dialog
    std::vector<std::string> parameters;
    const char* text;  // the editor's text afterwards, UTF-8
    bool modified;
    bool copyKept;  // the offered copy still in the folder
  } cases[] = {
      {"untitled, yes",
       [](RecoveryTest& t) {
         return Left{t.leaveCopy(t.userKey(), "", "無題の文"), ""};
       },
       {IDYES},
       {},
       "無題の文",
       true,
       true},
      {"titled classic, yes",
       [](RecoveryTest& t) {
         auto ring = t.keyring(DocumentFormat::kClassic, "pw");
         const std::string path = t.document("保存分", ring);
         return Left{t.leaveCopy(tolvane::RecoveryKey::ofDocument(ring), path, "保存分と未保存分"), path};
       },
       {IDYES, IDOK},
       {},
       "保存分と未保存分",
       true,
       true},
      {"titled strong, newest of two, yes",
       [](RecoveryTest& t) {
         t.leaveCopy(t.userKey(), "", "古い", 100);
         auto ring = t.keyring(DocumentFormat::kStrong, "pw");
         const std::string path = t.document("強", ring);
         return Left{t.leaveCopy(tolvane::RecoveryKey::ofDocument(ring), path, "強い文書"), path};
       },
       {IDYES, IDOK},
       {},
       "強い文書",
       true,
       true},
      {"titled, password cancelled",
       [](RecoveryTest& t) {
         auto ring = t.keyring(DocumentFormat::kClassic, "pw");
         const std::string path = t.document("元", ring);
         return Left{t.leaveCopy(tolvane::RecoveryKey::ofDocument(ring), path, "元と後"), path};
       },
       {IDYES, IDCANCEL},
       {},
       "",
       false,
       true},
      {"no",
       [](RecoveryTest& t) {
         return Left{t.leaveCopy(t.userKey(), "", "捨てる"), ""};
       },
       {IDNO},
       {},
       "",
       false,
       false},
      {"the command line's document first",
       [](RecoveryTest& t) {
         auto ring = t.keyring(DocumentFormat::kClassic, "pw");
         const std::string path = t.document("旧", ring);
         const std::string name = t.leaveCopy(tolvane::RecoveryKey::ofDocument(ring), path, "旧と新", 100);
         t.leaveCopy(t.userKey(), "", "別の無題");
         return Left{name, path};
       },
       {IDYES, IDOK},
       {"doc.vtxt"},
       "旧と新",
       true,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Left left = c.leave(*this);
    ScriptedModals modals;
    for (int answer : c.answers) {
      modals.answer(answer, [](fw::ModalRequest& r) {
        if (r.dialog) r.dialog->setItemText(IDC_PASSWORD, "pw");
      });
    }
    std::vector<std::string> parameters;
    for (const std::string& p : c.parameters) parameters.push_back(dir_.path(p));
    start(parameters);
    ASSERT_FALSE(modals.seen().empty());
    EXPECT_EQ(modals.seen()[0].text, question(left.documentPath.empty() ? "無題" : left.documentPath));
    EXPECT_EQ(modals.seen()[0].caption, "確認 [ミルデア]");
    EXPECT_EQ(modals.unexpected(), 0);
    EXPECT_EQ(window_->editCtrl()->text(), ansi(c.text));
    EXPECT_EQ(window_->editCtrl()->modified(), c.modified);
    window_->recovery().writer().waitIdle();
    const std::vector<std::string> left_over = copies();
    EXPECT_EQ(std::count(left_over.begin(), left_over.end(), left.name), c.copyKept ? 1 : 0);
    endCase();
  }
}

// Copies that are damaged get the message and move aside; a copy another
// editor holds is never offered.
TEST_F(RecoveryTest, DamagedCopiesMoveAsideAndHeldOnesAreLeftAlone) {
  const std::string held = leaveCopy(userKey(), "", "他の編集中");
  std::optional<tolvane::CopyClaim> claim = tolvane::CopyClaim::take(held);
  ASSERT_TRUE(claim);
  const std::string cut = leaveCopy(userKey(), "", "切れた");
  const std::string bytes = dir_.read("recovery/" + cut);
  dir_.write("recovery/" + cut, bytes.substr(0, bytes.size() - 5));
  ScriptedModals modals;
  modals.answer(IDOK);
  start();
  ASSERT_EQ(modals.seen().size(), 1u);
  EXPECT_EQ(modals.seen()[0].text, StartupRecovery::kDamaged);
  EXPECT_EQ(modals.seen()[0].caption, "エラー [ミルデア]");
  EXPECT_EQ(copies(), std::vector<std::string>{held});
  EXPECT_EQ(tolvane::listRecoveryCopies(orka::detail::combinePath(folder(), "damaged")).size(), 1u);
}

}  // namespace
