#pragma once

// A command of the program (updater-cli --host), answered by the simulated
// reader exactly as it answers the pass-through request of the Windows
// build: the checks, the injected failures, the identify block, the loader.

#include <optional>

#include "bulk_only.h"
#include "platform/sim/sim_reader.h"
#include "scsi_outcome.h"

namespace updater {

/// The reader's answer to `cbw` with its data-out bytes `dataOut`; none when
/// the command is not one the program sends, as the program sends it.
std::optional<ScsiOutcome> answerProgramRequest(SimReader& reader, const bulk_only::Cbw& cbw, ConstBytes dataOut);

}  // namespace updater
