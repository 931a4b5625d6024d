#pragma once

// Tells a message box's icon from the screen pixels of its icon control. The
// system's icons differ in their main colour: the stop icon is red, the
// warning icon yellow, the information icon blue; a box without an icon
// shows only the box's grey.

#include <string_view>

#include "screen_image.h"

namespace gui_driver {

enum class IconKind { None, Stop, Warning, Information };

/// The icon whose colour covers the largest part of `image`, or None when no
/// icon colour covers a noticeable part of it.
IconKind classifyIcon(const ScreenImage& image);

/// The transcript's name of the icon: "none", "stop", "warning", "information".
std::string_view iconName(IconKind kind);

}  // namespace gui_driver
