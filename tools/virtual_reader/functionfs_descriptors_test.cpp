#include "virtual_reader/functionfs_descriptors.h"

#include <gtest/gtest.h>

#include <string>

namespace updater {
namespace {

TEST(FunctionFsDescriptorsTest, OneMassStorageInterfaceWithTwoBulkEndpointsAtEachSpeed) {
  const std::vector<Byte> block = functionfs::descriptorsBlock();
  ASSERT_EQ(block.size(), 20u + 2 * (9 + 7 + 7));
  EXPECT_EQ(getU32(block, 0), 3u) << "descriptors, version 2";
  EXPECT_EQ(getU32(block, 4), block.size());
  EXPECT_EQ(getU32(block, 8), 3u) << "full and high speed";
  EXPECT_EQ(getU32(block, 12), 3u);
  EXPECT_EQ(getU32(block, 16), 3u);
  for (const auto& [at, packet] : {std::pair<std::size_t, std::uint16_t>{20, 64}, {43, 512}}) {
    const std::vector<Byte> interface(block.begin() + static_cast<std::ptrdiff_t>(at),
                                      block.begin() + static_cast<std::ptrdiff_t>(at + 9));
    EXPECT_EQ(interface, (std::vector<Byte>{9, 4, 0, 0, 2, 0x08, 0x06, 0x50, 1}));
    EXPECT_EQ(std::vector<Byte>(block.begin() + static_cast<std::ptrdiff_t>(at + 9),
                                block.begin() + static_cast<std::ptrdiff_t>(at + 23)),
              (std::vector<Byte>{7, 5, 0x81, 2, static_cast<Byte>(packet), static_cast<Byte>(packet >> 8), 0,
                                 7, 5, 0x02, 2, static_cast<Byte>(packet), static_cast<Byte>(packet >> 8), 0}));
  }
}

TEST(FunctionFsDescriptorsTest, StringsHoldTheInterfaceNameInEnglish) {
  const std::vector<Byte> block = functionfs::stringsBlock();
  EXPECT_EQ(getU32(block, 0), 2u);
  EXPECT_EQ(getU32(block, 4), block.size());
  EXPECT_EQ(getU32(block, 8), 1u) << "one string";
  EXPECT_EQ(getU32(block, 12), 1u) << "one language";
  EXPECT_EQ(getU16(block, 16), 0x0409);
  EXPECT_EQ(std::string(block.begin() + 18, block.end()), std::string("Card Reader") + '\0');
}

}  // namespace
}  // namespace updater
