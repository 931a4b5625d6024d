#include "screen_image.h"

#include <algorithm>

#include "common/bytes.h"

namespace gui_driver {
namespace {

using updater::putU16;
using updater::putU32;

// BITMAPFILEHEADER
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kFileType = 0;       // "BM"
constexpr std::size_t kFileSize = 2;
constexpr std::size_t kPixelsOffset = 10;

// BITMAPINFOHEADER, after the file header
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kInfoSize = 0;
constexpr std::size_t kInfoWidth = 4;
constexpr std::size_t kInfoHeight = 8;     // positive: rows bottom-up
constexpr std::size_t kInfoPlanes = 12;
constexpr std::size_t kInfoBitCount = 14;
constexpr std::size_t kInfoImageSize = 20;
// Compression (BI_RGB), resolution and palette fields stay 0.

}  // namespace

Rgb ScreenImage::at(int x, int y) const {
  const std::size_t row = static_cast<std::size_t>(height - 1 - y);
  const std::size_t offset = row * rowStride() + static_cast<std::size_t>(x) * 3;
  return Rgb{pixels[offset + 2], pixels[offset + 1], pixels[offset]};
}

std::vector<std::uint8_t> bmpFile(const ScreenImage& image) {
  const std::size_t headers = kFileHeaderSize + kInfoHeaderSize;
  std::vector<std::uint8_t> file(headers + image.pixels.size(), 0);
  const updater::Bytes bytes(file);
  bytes[kFileType] = 'B';
  bytes[kFileType + 1] = 'M';
  putU32(bytes, kFileSize, static_cast<std::uint32_t>(file.size()));
  putU32(bytes, kPixelsOffset, static_cast<std::uint32_t>(headers));
  const updater::Bytes info = bytes.subspan(kFileHeaderSize, kInfoHeaderSize);
  putU32(info, kInfoSize, static_cast<std::uint32_t>(kInfoHeaderSize));
  putU32(info, kInfoWidth, static_cast<std::uint32_t>(image.width));
  putU32(info, kInfoHeight, static_cast<std::uint32_t>(image.height));
  putU16(info, kInfoPlanes, 1);
  putU16(info, kInfoBitCount, 24);
  putU32(info, kInfoImageSize, static_cast<std::uint32_t>(image.pixels.size()));
  std::copy(image.pixels.begin(), image.pixels.end(), file.begin() + static_cast<std::ptrdiff_t>(headers));
  return file;
}

}  // namespace gui_driver
