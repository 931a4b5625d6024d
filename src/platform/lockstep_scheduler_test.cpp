#include "platform/lockstep_scheduler.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace updater {
namespace {

/// A clock that only counts what it was asked to sleep.
class CountingClock : public Clock {
 public:
  void sleep(std::uint32_t milliseconds) override { sleeps.push_back(milliseconds); }
  LocalDateTime localDateTime() override { return {}; }

  std::vector<std::uint32_t> sleeps;
};

// Three runs pause for different times: each goes on when it is due, the
// lower run first at the same moment, and the clock moves as far as the
// longest run, not as far as all the pauses together.
TEST(LockstepScheduler, RunsGoOnInTheOrderTheyAreDueAndTheClockMovesOnce) {
  CountingClock clock;
  LockstepScheduler scheduler(clock, 3);
  std::mutex logged;
  std::vector<std::string> log;
  auto note = [&](std::string step) {
    const std::lock_guard<std::mutex> held(logged);
    log.push_back(std::move(step));
  };
  const std::vector<std::vector<std::uint32_t>> pauses = {{10, 10}, {5}, {30}};

  std::vector<std::thread> threads;
  // Started last first: the order of the threads must not matter.
  for (std::size_t run = 3; run-- > 0;) {
    threads.emplace_back([&, run] {
      scheduler.begin(run);
      char step = 'a';
      note(std::to_string(run) + step);
      for (const std::uint32_t pause : pauses[run]) {
        scheduler.pause(run, pause);
        note(std::to_string(run) + ++step);
      }
      scheduler.end(run);
    });
  }
  for (std::thread& thread : threads) thread.join();

  EXPECT_EQ(log, (std::vector<std::string>{"0a", "1a", "2a", "1b", "0b", "0c", "2b"}));
  EXPECT_EQ(clock.sleeps, (std::vector<std::uint32_t>{5, 5, 10, 10}));
}

TEST(LockstepScheduler, ARunWithoutPausesEndsBeforeTheNextBegins) {
  CountingClock clock;
  LockstepScheduler scheduler(clock, 2);
  std::vector<int> log;
  std::thread second([&] {
    scheduler.begin(1);
    log.push_back(1);
    scheduler.end(1);
  });
  std::thread first([&] {
    scheduler.begin(0);
    log.push_back(0);
    scheduler.end(0);
  });
  first.join();
  second.join();
  EXPECT_EQ(log, (std::vector<int>{0, 1}));
  EXPECT_TRUE(clock.sleeps.empty());
}

}  // namespace
}  // namespace updater
