#pragma once

// Copies what the screen shows in a window's rectangle. Under Wine the
// program's icons and bitmaps are objects of its own process, so pixels on
// the screen are the only way to see them from outside.

#include <windows.h>

#include <optional>
#include <string>

#include "screen_image.h"

namespace gui_driver {

/// The screen inside `window`'s rectangle, frame included; nothing when the
/// window is gone or the copy fails.
std::optional<ScreenImage> captureWindow(HWND window);

/// Writes `image` to `path` as a BMP file; false with `error` set when it
/// cannot.
bool saveBmp(const ScreenImage& image, const std::string& path, std::string& error);

}  // namespace gui_driver
