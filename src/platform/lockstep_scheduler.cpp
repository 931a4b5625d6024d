#include "platform/lockstep_scheduler.h"

#include <limits>

namespace updater {

LockstepScheduler::LockstepScheduler(Clock& clock, std::size_t runs) : clock_(clock), dueAt_(runs, 0) {
  // Every run is due at the start, the first one first: its thread may not
  // be there yet, and the others wait for it.
  if (runs > 0) current_ = 0;
}

void LockstepScheduler::begin(std::size_t run) {
  std::unique_lock<std::mutex> lock(mutex_);
  waitForTurn(lock, run);
}

void LockstepScheduler::end(std::size_t run) {
  std::unique_lock<std::mutex> lock(mutex_);
  dueAt_[run].reset();
  current_.reset();
  handOver();
}

void LockstepScheduler::pause(std::size_t run, std::uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(mutex_);
  dueAt_[run] = now_ + milliseconds;
  current_.reset();
  handOver();
  waitForTurn(lock, run);
}

void LockstepScheduler::handOver() {
  std::optional<std::size_t> next;
  std::uint64_t nextDue = std::numeric_limits<std::uint64_t>::max();
  for (std::size_t run = 0; run < dueAt_.size(); ++run) {
    if (dueAt_[run] && *dueAt_[run] < nextDue) {
      next = run;
      nextDue = *dueAt_[run];
    }
  }
  if (!next) return;
  if (nextDue > now_) {
    // The port's own pause moves its clock (and whatever comes due with it,
    // such as the ASPI layer's postings) while no run calls it.
    clock_.sleep(static_cast<std::uint32_t>(nextDue - now_));
    now_ = nextDue;
  }
  current_ = next;
  turnChanged_.notify_all();
}

void LockstepScheduler::waitForTurn(std::unique_lock<std::mutex>& lock, std::size_t run) {
  turnChanged_.wait(lock, [&] { return current_ == run; });
}

}  // namespace updater
