#pragma once

#include <cstdint>
#include <vector>

#include "common/bytes.h"

namespace updater {

/// The largest image the buffer holds.
inline constexpr std::uint32_t kImageBufferSize = 65536;

/// The program-wide firmware image: the image lies at the start of `image`,
/// `length` bytes long. The buffers are allocated once, with the program.
struct FirmwareImage {
  std::vector<Byte> image = std::vector<Byte>(kImageBufferSize, 0);
  std::uint32_t length = 0;
};

}  // namespace updater
