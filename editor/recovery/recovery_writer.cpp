#include "editor/recovery/recovery_writer.h"

#include <windows.h>

#include <new>

#include "orka/errors/error.h"
#include "orka/text/wide.h"

RecoveryWriter::RecoveryWriter() : thread_([this] { run(); }) {}

RecoveryWriter::~RecoveryWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    waiting_.reset();
  }
  wake_.notify_all();
  thread_.join();
}

void RecoveryWriter::post(std::unique_ptr<RecoveryJob> job) {
  std::unique_ptr<RecoveryJob> outdated;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    outdated = std::move(waiting_);
    waiting_ = std::move(job);
  }
  wake_.notify_all();
  // The outdated snapshot is wiped here, outside the lock.
}

void RecoveryWriter::waitIdle() {
  std::unique_lock<std::mutex> lock(mutex_);
  idle_.wait(lock, [this] { return !waiting_ && !busy_; });
}

bool RecoveryWriter::busy() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_ || busy_;
}

unsigned RecoveryWriter::finished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

unsigned RecoveryWriter::failedWrites() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return failedWrites_;
}

void RecoveryWriter::run() {
  for (;;) {
    std::unique_ptr<RecoveryJob> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || waiting_; });
      if (stopping_) return;
      job = std::move(waiting_);
      busy_ = true;
    }
    const bool write = job->key.has_value();
    const bool ok = perform(*job);
    job.reset();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      busy_ = false;
      ++finished_;
      if (write && !ok) ++failedWrites_;
    }
    idle_.notify_all();
  }
}

bool RecoveryWriter::perform(RecoveryJob& job) {
  if (!job.key) return tolvane::deleteRecoveryCopy(job.folder, job.name);
  try {
    const std::wstring_view wide(reinterpret_cast<const wchar_t*>(job.text.get()), job.textUnits);
    // Converted as saving converts, straight into a buffer that is wiped.
    const size_t bytes = orka::ansiByteCount(wide);
    if (bytes > tolvane::kMaxRecoveryText) return false;
    orka::WipedBuffer ansi(bytes ? bytes : 1);
    if (bytes != 0 && WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                          reinterpret_cast<char*>(ansi.get()), static_cast<int>(bytes),
                                          nullptr, nullptr) != static_cast<int>(bytes))
      return false;
    job.text.reset(1);  // the UTF-16 snapshot goes as soon as it is converted
    if (!tolvane::makeRecoveryFolder(job.folder)) return false;
    tolvane::writeRecoveryCopy(job.folder + "\\" + job.name, *job.key, job.documentPath, job.created,
                               ansi.get(), static_cast<uint32_t>(bytes));
    return true;
  } catch (const orka::Error&) {
  } catch (const std::bad_alloc&) {
  }
  return false;
}
