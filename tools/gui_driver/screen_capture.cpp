#include "screen_capture.h"

#include <cstdio>
#include <vector>

namespace gui_driver {
namespace {

// Copies the screen rectangle into a 24-bit bottom-up DIB and returns its bits.
std::optional<ScreenImage> captureRect(const RECT& rect) {
  ScreenImage image;
  image.width = rect.right - rect.left;
  image.height = rect.bottom - rect.top;
  if (image.width <= 0 || image.height <= 0) return std::nullopt;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = image.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;

  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool copied = false;
  if (memory != nullptr && bitmap != nullptr) {
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    copied = BitBlt(memory, 0, 0, image.width, image.height, screen, rect.left, rect.top, SRCCOPY) != 0;
    GdiFlush();
    if (copied) {
      const auto* first = static_cast<const std::uint8_t*>(bits);
      image.pixels.assign(first, first + image.rowStride() * static_cast<std::size_t>(image.height));
    }
    SelectObject(memory, previous);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!copied) return std::nullopt;
  return image;
}

}  // namespace

std::optional<ScreenImage> captureWindow(HWND window) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return std::nullopt;
  return captureRect(rect);
}

bool saveBmp(const ScreenImage& image, const std::string& path, std::string& error) {
  const std::vector<std::uint8_t> file = bmpFile(image);
  std::FILE* out = std::fopen(path.c_str(), "wb");
  const bool written = out != nullptr && std::fwrite(file.data(), 1, file.size(), out) == file.size();
  const bool closed = out != nullptr && std::fclose(out) == 0;
  if (!written || !closed) error = "cannot write " + path;
  return written && closed;
}

}  // namespace gui_driver
