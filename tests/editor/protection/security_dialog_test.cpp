// The security settings dialog: refused minutes, and what OK stores in the
// settings' own file for the next start.
#include <windows.h>

#include <string>

#include "editor/document/document_commands.h"
#include "editor/res/resource.h"
#include "framework/dialog.h"
#include "framework/modal.h"
#include "settings/security_settings.h"
#include "tests/editor/editor_fixture.h"

namespace {

using fw::ModalRequest;
using fw::ScriptedModals;

using SecurityDialogTest = EditorTest;

TEST_F(SecurityDialogTest, RefusesBadMinutesAndStoresTheRestInItsOwnFile) {
  CMainWnd& window = start();
  ScriptedModals modals;
  // The defaults shown, then refused minutes: the dialog stays open.
  modals.answer(IDOK, [](ModalRequest& r) {
    EXPECT_EQ(r.dialog->itemText(IDC_IDLE_MINUTES), "0");
    EXPECT_TRUE(r.dialog->isChecked(IDC_LOCK_ON_SESSION_LOCK));
    EXPECT_TRUE(r.dialog->isChecked(IDC_CLEAR_CLIPBOARD));
    EXPECT_FALSE(r.dialog->isChecked(IDC_LOCK_ON_MINIMIZE));
    EXPECT_FALSE(r.dialog->isChecked(IDC_STRONG_NEW_DOCUMENTS));
    r.dialog->setItemText(IDC_IDLE_MINUTES, "");
  });
  modals.answer(IDOK);  // the warning
  modals.answer(IDOK, [](ModalRequest& r) { r.dialog->setItemText(IDC_IDLE_MINUTES, "10000"); });
  modals.answer(IDOK);
  modals.answer(IDOK, [](ModalRequest& r) {
    r.dialog->setItemText(IDC_IDLE_MINUTES, "15");
    r.dialog->setChecked(IDC_LOCK_ON_MINIMIZE, true);
    r.dialog->setChecked(IDC_CLEAR_CLIPBOARD, false);
    r.dialog->setChecked(IDC_STRONG_NEW_DOCUMENTS, true);
  });
  EXPECT_EQ(window.documents().format(), tolvane::DocumentFormat::kClassic);
  ASSERT_TRUE(window.execute(ID_SETTINGS_SECURITY));
  ASSERT_EQ(modals.seen().size(), 5u);
  EXPECT_EQ(modals.seen()[1].text, "分数には 0 から 9999 までの数を入力してください。");
  EXPECT_EQ(modals.pending(), 0u);

  SecuritySettings expected;
  expected.idleMinutes = 15;
  expected.lockOnMinimize = true;
  expected.clearClipboard = false;
  expected.strongNewDocuments = true;
  EXPECT_EQ(window.security(), expected);
  // An untitled document is now offered the strong format.
  EXPECT_EQ(window.documents().format(), tolvane::DocumentFormat::kStrong);
  SecuritySettings stored;
  EXPECT_TRUE(stored.load(dir_.path(SecuritySettings::kFileName)));
  EXPECT_EQ(stored, expected);
  close();
  EXPECT_EQ(start().security(), expected);
}

}  // namespace
