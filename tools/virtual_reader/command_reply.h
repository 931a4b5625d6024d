#pragma once

// What the reader makes of one command block, whoever answers it (a disk
// unit's standard commands, or the simulated reader's own): which data it
// means to move before it runs, and how it ends.

#include <cstdint>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "virtual_reader/sense_data.h"

namespace updater {

enum class DataDirection { None, In, Out };

/// The data the reader means to move for a command: the device's side of the
/// bulk-only transport's comparison with the host's length and direction.
struct DeviceIntent {
  DataDirection direction = DataDirection::None;
  std::uint32_t length = 0;
};

enum class CommandOutcome {
  Good,
  /// Check condition; `sense` says why.
  CheckCondition,
  /// The command never reached the controller: the host must reset the reader.
  TransportFailure,
  /// The reader is gone: it leaves the bus without answering.
  Unplug,
};

struct CommandReply {
  CommandOutcome outcome = CommandOutcome::Good;
  /// Data-in, at most the intent's length.
  std::vector<Byte> dataIn;
  Sense sense;
};

inline CommandReply goodReply(std::vector<Byte> dataIn = {}) { return {CommandOutcome::Good, std::move(dataIn), {}}; }

inline CommandReply checkConditionReply(Sense sense) { return {CommandOutcome::CheckCondition, {}, sense}; }

}  // namespace updater
