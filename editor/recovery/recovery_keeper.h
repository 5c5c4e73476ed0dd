// RecoveryKeeper: keeps the open document's unsaved text in one enciphered
// recovery copy (recovery_copy.h), so that a crash, a kill or a restart
// Windows forces loses nothing that was typed.
//
// When.  A change of the text starts two timers: one restarted by every
// change, which writes once typing has paused (3 s), and one that is not,
// which writes while typing goes on (30 s).  keepNow() writes at once and
// waits for the write: before Lock seals the document, when the session
// ends, when a command fails.  Nothing is written while the document is
// locked (there is no key then), while it has no unsaved changes, or while
// the security setting is off; turning the setting off removes the copy.
// clear() removes it once the text is no longer needed: after a save, or
// after the user said No to saving it.  Destroying the keeper waits for
// the jobs handed over but removes nothing: a program that ends without the
// user's answer (a failure, a forced log-off) keeps the copy for the next
// start.
//
// How.  The user-interface thread only copies the control's UTF-16 text, in
// slices of a few milliseconds posted to itself, so that typing and
// painting go on in between; a change of the text in the meantime drops the
// half-made snapshot and the next pause takes a new one.  The rest (the
// conversion, the sealing and the write) runs on the worker
// (recovery_writer.h).  A titled document's copy is sealed under a key
// derived from the document's own; an untitled one's under the user's
// recovery key (user_key_store.h), read or made at the first need.
//
// The copy has a name of its own, claimed (copy_claim.h) for as long as the
// keeper lives, so that no other editor offers or takes it; adopt() takes a
// restored copy over instead.  User-interface thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "editor/recovery/copy_claim.h"
#include "editor/recovery/recovery_copy.h"
#include "editor/recovery/recovery_writer.h"

class OpenDocument;
namespace tolvane {
class UserKeyStore;
}
class WindowHost;
struct SecuritySettings;

class RecoveryKeeper {
 public:
  static constexpr UINT_PTR kPauseTimerId = 0x5201;
  static constexpr UINT_PTR kTypingTimerId = 0x5202;
  static constexpr UINT kSnapshotMessage = WM_APP + 0x41;

  struct Delays {
    UINT pause = 3000;    // after the last change
    UINT typing = 30000;  // after the first change since the last write
  };

  RecoveryKeeper(WindowHost& host, OpenDocument& document, const SecuritySettings& security,
                 std::string folder, tolvane::UserKeyStore& userKeys);
  ~RecoveryKeeper();

  // The control's text changed (EN_CHANGE).
  void onTextChanged();
  // A WM_TIMER; false when the timer is not one of the keeper's.
  bool onTimer(UINT_PTR id);
  // Writes the copy now, when there is anything to keep, and waits for it.
  void keepNow();
  // Removes the copy.
  void clear();
  // The security setting may have changed.
  void applySettings();
  // Makes the restored copy `name` the document's copy from now on.
  void adopt(const std::string& name, tolvane::CopyClaim claim);

  const std::string& folder() const { return folder_; }
  const std::string& copyName() const { return name_; }

  // For tests and benchmarks: shorter delays, the worker, and the longest
  // the user-interface thread spent on one step of a write, in seconds.
  void setDelays(Delays delays) { delays_ = delays; }
  RecoveryWriter& writer() { return writer_; }
  double longestBlock() const { return longestBlock_; }

 private:
  struct Snapshot {
    std::unique_ptr<RecoveryJob> job;
    HWND window = nullptr;
    unsigned changes = 0;
    size_t done = 0;
  };

  bool enabled() const;
  // Whether there is text to keep and a key to keep it with.
  bool wanted() const;
  void stopTimers();
  // A write job for `units` UTF-16 units of the current document, its key
  // and path filled in; null when no key can be had.
  std::unique_ptr<RecoveryJob> newWriteJob(size_t units);
  // A new snapshot of the whole text, nothing copied yet, in place of any
  // other; false when none could be begun (no key, no memory).
  bool startSnapshot();
  // startSnapshot(), its copying then done in posted steps.
  void beginSnapshot();
  void snapshotStep(WPARAM generation);
  // Copies what is left of the snapshot, for at most `budget` seconds
  // (negative: all of it); false when the control's text is no longer the
  // one the snapshot began with.
  bool copySlices(double budget);

  WindowHost& host_;
  OpenDocument& document_;
  const SecuritySettings& security_;
  std::string folder_;
  tolvane::UserKeyStore& userKeys_;
  std::optional<tolvane::RecoveryKey> userKey_;
  std::string name_;
  std::optional<tolvane::CopyClaim> claim_;
  Delays delays_;
  bool typingTimer_ = false;
  unsigned changes_ = 0;
  WPARAM generation_ = 0;
  std::optional<Snapshot> snapshot_;
  double longestBlock_ = 0;
  RecoveryWriter writer_;
};
