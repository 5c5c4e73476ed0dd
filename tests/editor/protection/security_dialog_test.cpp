// The security settings dialog: refused minutes and seconds, and what OK
// stores in the settings' own file for the next start.
#include <windows.h>

#include <iterator>
#include <string>
#include <utility>

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

// Each check box as a first start shows it.
const std::pair<int, bool> kBoxes[] = {
    {IDC_LOCK_ON_MINIMIZE, false}, {IDC_LOCK_ON_SESSION_LOCK, true}, {IDC_LOCK_ON_SUSPEND, true},
    {IDC_CLEAR_CLIPBOARD, true},   {IDC_CLIPBOARD_TIMER, false},     {IDC_HIDE_FROM_CAPTURE, true},
    {IDC_KEEP_OFF_RECENT, true},   {IDC_KEEP_RECOVERY_COPY, true},   {IDC_STRONG_NEW_DOCUMENTS, false},
};

struct Refused {
  int id;
  const char* text;
  const char* warning;
};

const char* const kMinutesWarning = "分数には 0 から 9999 までの数を入力してください。";
const char* const kSecondsWarning = "秒数には 10 から 600 までの数を入力してください。";
const Refused kRefused[] = {
    {IDC_IDLE_MINUTES, "", kMinutesWarning},         {IDC_IDLE_MINUTES, "10000", kMinutesWarning},
    {IDC_CLIPBOARD_SECONDS, "", kSecondsWarning},    {IDC_CLIPBOARD_SECONDS, "9", kSecondsWarning},
    {IDC_CLIPBOARD_SECONDS, "601", kSecondsWarning},
};

TEST_F(SecurityDialogTest, RefusesBadNumbersAndStoresEverySettingInItsOwnFile) {
  CMainWnd& window = start();
  ScriptedModals modals;
  // The defaults shown, then each refused number: the dialog stays open.
  modals.answer(IDOK, [&](ModalRequest& r) {
    EXPECT_EQ(r.dialog->itemText(IDC_IDLE_MINUTES), "0");
    EXPECT_EQ(r.dialog->itemText(IDC_CLIPBOARD_SECONDS), "30");
    for (const auto& [id, checked] : kBoxes) EXPECT_EQ(r.dialog->isChecked(id), checked) << id;
    r.dialog->setItemText(kRefused[0].id, kRefused[0].text);
  });
  for (size_t i = 0; i < std::size(kRefused); ++i) {
    modals.answer(IDOK);  // the warning
    modals.answer(IDOK, [&, i](ModalRequest& r) {
      // Each case starts from valid numbers, so only its own field is wrong.
      r.dialog->setItemText(IDC_IDLE_MINUTES, "15");
      r.dialog->setItemText(IDC_CLIPBOARD_SECONDS, "45");
      if (i + 1 < std::size(kRefused)) r.dialog->setItemText(kRefused[i + 1].id, kRefused[i + 1].text);
      if (i + 1 == std::size(kRefused))
        for (const auto& [id, checked] : kBoxes) r.dialog->setChecked(id, !checked);
    });
  }
  EXPECT_EQ(window.documents().format(), tolvane::DocumentFormat::kClassic);
  ASSERT_TRUE(window.execute(ID_SETTINGS_SECURITY));
  ASSERT_EQ(modals.seen().size(), 2 * std::size(kRefused) + 1);
  for (size_t i = 0; i < std::size(kRefused); ++i)
    EXPECT_EQ(modals.seen()[2 * i + 1].text, kRefused[i].warning);
  EXPECT_EQ(modals.pending(), 0u);

  SecuritySettings expected;
  expected.idleMinutes = 15;
  expected.clipboardSeconds = 45;
  // Every box turned over.
  expected.lockOnMinimize = true;
  expected.lockOnSessionLock = false;
  expected.lockOnSuspend = false;
  expected.clearClipboard = false;
  expected.clipboardTimer = true;
  expected.hideFromCapture = false;
  expected.keepOffRecent = false;
  expected.keepRecoveryCopy = false;
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
