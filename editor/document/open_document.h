// OpenDocument: the one document the editor has open, and the only place
// that says what state it is in.
//
// It holds the three things that together are the document: the record
// (path, protected key, format; document_record.h), the text's control, and
// while the document is locked its sealed state (protection/seal.h).  While
// locked the control is an empty, disabled stand-in and the key is gone, so
// asking the control whether the text was modified would get the stand-in's
// answer; every such question therefore comes here, and the answer is the
// same locked or not.
//
// Locking and unlocking go through keepSealed() and takeSealed(); what they
// hide and bring back is the protection room's business (document_lock.h).
//
// The object owns the control and destroys it with itself; the main window
// owns the object.  User-interface thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "editor/document/document_record.h"
#include "editor/editing/edit_ctrl.h"
#include "editor/protection/seal.h"

class OpenDocument {
 public:
  DocumentRecord& record() { return record_; }
  const DocumentRecord& record() const { return record_; }
  // The full path; empty while untitled.
  const std::string& path() const { return record_.path; }
  // The path, or "無題" while untitled, as questions about it name it.
  std::string displayName() const;
  // "<file name> - ミルデア", "無題 - ミルデア", or "ロック中 - ミルデア"
  // while locked.
  std::string title() const;

  // The text's control (the stand-in while locked); null before the window
  // made one.
  EditCtrl* edit() const { return edit_.get(); }
  // Takes `edit` as the text's control; the one held before is destroyed.
  void setEdit(std::unique_ptr<EditCtrl> edit) { edit_ = std::move(edit); }

  // Whether text typed since the last save would be lost by letting the
  // document go.
  bool hasUnsavedChanges() const;
  bool locked() const { return sealed_.has_value(); }
  // Whether the document may go without a question: nothing would be lost.
  bool mayClose() const { return !hasUnsavedChanges(); }

  // Locking: the sealed state stands in for the text from now on.
  void keepSealed(SealedState sealed) { sealed_ = std::move(sealed); }
  const SealedState* sealed() const { return sealed_ ? &*sealed_ : nullptr; }
  // Unlocking, or letting a locked document go: the sealed state is
  // dropped and the document counts as unlocked.
  void dropSealed() { sealed_.reset(); }

 private:
  DocumentRecord record_;
  std::unique_ptr<EditCtrl> edit_;
  std::optional<SealedState> sealed_;
};
