#pragma once

// One card reader of the simulated machine while it runs: its description,
// its identify block, its controller's loader with the flash, and its
// injected failures. Tests read the loader's flash and the request counts
// after a run.

#include <map>
#include <string>

#include "platform/sim/failure_plan.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/sim_loader.h"

namespace updater {

struct SimReader {
  SimReader(int numberIn, const ReaderDescription& descriptionIn);

  /// 1-based, in machine-file order; the transcript's reader number.
  int number;
  ReaderDescription description;
  IdentifyBlock identify;
  SimLoader loader;
  /// The Memory Stick controller's loader and flash.
  SimLoader msLoader;
  FailurePlan failures;
  /// Requests that reached the reader, by request name, failed ones included.
  std::map<std::string, int> requestCounts;

  int requestCount(const std::string& name) const;
};

}  // namespace updater
