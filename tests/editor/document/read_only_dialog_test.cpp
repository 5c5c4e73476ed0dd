// The per-file read-only memory in use: documents remember their mode, and
// the settings dialog rewrites the list as it shows it.
#include <windows.h>

#include <commctrl.h>

#include <optional>
#include <string>
#include <vector>

#include "document/document.h"
#include "document/machine_serial.h"
#include "editor/res/resource.h"
#include "tests/editor/editor_fixture.h"
#include "framework/dialog.h"
#include "framework/modal.h"

namespace {

using fw::ModalRequest;
using fw::ScriptedModals;

struct Row {
  std::string path;
  bool readOnly;
  bool operator==(const Row& o) const { return path == o.path && readOnly == o.readOnly; }
};

std::vector<Row> rowsOf(const ReadOnlyList& list) {
  std::vector<Row> rows;
  for (const ReadOnlyEntry& e : list) rows.push_back({e.path, e.readOnly});
  return rows;
}

void tick(HWND list, int row, bool on) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

class ReadOnlyListTest : public EditorTest {
 protected:
  void SetUp() override {
    tolvane::setMachineSerialSource([] { return std::optional<std::string>("TEST-SERIAL"); });
  }
  void TearDown() override {
    EditorTest::TearDown();
    tolvane::setMachineSerialSource(nullptr);
  }

  std::string document(const std::string& name) {
    const std::string path = dir_.path(name);
    tolvane::writeDocument(path, tolvane::makeDocumentKey("pw"), "x", 1);
    return path;
  }
  void open(const std::string& path) {
    ScriptedModals modals;
    modals.answer(IDOK, [](ModalRequest& r) { r.dialog->setItemText(IDC_PASSWORD, "pw"); });
    window_->openDocument(path);
  }
  void setMode(bool readOnly) {
    if (window_->settings().readOnly != readOnly) window_->execute(ID_EDIT_READ_ONLY);
  }
  bool readOnly() { return window_->settings().readOnly; }
};

TEST_F(ReadOnlyListTest, DocumentsReopenInTheModeTheyWereLeftIn) {
  Settings stored;
  stored.perFileReadOnly = true;
  writeSettings(stored);
  CMainWnd& window = start();
  std::vector<std::string> paths;
  for (int i = 0; i < 11; ++i) {
    paths.push_back(document("doc" + std::to_string(i) + ".vtxt"));
    open(paths.back());
    setMode(i % 3 == 0);
  }
  const ReadOnlyList& list = window.settings().readOnlyList;
  ASSERT_EQ(list.size(), 10);
  EXPECT_EQ(list.begin()->path, paths[10]);
  EXPECT_EQ(list.rbegin()->path, paths[1]) << "the first one opened is gone";

  for (int i : {4, 3, 9, 6}) {
    open(paths[i]);
    EXPECT_EQ(readOnly(), i % 3 == 0) << i;
    EXPECT_EQ(list.begin()->path, paths[i]);
  }
  // Not remembered: opens in the current mode (read-only after doc 6) and
  // is remembered so.
  open(paths[0]);
  EXPECT_TRUE(readOnly());
  EXPECT_EQ(rowsOf(list)[0], (Row{paths[0], true}));

  // With the feature off, opening leaves the mode alone.
  window.settings().perFileReadOnly = false;
  setMode(false);
  open(paths[6]);
  EXPECT_FALSE(readOnly());
}

TEST_F(ReadOnlyListTest, SaveAsTakesTheModeRememberedForTheNewName) {
  Settings stored;
  stored.perFileReadOnly = true;
  writeSettings(stored);
  CMainWnd& window = start();
  const std::string target = dir_.path("remembered.vtxt");
  window.settings().readOnlyList.touch(target) = true;
  ScriptedModals modals;
  modals.answer(IDOK, [&](ModalRequest& r) { r.path = target; });
  ASSERT_TRUE(window.saveDocumentAs());
  EXPECT_TRUE(readOnly());
  EXPECT_EQ(window.settings().readOnlyList.begin()->path, target);
}

TEST_F(ReadOnlyListTest, DialogRewritesTheListAsShown) {
  CMainWnd& window = start();
  ReadOnlyList& list = window.settings().readOnlyList;
  for (int i = 9; i >= 0; --i) list.touch("C:\\doc" + std::to_string(i)) = (i % 2 == 0);
  const std::string open = document("open.vtxt");
  window.settings().readOnly = true;
  this->open(open);  // feature off: not entered by opening
  list.touch(open) = true;

  ScriptedModals modals;
  modals.answer(IDOK, [&](ModalRequest& r) {
    HWND files = r.dialog->item(IDC_READ_ONLY_FILES);
    EXPECT_EQ(SendMessageW(files, LVM_GETITEMCOUNT, 0, 0), 10);
    EXPECT_EQ(SendMessageW(files, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);
    EXPECT_FALSE(r.dialog->isItemEnabled(IDC_READ_ONLY_FILES)) << "the feature is off";
    r.dialog->setChecked(IDC_PER_FILE_READ_ONLY, true);
    r.dialog->send(WM_COMMAND, MAKEWPARAM(IDC_PER_FILE_READ_ONLY, BN_CLICKED),
                   reinterpret_cast<LPARAM>(r.dialog->item(IDC_PER_FILE_READ_ONLY)));
    EXPECT_TRUE(r.dialog->isItemEnabled(IDC_READ_ONLY_FILES));
    EXPECT_TRUE(r.dialog->isItemEnabled(IDC_READ_ONLY_CAPACITY));
    tick(files, 0, false);  // the open document
    tick(files, 2, true);
    r.dialog->setItemText(IDC_READ_ONLY_CAPACITY, "3");
  });
  window.execute(ID_SETTINGS_READ_ONLY_LIST);
  EXPECT_EQ(rowsOf(list), (std::vector<Row>{{open, false}, {"C:\\doc0", true}, {"C:\\doc1", true}}));
  EXPECT_EQ(list.capacity(), 3);
  EXPECT_TRUE(window.settings().perFileReadOnly);
  EXPECT_FALSE(readOnly()) << "switched off at once";
  EXPECT_EQ(GetFocus(), window.editCtrl()->hwnd());
}

TEST_F(ReadOnlyListTest, CapacityBelowOneIsRefusedWithAWarning) {
  CMainWnd& window = start();
  window.settings().readOnlyList.touch("C:\\a") = true;
  const Settings before = window.settings();
  ScriptedModals modals;
  for (const char* capacity : {"0", "", "99999999999"}) {
    modals.answer(IDOK, [capacity](ModalRequest& r) {
      r.dialog->setChecked(IDC_PER_FILE_READ_ONLY, true);
      r.dialog->setItemText(IDC_READ_ONLY_CAPACITY, capacity);
    });
    modals.answer(IDOK);  // the warning
  }
  modals.answer(IDCANCEL);
  window.execute(ID_SETTINGS_READ_ONLY_LIST);
  ASSERT_EQ(modals.seen().size(), 7u);
  for (size_t warning : {1u, 3u, 5u}) {
    EXPECT_EQ(modals.seen()[warning].text, "記憶するデータ数には1以上の値を指定してください。");
    EXPECT_EQ(modals.seen()[warning].caption, "警告 [ミルデア]");
  }
  EXPECT_EQ(modals.pending(), 0u);
  EXPECT_EQ(window.settings().perFileReadOnly, before.perFileReadOnly);
  EXPECT_EQ(window.settings().readOnlyList.capacity(), before.readOnlyList.capacity());
}

}  // namespace
