#include "gui_driver/screen_image.h"

#include <gtest/gtest.h>

#include "common/bytes.h"

namespace gui_driver {
namespace {

using updater::getU16;
using updater::getU32;

// Three pixels wide (nine bytes a row, padded to twelve), two high.
ScreenImage twoRows() {
  ScreenImage image;
  image.width = 3;
  image.height = 2;
  image.pixels.assign(image.rowStride() * 2, 0);
  // Bottom-up: the first stored row is the picture's bottom row.
  image.pixels[0] = 0x11;   // bottom left, blue
  image.pixels[12 + 8] = 0x22;  // top right, red
  return image;
}

TEST(ScreenImage, RowsArePaddedAndStoredBottomUp) {
  const ScreenImage image = twoRows();
  EXPECT_EQ(image.rowStride(), 12u);
  EXPECT_EQ(image.at(0, 1).blue, 0x11);
  EXPECT_EQ(image.at(2, 0).red, 0x22);
  EXPECT_EQ(image.at(0, 0).blue, 0);
}

TEST(ScreenImage, BmpFileHasTheHeadersBeforeThePixels) {
  const ScreenImage image = twoRows();
  const std::vector<std::uint8_t> file = bmpFile(image);
  const updater::ConstBytes bytes(file);
  ASSERT_EQ(file.size(), 14u + 40u + 24u);
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(getU32(bytes, 2), file.size());
  EXPECT_EQ(getU32(bytes, 10), 54u);        // pixels offset
  EXPECT_EQ(getU32(bytes, 14), 40u);        // info header size
  EXPECT_EQ(getU32(bytes, 18), 3u);         // width
  EXPECT_EQ(getU32(bytes, 22), 2u);         // height, positive: bottom-up
  EXPECT_EQ(getU16(bytes, 26), 1u);         // planes
  EXPECT_EQ(getU16(bytes, 28), 24u);        // bits per pixel
  EXPECT_EQ(getU32(bytes, 30), 0u);         // BI_RGB
  EXPECT_EQ(getU32(bytes, 34), 24u);        // pixel bytes
  EXPECT_EQ(file[54], 0x11);
  EXPECT_EQ(file[54 + 12 + 8], 0x22);
}

}  // namespace
}  // namespace gui_driver
