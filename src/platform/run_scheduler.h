#pragma once

// How the runs of several readers share one port at once. Each run calls the
// port from a thread of its own, through its own RunPort (run_port.h); the
// scheduler says when a run may go on, what a run's pause does, and what
// each of its other calls holds.
//
// Two schedulers:
//   - ConcurrentScheduler: the runs go on side by side in real time. The
//     port's calls are taken one at a time; the pauses, which make up most
//     of a run, overlap. For real readers, and to measure the real thing.
//   - LockstepScheduler (lockstep_scheduler.h): one run goes on at a time, in
//     virtual time, handing over at its pauses; the same runs always
//     interleave the same way. For the simulated machine.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>

namespace updater {

class RunScheduler {
 public:
  virtual ~RunScheduler() = default;

  /// Run `run` (0-based) starts; returns when it may call the port.
  virtual void begin(std::size_t run) = 0;
  /// Run `run` is over and calls the port no more.
  virtual void end(std::size_t run) = 0;
  /// Run `run` asks for a pause of `milliseconds`; returns when it may go on.
  virtual void pause(std::size_t run, std::uint32_t milliseconds) = 0;
  /// Kept by each other call of a run while the port carries it out.
  virtual std::unique_lock<std::mutex> hold() = 0;
};

class ConcurrentScheduler final : public RunScheduler {
 public:
  void begin(std::size_t) override {}
  void end(std::size_t) override {}
  /// A real pause; the port's own clock is not asked, so that no pause
  /// holds up the others' calls.
  void pause(std::size_t, std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
  std::unique_lock<std::mutex> hold() override { return std::unique_lock<std::mutex>(mutex_); }

 private:
  std::mutex mutex_;
};

}  // namespace updater
