#pragma once

// The simulated ASPI layer's own thread. The machine carries out each request
// when it is sent and queues its completion here with the virtual time at
// which the layer posts it; this thread then writes the completion into the
// request block and calls the posting routine, as the real layer's thread
// would. Virtual time only moves when the machine's clock does: whoever
// advances it waits here until every posting that has come due has run, so
// runs stay deterministic while the routines really run on another thread.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "platform/port.h"

namespace updater {

/// What the layer writes into a completed request block.
struct AspiCompletion {
  Byte srbStatus = 0;
  Byte haStat = 0;
  Byte targStat = 0;
};

class AspiPostingThread {
 public:
  AspiPostingThread() = default;
  /// Stops and joins the thread; postings still queued are dropped unrun.
  ~AspiPostingThread();
  AspiPostingThread(const AspiPostingThread&) = delete;
  AspiPostingThread& operator=(const AspiPostingThread&) = delete;

  /// Queues the posting of `block` to `posting` at virtual time `dueMs`.
  /// The block and the routine must stay alive until it has run. Starts the
  /// thread on first use.
  void queue(Bytes block, AspiPostingRoutine& posting, AspiCompletion completion, std::uint64_t dueMs);

  /// Moves virtual time to `nowMs` and returns once every posting due by
  /// then has run.
  void runUntil(std::uint64_t nowMs);

  /// Posts everything still queued at once with SRB_Status `status` and
  /// returns once it has run: what the layer does with its requests when it
  /// is unloaded.
  void postAllNow(Byte status);

  /// Postings queued and not yet run.
  std::size_t pendingCount() const;

 private:
  struct Posting {
    Bytes block;
    AspiPostingRoutine* routine;
    AspiCompletion completion;
    std::uint64_t dueMs;
    std::uint64_t order;  // queueing order, among postings due at once
  };

  void run();
  /// The next posting due by now, if any; under the lock.
  std::vector<Posting>::iterator nextDue();
  bool allDueRun();

  mutable std::mutex mutex_;
  std::condition_variable wakeThread_;
  std::condition_variable postingRan_;
  std::vector<Posting> queue_;
  std::uint64_t nowMs_ = 0;
  std::uint64_t nextOrder_ = 0;
  bool running_ = false;  // a posting is running outside the lock
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace updater
