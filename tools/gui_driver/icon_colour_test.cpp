#include "gui_driver/icon_colour.h"

#include <gtest/gtest.h>

namespace gui_driver {
namespace {

constexpr Rgb kBoxGrey{240, 240, 240};
constexpr Rgb kStopRed{204, 0, 0};
constexpr Rgb kWarningYellow{252, 212, 60};
constexpr Rgb kInformationBlue{32, 74, 200};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// A 32 by 32 picture of `background` with `count` pixels of `colour` and
// `count2` of `colour2` from the top left on.
ScreenImage picture(Rgb background, Rgb colour, int count, Rgb colour2 = kBoxGrey, int count2 = 0) {
  ScreenImage image;
  image.width = 32;
  image.height = 32;
  image.pixels.assign(image.rowStride() * 32, 0);
  for (int i = 0; i < 32 * 32; ++i) {
    const Rgb pixel = i < count ? colour : i < count + count2 ? colour2 : background;
    const auto row = static_cast<std::size_t>(31 - i / 32);  // bottom-up
    const std::size_t offset = row * image.rowStride() + static_cast<std::size_t>(i % 32) * 3;
    image.pixels[offset] = pixel.blue;
    image.pixels[offset + 1] = pixel.green;
    image.pixels[offset + 2] = pixel.red;
  }
  return image;
}

struct IconCase {
  const char* name;
  ScreenImage image;
  IconKind expected;
};

TEST(IconColour, NamesTheIconByItsMainColour) {
  const IconCase cases[] = {
      {"red disc", picture(kBoxGrey, kStopRed, 480), IconKind::Stop},
      {"yellow triangle with a red rim", picture(kBoxGrey, kWarningYellow, 200, kStopRed, 28), IconKind::Warning},
      {"blue disc", picture(kBoxGrey, kInformationBlue, 550), IconKind::Information},
      {"white and black only", picture(kWhite, kBlack, 300), IconKind::None},
      {"the box's grey only", picture(kBoxGrey, kBoxGrey, 0), IconKind::None},
      {"a few stray red pixels", picture(kBoxGrey, kStopRed, 40), IconKind::None},
  };
  for (const auto& row : cases) EXPECT_EQ(classifyIcon(row.image), row.expected) << row.name;
}

}  // namespace
}  // namespace gui_driver
