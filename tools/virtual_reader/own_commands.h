#pragma once

// The standard commands the kernel's disk and mass-storage drivers send to
// any drive, answered by the virtual reader itself: an empty 1 MiB medium of
// 512-byte blocks that reads zeros, takes and drops writes, and knows no
// vital product data pages.

#include <cstdint>

#include "bulk_only.h"
#include "platform/sim/machine_description.h"
#include "scsi_outcome.h"

namespace updater {

inline constexpr std::uint32_t kMediumBlockSize = 512;
inline constexpr std::uint32_t kMediumBlocks = (1u << 20) / kMediumBlockSize;

/// The answer to `cbw`'s command; `lastSense` is what REQUEST SENSE reports.
/// INQUIRY answers `identity` as the simulated reader does; an unknown
/// command is a check condition with invalid operation code.
ScsiOutcome answerOwnCommand(const bulk_only::Cbw& cbw, const ReaderInquiry& identity, const Sense& lastSense);

}  // namespace updater
