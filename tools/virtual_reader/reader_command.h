#pragma once

// The reader's own commands on the bus — the identify blocks, the loader's
// commands and the INQUIRY the program sends — answered by the simulated
// reader exactly as the simulated machine answers them through
// IOCTL_SCSI_PASS_THROUGH: the same command table decides which block is
// which request and how much data it moves (checkCommandBlock), and the same
// function answers it, injected failures first (answerFromReader).
//
// An injected failure becomes, on the bus:
//   transport   the command never reaches the controller: the data phase
//               ends at once (bulk-in stalled, data-out taken and dropped)
//               and the status wrapper says phase error, so the host's
//               storage driver resets the reader and the SCSI generic
//               request fails with a host status;
//   scsiStatus  check condition, sense ABORTED COMMAND (0Bh/00h/00h);
//   unplugged   the reader leaves the bus without answering.

#include <optional>

#include "platform/sim/sim_pass_through.h"
#include "platform/sim/sim_reader.h"
#include "virtual_reader/command_reply.h"
#include "virtual_reader/disk_unit.h"

namespace updater {

/// The reader's request that `block` is, or none for a block the command
/// table does not know as the program sends it.
std::optional<CheckedPassThrough> readerCommand(const CommandBlockField& block);

/// The data the reader moves for `request`.
DeviceIntent readerIntent(const CheckedPassThrough& request);

/// The simulated reader answers `request` with `dataOut` (its data-out).
CommandReply answerReaderCommand(SimReader& reader, const CheckedPassThrough& request, ConstBytes dataOut);

}  // namespace updater
