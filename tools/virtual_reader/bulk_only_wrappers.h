#pragma once

// The two wrappers of the USB mass-storage bulk-only transport: the 31-byte
// command wrapper the host sends on bulk-out before each command, and the
// 13-byte status wrapper the reader answers on bulk-in after it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/bytes.h"

namespace updater::bulk_only {

inline constexpr std::size_t kCommandWrapperSize = 31;
inline constexpr std::size_t kStatusWrapperSize = 13;
inline constexpr std::uint32_t kCommandSignature = 0x43425355;  // "USBC"
inline constexpr std::uint32_t kStatusSignature = 0x53425355;   // "USBS"
inline constexpr std::size_t kCommandBlockField = 16;

namespace command_offset {
inline constexpr std::size_t kSignature = 0;           // u32
inline constexpr std::size_t kTag = 4;                 // u32, echoed in the status
inline constexpr std::size_t kDataTransferLength = 8;  // u32, the host's data length
inline constexpr std::size_t kFlags = 12;              // bit 7: data from the device
inline constexpr std::size_t kLun = 13;                // low 4 bits
inline constexpr std::size_t kBlockLength = 14;        // low 5 bits, 1..16
inline constexpr std::size_t kBlock = 15;              // 16 bytes
}  // namespace command_offset

namespace status_offset {
inline constexpr std::size_t kSignature = 0;     // u32
inline constexpr std::size_t kTag = 4;           // u32
inline constexpr std::size_t kDataResidue = 8;   // u32
inline constexpr std::size_t kStatus = 12;       // u8
}  // namespace status_offset

enum class CommandStatus : Byte { Passed = 0, Failed = 1, PhaseError = 2 };

/// A command wrapper that is valid (its size and signature) and meaningful
/// (no reserved bit set, a unit the reader has, a block of 1 to 16 bytes).
struct CommandWrapper {
  std::uint32_t tag = 0;
  std::uint32_t dataLength = 0;
  bool dataIn = false;
  Byte lun = 0;
  /// The block; bytes beyond its length are zero whatever the host sent there.
  std::array<Byte, kCommandBlockField> block{};
};

/// The wrapper in `packet`, or none when it is not valid and meaningful for a
/// reader whose highest unit is `maxLun`.
std::optional<CommandWrapper> parseCommandWrapper(ConstBytes packet, Byte maxLun);

using StatusWrapper = std::array<Byte, kStatusWrapperSize>;

StatusWrapper statusWrapper(std::uint32_t tag, std::uint32_t residue, CommandStatus status);

}  // namespace updater::bulk_only
