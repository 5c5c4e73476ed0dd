// RecoveryWriter: the worker thread that writes and removes recovery copies
// (recovery_copy.h), so that the user-interface thread only ever hands over
// a snapshot of the text and goes on.
//
// One job waits at most: a job handed over while another waits replaces it
// (the newer snapshot is the one worth keeping, and a removal outdates any
// write before it).  Jobs run in the order they were handed over, one at a
// time, so a removal never races a write of the same copy.  A write
// converts the snapshot (UTF-16, as the control holds it) to the documents'
// code page as saving does, then writes the copy safely; both buffers, and
// the job's key, are wiped when the job ends, whatever its outcome.
//
// A job that fails is dropped: the copy on disk stays the previous complete
// one, and the next write tries again.  Destruction finishes the job under
// way, drops the one waiting and joins the thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "editor/recovery/recovery_copy.h"
#include "orka/crypto/wipe.h"

struct RecoveryJob {
  std::string folder;
  std::string name;  // the copy's file name inside `folder`
  // A write when set; a removal when not.
  std::optional<tolvane::RecoveryKey> key;
  std::string documentPath;  // UTF-8; empty for an untitled document
  uint64_t created = 0;
  orka::WipedBuffer text;  // UTF-16 code units
  size_t textUnits = 0;
};

class RecoveryWriter {
 public:
  RecoveryWriter();
  ~RecoveryWriter();
  RecoveryWriter(const RecoveryWriter&) = delete;
  RecoveryWriter& operator=(const RecoveryWriter&) = delete;

  void post(std::unique_ptr<RecoveryJob> job);
  // Returns once no job waits or runs.
  void waitIdle();
  // Whether a job waits or runs; for benchmarks.
  bool busy() const;
  // Jobs finished, and of those the writes that failed; for tests.
  unsigned finished() const;
  unsigned failedWrites() const;

 private:
  void run();
  static bool perform(RecoveryJob& job);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::unique_ptr<RecoveryJob> waiting_;
  bool busy_ = false;
  bool stopping_ = false;
  unsigned finished_ = 0;
  unsigned failedWrites_ = 0;
  std::thread thread_;
};
