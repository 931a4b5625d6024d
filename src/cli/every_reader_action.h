#pragma once

// The console's isp-all and verify-all: the job on every reader at once
// (app/every_reader.h). Each reader's run reports to views of its own, whose
// events reach the session's transcript with the reader's place in the
// device list; when the runs are over, one result event per reader and the
// totals follow.

#include <cstddef>
#include <functional>
#include <memory>

#include "app/every_reader.h"
#include "platform/run_scheduler.h"

namespace updater {

struct CliSession;

/// Makes the scheduler for `runs` runs on the session's port.
using MakeScheduler = std::function<std::unique_ptr<RunScheduler>(std::size_t runs)>;

void runEveryReaderAction(CliSession& session, EveryReaderJob job);

}  // namespace updater
