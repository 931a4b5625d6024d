#pragma once

// What the virtual reader writes to its FunctionFS ep0 before the gadget can
// be bound: the descriptors of its one interface (mass storage, SCSI
// transparent command set, bulk-only transport) with a bulk-in and a
// bulk-out endpoint, at full speed and at high speed; then its one string,
// the interface's name. The endpoint files follow the descriptors' order:
// ep1 is bulk-in, ep2 bulk-out.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/bytes.h"

namespace updater::functionfs {

// The values of the kernel's uapi header linux/usb/functionfs.h; the Linux
// glue checks them against it.
inline constexpr std::uint32_t kDescriptorsMagicV2 = 3;
inline constexpr std::uint32_t kStringsMagic = 2;
inline constexpr std::uint32_t kHasFullSpeed = 1;
inline constexpr std::uint32_t kHasHighSpeed = 2;

inline constexpr std::uint16_t kFullSpeedPacket = 64;
inline constexpr std::uint16_t kHighSpeedPacket = 512;
inline constexpr Byte kBulkInAddress = 0x81;
inline constexpr Byte kBulkOutAddress = 0x02;

inline constexpr Byte kMassStorageClass = 0x08;
inline constexpr Byte kScsiTransparentSubclass = 0x06;
inline constexpr Byte kBulkOnlyProtocol = 0x50;
inline constexpr std::uint16_t kEnglishUs = 0x0409;
inline constexpr const char* kInterfaceName = "Card Reader";

/// The descriptors block (magic v2, length, flags, counts, descriptors).
std::vector<Byte> descriptorsBlock();

/// The strings block (magic, length, counts, one language and its string).
std::vector<Byte> stringsBlock();

}  // namespace updater::functionfs
