#include "editor/recovery/startup_recovery.h"

#include <windows.h>

#include <new>
#include <optional>

#include "editor/document/open_document.h"
#include "editor/recovery/recovery_keeper.h"
#include "editor/recovery/user_key_store.h"
#include "editor/window_host.h"
#include "orka/crypto/wipe.h"
#include "orka/errors/error.h"
#include "orka/files/path_ops.h"
#include "orka/text/wide.h"

namespace {

// As the file system compares names: without regard to case.
bool samePath(const std::string& a, const std::string& b) {
  const std::wstring wa = orka::widen(a), wb = orka::widen(b);
  return CompareStringOrdinal(wa.data(), static_cast<int>(wa.size()), wb.data(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
}

}  // namespace

StartupRecovery::StartupRecovery(WindowHost& host, OpenDocument& document, RecoveryKeeper& keeper,
                                 tolvane::UserKeyStore& userKeys, Opener open)
    : host_(host), document_(document), keeper_(keeper), userKeys_(userKeys), open_(std::move(open)) {}

bool StartupRecovery::offer(const std::string& documentPath) {
  if (keeper_.folder().empty()) return false;
  for (const tolvane::RecoveryListing& listing : tolvane::listRecoveryCopies(keeper_.folder())) {
    const tolvane::RecoveryOutcome outcome = listing.heading.outcome;
    if (outcome == tolvane::RecoveryOutcome::kUnreadable) continue;
    const bool damaged = outcome == tolvane::RecoveryOutcome::kDamaged;
    // A damaged header names no document; it waits for a start without one.
    if (!documentPath.empty() && (damaged || !samePath(listing.heading.header.documentPath, documentPath)))
      continue;
    // Held: a running editor's own copy, or one another editor is taking.
    std::optional<tolvane::CopyClaim> claim = tolvane::CopyClaim::take(listing.name);
    if (!claim) continue;
    if (damaged) {
      reportDamaged(listing.name);
      continue;
    }
    return offerCopy(listing, std::move(*claim));
  }
  return false;
}

bool StartupRecovery::offerCopy(const tolvane::RecoveryListing& listing, tolvane::CopyClaim claim) {
  const tolvane::RecoveryHeader& header = listing.heading.header;
  const std::string question = "前回保存されずに終わった変更があります。\n\n" +
                               (header.documentPath.empty() ? std::string("無題") : header.documentPath) +
                               "\n\n復元しますか？";
  if (host_.ask(question, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    tolvane::deleteRecoveryCopy(keeper_.folder(), listing.name);
    return false;
  }
  const std::string path = orka::detail::combinePath(keeper_.folder(), listing.name);
  tolvane::RecoveredText recovered;
  if (header.kind == tolvane::RecoveryKeyKind::kUntitled) {
    std::optional<tolvane::RecoveryKey> key = userKeys_.load();
    if (key)
      recovered = tolvane::openRecoveryCopy(path, *key);
    else
      recovered.outcome = tolvane::RecoveryOutcome::kWrongKey;  // the user's key is gone
  } else {
    std::optional<tolvane::DocumentKeyring> keyring;
    const bool opened = open_(header.documentPath, [&](std::string_view password) {
      try {
        keyring = tolvane::keyringForCopy(header, password);
      } catch (const orka::Error&) {
      } catch (const std::bad_alloc&) {
      }
    });
    // Cancelled, failed, or no memory for the key: asked again next time.
    if (!opened || !keyring) return true;
    recovered = tolvane::openRecoveryCopy(path, tolvane::RecoveryKey::ofDocument(*keyring));
  }
  restore(recovered, listing.name, std::move(claim));
  return true;
}

void StartupRecovery::restore(tolvane::RecoveredText& recovered, const std::string& name,
                              tolvane::CopyClaim claim) {
  switch (recovered.outcome) {
    case tolvane::RecoveryOutcome::kOpened:
      break;
    case tolvane::RecoveryOutcome::kUnreadable:
      return;  // gone or held just now: left for another start
    default:
      reportDamaged(name);
      return;
  }
  EditCtrl* edit = document_.edit();
  bool shown = false;
  try {
    shown = edit->setText(recovered.text, [&recovered] { orka::secureWipe(recovered.text); });
  } catch (const std::bad_alloc&) {
  } catch (const orka::Error&) {
  }
  if (!shown) {
    host_.showError("メモリが足りないため、変更を復元できません。");
    return;
  }
  edit->setModified(true);
  host_.updateTitle();
  keeper_.adopt(name, std::move(claim));
}

void StartupRecovery::reportDamaged(const std::string& name) {
  host_.showError(kDamaged);
  tolvane::moveToDamaged(keeper_.folder(), name);
}
