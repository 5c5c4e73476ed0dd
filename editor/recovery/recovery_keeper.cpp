#include "editor/recovery/recovery_keeper.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "editor/document/open_document.h"
#include "editor/recovery/user_key_store.h"
#include "editor/window_host.h"
#include "orka/errors/error.h"
#include "settings/security_settings.h"

namespace {

// A slice of the text copied between two looks at the clock: small enough
// that the budget is kept, large enough that the clock is not the work.
constexpr size_t kSliceUnits = 256 * 1024;
// What one step of a snapshot may take before it yields to the messages.
constexpr double kStepBudget = 0.008;

class StopWatch {
 public:
  StopWatch() { QueryPerformanceCounter(&start_); }
  double seconds() const {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
  }

 private:
  LARGE_INTEGER start_;
};

}  // namespace

RecoveryKeeper::RecoveryKeeper(WindowHost& host, OpenDocument& document, const SecuritySettings& security,
                               std::string folder, tolvane::UserKeyStore& userKeys)
    : host_(host), document_(document), security_(security), folder_(std::move(folder)), userKeys_(userKeys) {
  // 128 random bits make a name no other editor has; the claim only guards
  // against the impossible.
  for (int tries = 0; tries < 4 && !claim_; ++tries) {
    name_ = tolvane::newRecoveryCopyName();
    claim_ = tolvane::CopyClaim::take(name_);
  }
  host_.onMessage(kSnapshotMessage, [this](WPARAM generation, LPARAM) {
    snapshotStep(generation);
    return LRESULT{0};
  });
}

RecoveryKeeper::~RecoveryKeeper() {
  stopTimers();
  writer_.waitIdle();
}

bool RecoveryKeeper::enabled() const {
  return security_.keepRecoveryCopy && !folder_.empty() && claim_.has_value();
}

bool RecoveryKeeper::wanted() const {
  return enabled() && !document_.locked() && document_.edit() && document_.hasUnsavedChanges();
}

void RecoveryKeeper::onTextChanged() {
  if (!enabled() || document_.locked()) return;
  ++changes_;
  SetTimer(host_.owner(), kPauseTimerId, delays_.pause, nullptr);
  if (!typingTimer_) {
    SetTimer(host_.owner(), kTypingTimerId, delays_.typing, nullptr);
    typingTimer_ = true;
  }
}

bool RecoveryKeeper::onTimer(UINT_PTR id) {
  if (id != kPauseTimerId && id != kTypingTimerId) return false;
  stopTimers();
  if (wanted()) beginSnapshot();
  return true;
}

void RecoveryKeeper::stopTimers() {
  if (HWND owner = host_.owner()) {
    KillTimer(owner, kPauseTimerId);
    KillTimer(owner, kTypingTimerId);
  }
  typingTimer_ = false;
}

void RecoveryKeeper::keepNow() {
  if (!wanted()) return;
  stopTimers();
  if (startSnapshot() && copySlices(-1)) writer_.post(std::move(snapshot_->job));
  snapshot_.reset();
  writer_.waitIdle();
}

void RecoveryKeeper::clear() {
  stopTimers();
  ++generation_;
  snapshot_.reset();
  auto job = std::make_unique<RecoveryJob>();
  job->folder = folder_;
  job->name = name_;
  writer_.post(std::move(job));
}

void RecoveryKeeper::applySettings() {
  if (!security_.keepRecoveryCopy) clear();
}

void RecoveryKeeper::adopt(const std::string& name, tolvane::CopyClaim claim) {
  clear();  // the copy of our own name, should there be one
  name_ = name;
  claim_ = std::move(claim);
}

std::unique_ptr<RecoveryJob> RecoveryKeeper::newWriteJob(size_t units) {
  auto job = std::make_unique<RecoveryJob>();
  const DocumentRecord& record = document_.record();
  if (!record.path.empty()) {
    if (record.key.empty()) return nullptr;
    record.useKeyring([&](const tolvane::DocumentKeyring& keyring) {
      job->key = tolvane::RecoveryKey::ofDocument(keyring);
    });
    job->documentPath = record.path;
  } else {
    if (!userKey_) userKey_ = userKeys_.loadOrCreate();
    job->key = *userKey_;
  }
  job->folder = folder_;
  job->name = name_;
  job->created = tolvane::recoveryTimeNow();
  job->text.reset(std::max<size_t>(units, 1) * sizeof(wchar_t));
  job->textUnits = units;
  return job;
}

bool RecoveryKeeper::startSnapshot() {
  ++generation_;
  snapshot_.reset();
  try {
    const HWND window = document_.edit()->hwnd();
    std::unique_ptr<RecoveryJob> job = newWriteJob(static_cast<size_t>(GetWindowTextLengthW(window)));
    if (job) snapshot_ = Snapshot{std::move(job), window, changes_, 0};
  } catch (const orka::Error&) {
  } catch (const std::bad_alloc&) {
  }
  return snapshot_.has_value();
}

void RecoveryKeeper::beginSnapshot() {
  const StopWatch watch;
  if (startSnapshot()) PostMessageW(host_.owner(), kSnapshotMessage, generation_, 0);
  longestBlock_ = std::max(longestBlock_, watch.seconds());
}

void RecoveryKeeper::snapshotStep(WPARAM generation) {
  if (generation != generation_ || !snapshot_) return;
  const StopWatch watch;
  if (!wanted() || !copySlices(kStepBudget)) {
    // Changed under the snapshot: the next pause takes a new one.  A text
    // replaced without a change notice (another control) gets the timer.
    snapshot_.reset();
    if (wanted()) SetTimer(host_.owner(), kPauseTimerId, delays_.pause, nullptr);
  } else if (snapshot_->done == snapshot_->job->textUnits) {
    writer_.post(std::move(snapshot_->job));
    snapshot_.reset();
  } else {
    PostMessageW(host_.owner(), kSnapshotMessage, generation_, 0);
  }
  longestBlock_ = std::max(longestBlock_, watch.seconds());
}

bool RecoveryKeeper::copySlices(double budget) {
  Snapshot& snapshot = *snapshot_;
  EditCtrl* edit = document_.edit();
  if (!edit || edit->hwnd() != snapshot.window || snapshot.changes != changes_ ||
      static_cast<size_t>(GetWindowTextLengthW(snapshot.window)) != snapshot.job->textUnits)
    return false;
  if (snapshot.job->textUnits == 0) return true;
  // Read in place from the control's buffer, unlocked again before any
  // message can change it.
  HLOCAL buffer = reinterpret_cast<HLOCAL>(SendMessageW(snapshot.window, EM_GETHANDLE, 0, 0));
  const auto* text = buffer ? static_cast<const wchar_t*>(LocalLock(buffer)) : nullptr;
  if (!text) return false;
  const bool whole = LocalSize(buffer) / sizeof(wchar_t) >= snapshot.job->textUnits;
  auto* out = reinterpret_cast<wchar_t*>(snapshot.job->text.get());
  const StopWatch watch;
  while (whole && snapshot.done < snapshot.job->textUnits) {
    const size_t units = std::min(kSliceUnits, snapshot.job->textUnits - snapshot.done);
    std::memcpy(out + snapshot.done, text + snapshot.done, units * sizeof(wchar_t));
    snapshot.done += units;
    if (budget >= 0 && watch.seconds() >= budget) break;
  }
  LocalUnlock(buffer);
  return whole;
}
