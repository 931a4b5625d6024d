#pragma once

// A command channel straight onto a simulated loader, with injected request
// failures: what every route's adapter comes down to once its carrier has
// been taken apart. Tests of the sequences and the benchmarks use it.

#include "isp/vendor_command.h"
#include "platform/sim/failure_plan.h"
#include "platform/sim/sim_loader.h"

namespace updater {

class LoaderChannel : public CommandChannel {
 public:
  explicit LoaderChannel(SimLoader& loader) : loader_(loader) {}

  bool execute(VendorCommand& command) override;

  FailurePlan failures;

  /// The last data transfer that reached the loader, for tests of what was sent.
  CommandBlock lastCdb{};
  std::uint32_t lastTransferLength = 0;
  std::size_t lastDataSize = 0;

 private:
  SimLoader& loader_;
};

/// The failure-list name of a vendor command block ("jumpToIsp", ...).
const char* vendorCommandName(const CommandBlock& cdb);

}  // namespace updater
