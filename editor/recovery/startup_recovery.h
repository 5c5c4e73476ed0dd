// StartupRecovery: offers back, once at start-up, the text an editor left in
// a recovery copy (recovery_keeper.h) when it ended without saving.
//
// Only copies no running editor holds are looked at (copy_claim.h), newest
// first, and one is offered per start.  Started with a document, the editor
// offers that document's copy only; started without, the newest copy of
// any.  A damaged, cut or foreign copy met on the way says "復元用のデータが
// 壊れているため、読み込めません。" and is moved into the damaged folder, so
// that it is never offered again and never lost.
//
// The question names the document (or 無題).  No removes the copy.  Yes, for
// a titled copy, opens the document as opening always does (the password
// dialog, or the machine's key in silent mode); the password that opened it
// also opens the copy, whose text then replaces the document's, marked
// modified: saving it is the user's choice.  A cancelled or failed open
// keeps the copy for the next start.  Yes, for an untitled copy, brings the
// text back as an untitled document with changes.  A restored copy becomes
// the document's own (RecoveryKeeper::adopt), so it stays until the text is
// saved or let go.  User-interface thread only.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "editor/recovery/copy_claim.h"
#include "editor/recovery/recovery_copy.h"

class OpenDocument;
class RecoveryKeeper;
namespace tolvane {
class UserKeyStore;
}
class WindowHost;

class StartupRecovery {
 public:
  // Opens the document at `path` as the Open command does, and runs
  // `witness` with the password that opened it; true when it opened.
  using Witness = std::function<void(std::string_view password)>;
  using Opener = std::function<bool(const std::string& path, const Witness& witness)>;

  StartupRecovery(WindowHost& host, OpenDocument& document, RecoveryKeeper& keeper,
                  tolvane::UserKeyStore& userKeys, Opener open);

  // `documentPath` is the command line's document, made absolute, or empty.
  // True when that document was dealt with here (restored, or its open
  // cancelled); false when the caller still opens it.
  bool offer(const std::string& documentPath);

  static constexpr const char* kDamaged = "復元用のデータが壊れているため、読み込めません。";

 private:
  bool offerCopy(const tolvane::RecoveryListing& listing, tolvane::CopyClaim claim);
  void restore(tolvane::RecoveredText& recovered, const std::string& name, tolvane::CopyClaim claim);
  void reportDamaged(const std::string& name);

  WindowHost& host_;
  OpenDocument& document_;
  RecoveryKeeper& keeper_;
  tolvane::UserKeyStore& userKeys_;
  Opener open_;
};
