#pragma once

// Several readers' runs on one port, one run at a time in virtual time (see
// run_scheduler.h). A run goes on until it pauses or ends; then the run that
// is due first goes on (the lower run number first when two are due at the
// same moment), and the port's clock is moved forward to that moment with a
// pause of the port's own. So the runs overlap in the port's time as they
// would in real time, and the same runs give the same order of calls every
// time, whatever the threads do.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/clock.h"
#include "platform/run_scheduler.h"

namespace updater {

class LockstepScheduler final : public RunScheduler {
 public:
  /// `clock` is the shared port's: it moves only through this scheduler
  /// while the runs last. `runs` is how many runs there are; each must
  /// begin and end.
  LockstepScheduler(Clock& clock, std::size_t runs);

  void begin(std::size_t run) override;
  void end(std::size_t run) override;
  void pause(std::size_t run, std::uint32_t milliseconds) override;
  /// Nothing to hold: only one run calls the port at a time.
  std::unique_lock<std::mutex> hold() override { return {}; }

 private:
  /// Hands the port to the run due first, if any is left. Called with
  /// `mutex_` held and no run going on.
  void handOver();
  void waitForTurn(std::unique_lock<std::mutex>& lock, std::size_t run);

  Clock& clock_;
  std::mutex mutex_;
  std::condition_variable turnChanged_;
  /// When each run may go on, in milliseconds since the start; none once
  /// it has ended.
  std::vector<std::optional<std::uint64_t>> dueAt_;
  std::uint64_t now_ = 0;
  /// The run that may call the port; none between two runs' turns.
  std::optional<std::size_t> current_;
};

}  // namespace updater
