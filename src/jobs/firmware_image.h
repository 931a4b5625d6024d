#pragma once

// The program-wide firmware image: the ROM code file's bytes as a job loaded
// them, the scratch buffer of the BmpMap insertion, the BmpMap and the
// address record that go with the image. Each job reloads all of it from the
// working directory (image_files.h).
//
// The image head: byte 0 is the image type, byte 1 the encoding mark (0xFC for
// the plain type 4, 0xFE for the scrambled types). Scrambled images carry four
// more head bytes that nothing reads; their body positions count from byte 6.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/bytes.h"

namespace updater {

/// The largest image the buffer holds.
inline constexpr std::uint32_t kImageBufferSize = 65536;
inline constexpr std::size_t kBmpMapSize = 640;

inline constexpr std::size_t kImageTypeOffset = 0;
inline constexpr std::size_t kEncodingMarkOffset = 1;
/// Where the identity block's offset counts from in a plain image and in a
/// scrambled one: the end of the head.
inline constexpr std::size_t kPlainHeadLength = 2;
inline constexpr std::size_t kScrambledHeadLength = 6;

inline constexpr Byte kPlainMark = 0xFC;
inline constexpr Byte kScrambledMark = 0xFE;

/// Where the identity data lie in an image, as the image's address file says.
struct AddressRecord {
  /// The identity block, counted from the end of the image head.
  std::uint32_t blockOffset = 0;
  /// The serial-number descriptor lies serialSlot × slotSize bytes after the
  /// start of the identity block.
  std::uint32_t serialSlot = 0;
  std::uint32_t slotSize = 0;
  /// Body positions from blockOffset on that the scrambling leaves plain.
  std::uint32_t plainLength = 0;
  /// Body position of the BmpMap in the unscrambled body; 0 = none.
  std::uint32_t bmpMapOffset = 0;

  bool operator==(const AddressRecord&) const = default;
};

/// The image lies at the start of `image`, `length` bytes long; the rest of
/// the buffer is zeros after every load, so the fill up to whole transfer
/// blocks never carries an earlier image. The buffers are allocated once,
/// with the program.
struct FirmwareImage {
  std::vector<Byte> image = std::vector<Byte>(kImageBufferSize, 0);
  std::uint32_t length = 0;
  /// The unscrambled body while the BmpMap goes in.
  std::vector<Byte> workBuffer = std::vector<Byte>(kImageBufferSize, 0);
  std::array<Byte, kBmpMapSize> bmpMap{};
  /// The record of the last address file read; all 0 when the job read none.
  AddressRecord address;
};

/// The two head bytes that tell how the image is laid out.
struct ImageHead {
  Byte imageType = 0;
  Byte encodingMark = 0;
};

inline ImageHead imageHead(const FirmwareImage& firmware) {
  return {getU8(firmware.image, kImageTypeOffset), getU8(firmware.image, kEncodingMarkOffset)};
}

}  // namespace updater
