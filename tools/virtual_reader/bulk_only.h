#pragma once

// The two wire records of USB mass-storage Bulk-Only Transport: the command
// block wrapper the host sends on bulk-out before each command, and the
// command status wrapper the device answers on bulk-in after it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/bytes.h"

namespace updater::bulk_only {

// Command block wrapper (CBW), 31 bytes, little-endian fields.
inline constexpr std::size_t kCbwSize = 31;
inline constexpr std::uint32_t kCbwSignature = 0x43425355;  // "USBC"
inline constexpr std::size_t kCbwSignatureAt = 0;
inline constexpr std::size_t kCbwTagAt = 4;
inline constexpr std::size_t kCbwDataLengthAt = 8;
inline constexpr std::size_t kCbwFlagsAt = 12;
inline constexpr std::size_t kCbwLunAt = 13;
inline constexpr std::size_t kCbwBlockLengthAt = 14;
inline constexpr std::size_t kCbwBlockAt = 15;
inline constexpr std::size_t kCbwBlockFieldSize = 16;
inline constexpr Byte kFlagDataIn = 0x80;

// Command status wrapper (CSW), 13 bytes.
inline constexpr std::size_t kCswSize = 13;
inline constexpr std::uint32_t kCswSignature = 0x53425355;  // "USBS"
inline constexpr std::size_t kCswSignatureAt = 0;
inline constexpr std::size_t kCswTagAt = 4;
inline constexpr std::size_t kCswResidueAt = 8;
inline constexpr std::size_t kCswStatusAt = 12;

enum class Status : Byte { Good = 0, Failed = 1, PhaseError = 2 };

/// A command block wrapper taken apart.
struct Cbw {
  std::uint32_t tag = 0;
  std::uint32_t dataLength = 0;
  bool dataIn = false;
  Byte lun = 0;
  Byte blockLength = 0;
  std::array<Byte, kCbwBlockFieldSize> block{};

  /// The host expects data from the device.
  bool expectsIn() const { return dataLength > 0 && dataIn; }
  /// The host sends data to the device.
  bool expectsOut() const { return dataLength > 0 && !dataIn; }
};

/// The wrapper in `bytes`, or none when it is not a valid, meaningful one:
/// wrong size or signature, a command block length outside 1..16 or a
/// logical unit at or past `units`.
std::optional<Cbw> parseCbw(ConstBytes bytes, int units);

using Csw = std::array<Byte, kCswSize>;

Csw makeCsw(std::uint32_t tag, std::uint32_t residue, Status status);

}  // namespace updater::bulk_only
