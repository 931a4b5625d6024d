#pragma once

// A rectangle of the screen as 24-bit pixels, laid out as a BMP file holds
// them: rows bottom-up, each row blue, green, red per pixel and padded to a
// multiple of four bytes.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gui_driver {

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

struct ScreenImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // bottom-up rows of rowStride() bytes

  std::size_t rowStride() const { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }
  /// The pixel at column x of row y, row 0 at the top.
  Rgb at(int x, int y) const;
};

/// The whole image as a BMP file (BITMAPFILEHEADER, BITMAPINFOHEADER, pixels).
std::vector<std::uint8_t> bmpFile(const ScreenImage& image);

}  // namespace gui_driver
