#pragma once

// What one SCSI command came to, before Bulk-Only Transport wraps it: good
// with its data-in bytes, check condition with its sense, or a failure of
// the transport itself.

#include <vector>

#include "common/bytes.h"

namespace updater {

/// Fixed-format sense: key, additional sense code and its qualifier.
struct Sense {
  Byte key = 0;
  Byte asc = 0;
  Byte ascq = 0;
};

namespace sense {
inline constexpr Sense kNone{};
inline constexpr Sense kHardwareError{0x04, 0x44, 0x00};  // internal target failure
inline constexpr Sense kInvalidOpcode{0x05, 0x20, 0x00};
inline constexpr Sense kLbaOutOfRange{0x05, 0x21, 0x00};
inline constexpr Sense kInvalidField{0x05, 0x24, 0x00};
}  // namespace sense

enum class OutcomeKind { Good, CheckCondition, TransportFailure };

struct ScsiOutcome {
  OutcomeKind kind = OutcomeKind::Good;
  /// Data-in bytes of a good command.
  std::vector<Byte> data;
  /// The sense a check condition leaves for REQUEST SENSE.
  Sense sense;
};

inline ScsiOutcome good(std::vector<Byte> data = {}) { return {OutcomeKind::Good, std::move(data), sense::kNone}; }
inline ScsiOutcome checkCondition(Sense why) { return {OutcomeKind::CheckCondition, {}, why}; }

}  // namespace updater
