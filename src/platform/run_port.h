#pragma once

// One run's share of a port that several readers' runs use at once: every
// call goes to the shared port, under the scheduler's hold, and the run's
// pauses are the scheduler's (run_scheduler.h). Each run has its own, so
// that the scheduler knows whose pause it is.

#include <cstddef>

#include "platform/forwarding_port.h"
#include "platform/run_scheduler.h"

namespace updater {

class RunPort final : public ForwardingPort {
 public:
  /// `shared` and `scheduler` outlive the port.
  RunPort(Port& shared, RunScheduler& scheduler, std::size_t run)
      : ForwardingPort(shared), scheduler_(scheduler), run_(run) {}

  void sleep(std::uint32_t milliseconds) override { scheduler_.pause(run_, milliseconds); }

 protected:
  Hold hold() override { return scheduler_.hold(); }

 private:
  RunScheduler& scheduler_;
  std::size_t run_;
};

}  // namespace updater
