#include "cbw_pass_through.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_pass_through.h"

namespace updater {
namespace {

bulk_only::Cbw cbwOf(std::initializer_list<Byte> block, Byte blockLength, std::uint32_t length, bool in) {
  bulk_only::Cbw cbw;
  std::copy(block.begin(), block.end(), cbw.block.begin());
  cbw.blockLength = blockLength;
  cbw.dataLength = length;
  cbw.dataIn = in;
  return cbw;
}

// Each of the program's commands, as the kernel carries it from SG_IO, must
// become a request the simulated reader accepts; the kernel's own do not.
TEST(CbwPassThrough, TheProgramsCommandsPassTheReadersChecks) {
  struct Row {
    const char* name;
    bulk_only::Cbw cbw;
    bool accepted;
  } const rows[] = {
      {"inquiry", cbwOf({0x12, 0, 0, 0, 0x24}, 12, 36, true), true},
      {"deviceIdentify", cbwOf({0x06, 0x05, 0, 0, 0, 0, 0, 0, 0x80}, 12, 528, true), true},
      {"getIspStatus", cbwOf({0x06, 0xB0, 0, 0, 0x08}, 12, 8, true), true},
      {"jumpToIsp", cbwOf({0x06, 0xBF, 0, 0, 0x08}, 12, 0, false), true},
      {"kernel inquiry", cbwOf({0x12, 0, 0, 0, 0x24}, 6, 36, true), false},
      {"longer inquiry", cbwOf({0x12, 0, 0, 0, 0x60}, 12, 96, true), false},
  };
  for (const Row& row : rows) {
    auto request = passThroughFromCbw(row.cbw, {});
    const bool translated = request.has_value();
    bool accepted = false;
    if (translated) accepted = checkPassThrough(request->input(), request->output()).request.has_value();
    EXPECT_EQ(accepted, row.accepted) << row.name;
  }
}

}  // namespace
}  // namespace updater
