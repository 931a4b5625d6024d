#include "platform/sim/data_address_table.h"

#include <gtest/gtest.h>

#include <vector>

namespace updater {
namespace {

TEST(DataAddressTable, ResolvesAddressesInsideEachBufferOnly) {
  DataAddressTable table;
  std::vector<Byte> answer(8);
  std::vector<Byte> image(4096);
  const DataAddress answerAddress = table.add(answer);
  const DataAddress imageAddress = table.add(image);
  ASSERT_NE(answerAddress, 0u);
  ASSERT_NE(imageAddress, 0u);

  const auto whole = table.resolve(imageAddress, 4096);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->data(), image.data());
  const auto inside = table.resolve(imageAddress + 512, 512);
  ASSERT_TRUE(inside);
  EXPECT_EQ(inside->data(), image.data() + 512);

  EXPECT_FALSE(table.resolve(answerAddress, 9)) << "longer than the buffer";
  EXPECT_FALSE(table.resolve(answerAddress + 8, 1)) << "just past the buffer";
  EXPECT_FALSE(table.resolve(imageAddress + 4096, 0));
  EXPECT_FALSE(table.resolve(0, 1));

  table.clear();
  EXPECT_FALSE(table.resolve(answerAddress, 1)) << "cleared";
  EXPECT_EQ(table.add({}), 0u) << "an empty buffer has no address";
}

}  // namespace
}  // namespace updater
