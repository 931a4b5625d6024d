#pragma once

// A unit's sense: why its last command ended with check condition, as the
// fixed-format sense data of REQUEST SENSE carries it.

#include <array>
#include <cstddef>

#include "common/bytes.h"

namespace updater {

struct Sense {
  Byte key = 0;
  Byte code = 0;       // additional sense code
  Byte qualifier = 0;  // additional sense code qualifier

  bool operator==(const Sense&) const = default;
};

namespace sense {
inline constexpr Byte kNoSense = 0x00;
inline constexpr Byte kIllegalRequest = 0x05;
inline constexpr Byte kAbortedCommand = 0x0B;

inline constexpr Sense kNone{};
inline constexpr Sense kInvalidOperationCode{kIllegalRequest, 0x20, 0x00};
inline constexpr Sense kLbaOutOfRange{kIllegalRequest, 0x21, 0x00};
inline constexpr Sense kInvalidFieldInCdb{kIllegalRequest, 0x24, 0x00};
/// A vendor command that the reader took but ended with check condition
/// (an injected status failure). An aborted command is final for a request
/// sent through the SCSI generic driver: the kernel gives it back, never
/// sends it again.
inline constexpr Sense kVendorCommandAborted{kAbortedCommand, 0x00, 0x00};
}  // namespace sense

inline constexpr std::size_t kFixedSenseSize = 18;
using FixedSense = std::array<Byte, kFixedSenseSize>;

/// Fixed-format sense data (response code 70h, current errors).
FixedSense fixedSense(const Sense& sense);

}  // namespace updater
