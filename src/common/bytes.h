#pragma once

// Little-endian reads and writes at explicit offsets of byte spans. Every wire
// record and file field of the program is built and read with these, never by
// casting a structure over a buffer, so nothing depends on the host's layout.

#include <cstddef>
#include <cstdint>
#include <span>

namespace updater {

using Byte = std::uint8_t;
using Bytes = std::span<Byte>;
using ConstBytes = std::span<const Byte>;

inline void putU8(Bytes out, std::size_t offset, std::uint8_t value) { out[offset] = value; }

inline void putU16(Bytes out, std::size_t offset, std::uint16_t value) {
  out[offset] = static_cast<Byte>(value);
  out[offset + 1] = static_cast<Byte>(value >> 8);
}

inline void putU32(Bytes out, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) out[offset + i] = static_cast<Byte>(value >> (8 * i));
}

inline std::uint8_t getU8(ConstBytes in, std::size_t offset) { return in[offset]; }

inline std::uint16_t getU16(ConstBytes in, std::size_t offset) {
  return static_cast<std::uint16_t>(in[offset] | (in[offset + 1] << 8));
}

inline std::uint32_t getU32(ConstBytes in, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(in[offset + i]) << (8 * i);
  return value;
}

}  // namespace updater
