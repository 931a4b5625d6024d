#pragma once

// SCSI command blocks and their data carry their numbers most significant
// byte first, unlike every other record of the program (common/bytes.h), so
// the reader reads and writes them with these, at named offsets.

#include <cstddef>
#include <cstdint>

#include "common/bytes.h"

namespace updater {

inline std::uint16_t getU16Msb(ConstBytes in, std::size_t offset) {
  return static_cast<std::uint16_t>(in[offset] << 8 | in[offset + 1]);
}

inline std::uint32_t getU32Msb(ConstBytes in, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | in[offset + i];
  return value;
}

inline void putU16Msb(Bytes out, std::size_t offset, std::uint16_t value) {
  out[offset] = static_cast<Byte>(value >> 8);
  out[offset + 1] = static_cast<Byte>(value);
}

inline void putU32Msb(Bytes out, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[offset + i] = static_cast<Byte>(value >> (8 * (3 - i)));
}

}  // namespace updater
