#include "virtual_reader/virtual_reader_options.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(VirtualReaderOptionsTest, EveryOptionAndItsDefault) {
  const auto defaults = parseVirtualReaderOptions({"--machine", "m.json"});
  ASSERT_TRUE(defaults.options) << defaults.error;
  EXPECT_EQ(defaults.options->reader, 1);
  EXPECT_EQ(defaults.options->udc, "dummy_udc.0");
  EXPECT_EQ(defaults.options->unplugAfter, 0);

  const auto all = parseVirtualReaderOptions({"--machine", "m.json", "--reader", "2", "--udc", "u.1", "--gadget", "g_1",
                                              "--flash-out", "f.bin", "--ms-flash-out", "ms.bin", "--unplug-after", "3",
                                              "--trace"});
  ASSERT_TRUE(all.options) << all.error;
  EXPECT_EQ(all.options->machineFile, "m.json");
  EXPECT_EQ(all.options->reader, 2);
  EXPECT_EQ(all.options->udc, "u.1");
  EXPECT_EQ(all.options->gadget, "g_1");
  EXPECT_EQ(all.options->flashOut, "f.bin");
  EXPECT_EQ(all.options->msFlashOut, "ms.bin");
  EXPECT_EQ(all.options->unplugAfter, 3);
  EXPECT_TRUE(all.options->trace);
  EXPECT_FALSE(defaults.options->trace);
}

TEST(VirtualReaderOptionsTest, RefusedCommandLinesSayWhy) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } rows[] = {
      {{}, "--machine FILE is required"},
      {{"--machine"}, "--machine needs a value"},
      {{"--machine", "m", "--reader", "0"}, "--reader: not a number from 1: 0"},
      {{"--machine", "m", "--unplug-after", "x"}, "--unplug-after: not a number from 0: x"},
      {{"--machine", "m", "--gadget", "../g"}, "--gadget: letters, digits, '_' and '-' only, up to 32: ../g"},
      {{"--machine", "m", "--udc", ""}, "--udc: not a controller name"},
      {{"--machine", "m", "--speed", "high"}, "unknown argument --speed"},
  };
  for (const auto& row : rows) {
    const auto result = parseVirtualReaderOptions(row.arguments);
    EXPECT_FALSE(result.options) << row.error;
    EXPECT_EQ(result.error, row.error);
  }
  EXPECT_TRUE(parseVirtualReaderOptions({"--help"}).help);
}

}  // namespace
}  // namespace updater
