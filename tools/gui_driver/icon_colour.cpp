#include "icon_colour.h"

#include <array>
#include <cstddef>

namespace gui_driver {
namespace {

using ColourTest = bool (*)(Rgb);

bool isRed(Rgb c) { return c.red >= 160 && c.green <= 100 && c.blue <= 100; }
bool isYellow(Rgb c) { return c.red >= 180 && c.green >= 150 && c.blue <= 110; }
bool isBlue(Rgb c) { return c.blue >= 140 && c.red <= 110 && c.blue - c.red >= 60; }

struct IconColourRow {
  IconKind kind;
  ColourTest test;
};

constexpr std::array<IconColourRow, 3> kIconColours = {{
    {IconKind::Stop, isRed},
    {IconKind::Warning, isYellow},
    {IconKind::Information, isBlue},
}};

// An icon fills far more of its control than this; stray pixels of another
// colour (anti-aliased edges, a neighbour's frame) stay below it.
constexpr std::size_t kMinimumShareInPercent = 5;

}  // namespace

IconKind classifyIcon(const ScreenImage& image) {
  std::array<std::size_t, kIconColours.size()> counts{};
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const Rgb pixel = image.at(x, y);
      for (std::size_t i = 0; i < kIconColours.size(); ++i) counts[i] += kIconColours[i].test(pixel) ? 1u : 0u;
    }
  }
  const std::size_t total = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
  IconKind best = IconKind::None;
  std::size_t bestCount = 0;
  for (std::size_t i = 0; i < kIconColours.size(); ++i) {
    if (counts[i] * 100 < total * kMinimumShareInPercent || counts[i] <= bestCount) continue;
    best = kIconColours[i].kind;
    bestCount = counts[i];
  }
  return best;
}

std::string_view iconName(IconKind kind) {
  switch (kind) {
    case IconKind::Stop: return "stop";
    case IconKind::Warning: return "warning";
    case IconKind::Information: return "information";
    case IconKind::None: return "none";
  }
  return "none";
}

}  // namespace gui_driver
