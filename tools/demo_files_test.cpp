#include "tools/demo_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "jobs/image_files.h"
#include "jobs/scramble.h"

namespace updater {
namespace {

std::vector<Byte> committedFile(std::string_view name) {
  std::ifstream in(std::filesystem::path(UPDATER_DEMO_DIR) / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DemoFiles, CommittedFilesAreWhatTheGeneratorMakes) {
  const DemoFiles made = makeDemoFiles();
  const struct {
    std::string_view name;
    const std::vector<Byte>& bytes;
  } files[] = {{kDemoImageName, made.image},
               {kDemoAddressName, made.address},
               {kDemoBmpMapName, made.bmpMap},
               {kDemoMsFirmwareName, made.msFirmware}};
  for (const auto& file : files) {
    EXPECT_EQ(committedFile(file.name), file.bytes)
        << file.name << " differs from the generator's; run make-demo-image examples/demo";
  }
}

TEST(DemoFiles, ImageIsAScrambledType6WithItsIdentityWindowInThePlain) {
  const DemoFiles made = makeDemoFiles();
  ASSERT_EQ(made.image.size(), kDemoImageLength);
  EXPECT_EQ(made.image[0], 6);
  EXPECT_EQ(made.image[1], kScrambledMark);

  const auto record = parseAddressRecord(made.address, AddressWords::WithBmpMap);
  ASSERT_TRUE(record.has_value());
  EXPECT_EQ(*record, kDemoAddress);

  // The factory identity sits unscrambled at the block's start; the BmpMap's
  // place unscrambles to its empty fill.
  const std::size_t block = kScrambledHeadLength + kDemoAddress.blockOffset;
  EXPECT_EQ(std::string(made.image.begin() + static_cast<long>(block) + 28,
                        made.image.begin() + static_cast<long>(block) + 35),
            "Generic");
  std::vector<Byte> body(made.image.size() - kScrambledHeadLength);
  ASSERT_TRUE(unscramble(ConstBytes(made.image).subspan(kScrambledHeadLength), body,
                         {kDemoAddress.blockOffset, kDemoAddress.plainLength}));
  for (std::size_t i = 0; i < kBmpMapSize; ++i) ASSERT_EQ(body[kDemoAddress.bmpMapOffset + i], 0xFF) << i;
  EXPECT_EQ(made.bmpMap.size(), kBmpMapSize);
}

}  // namespace
}  // namespace updater
