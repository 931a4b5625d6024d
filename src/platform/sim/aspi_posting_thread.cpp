#include "platform/sim/aspi_posting_thread.h"

#include <algorithm>
#include <tuple>

#include "platform/aspi_srb.h"

namespace updater {

AspiPostingThread::~AspiPostingThread() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wakeThread_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void AspiPostingThread::queue(Bytes block, AspiPostingRoutine& posting, AspiCompletion completion,
                              std::uint64_t dueMs) {
  {
    const std::lock_guard lock(mutex_);
    queue_.push_back({block, &posting, completion, dueMs, nextOrder_++});
  }
  if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
  wakeThread_.notify_all();
}

void AspiPostingThread::runUntil(std::uint64_t nowMs) {
  std::unique_lock lock(mutex_);
  nowMs_ = std::max(nowMs_, nowMs);
  wakeThread_.notify_all();
  postingRan_.wait(lock, [this] { return allDueRun(); });
}

void AspiPostingThread::postAllNow(Byte status) {
  std::unique_lock lock(mutex_);
  for (auto& posting : queue_) {
    posting.completion = {status, 0, 0};
    posting.dueMs = 0;
  }
  wakeThread_.notify_all();
  postingRan_.wait(lock, [this] { return allDueRun(); });
}

std::size_t AspiPostingThread::pendingCount() const {
  const std::lock_guard lock(mutex_);
  return queue_.size();
}

std::vector<AspiPostingThread::Posting>::iterator AspiPostingThread::nextDue() {
  auto next = queue_.end();
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (it->dueMs > nowMs_) continue;
    if (next == queue_.end() || std::tie(it->dueMs, it->order) < std::tie(next->dueMs, next->order)) next = it;
  }
  return next;
}

bool AspiPostingThread::allDueRun() { return !running_ && nextDue() == queue_.end(); }

void AspiPostingThread::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wakeThread_.wait(lock, [this] { return stopping_ || nextDue() != queue_.end(); });
    if (stopping_) return;
    const auto due = nextDue();
    const Posting posting = *due;
    queue_.erase(due);
    running_ = true;
    lock.unlock();

    // As the layer does: the status fields first, then the routine.
    if (posting.block.size() >= aspi_srb::kStructureSize) {
      putU8(posting.block, aspi_srb::kHaStat, posting.completion.haStat);
      putU8(posting.block, aspi_srb::kTargStat, posting.completion.targStat);
      putU8(posting.block, aspi_srb::kStatus, posting.completion.srbStatus);
    }
    posting.routine->posted(posting.block);

    lock.lock();
    running_ = false;
    postingRan_.notify_all();
  }
}

}  // namespace updater
