#include "platform/sim/sim_ms_controller.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(SimMsController, HonestControllerSwitchesProgramsAndComparesAsItWrites) {
  SimMsController ms;
  ms.flash = {1, 2};
  EXPECT_FALSE(ms.answersStatus());
  ms.transfer(0, std::vector<Byte>{7});
  EXPECT_EQ(ms.readStatus(), 0xEE) << "the main program takes no transfer";
  EXPECT_EQ(ms.flash, (std::vector<Byte>{1, 2}));

  ms.switchProgram();
  EXPECT_TRUE(ms.inLoader());
  EXPECT_EQ(ms.readStatus(), 0x9C);
  ms.transfer(1, std::vector<Byte>{1, 2, 3});
  EXPECT_EQ(ms.readStatus(), 0x33);
  ms.transfer(0, std::vector<Byte>{1, 2, 3});
  EXPECT_EQ(ms.readStatus(), 0xA5);
  ms.transfer(1, std::vector<Byte>{1, 2, 3});
  EXPECT_EQ(ms.readStatus(), 0xA5);
  ms.transfer(2, std::vector<Byte>{1, 2, 3});
  EXPECT_EQ(ms.readStatus(), 0xEE) << "no such mode";

  ms.switchProgram();
  EXPECT_FALSE(ms.inLoader());
  EXPECT_TRUE(ms.answersStatus()) << "the switch back is answered once";
  EXPECT_EQ(ms.readStatus(), 0x9C);
  EXPECT_FALSE(ms.answersStatus());
  EXPECT_EQ(ms.flash, (std::vector<Byte>{1, 2, 3}));
  EXPECT_EQ(ms.switchCount(), 2);
  EXPECT_EQ(ms.transferCount(), 5);
  EXPECT_EQ(ms.programCount(), 1);
}

TEST(SimMsController, ScriptedAnswersFollowTheKindOfTheLastCommand) {
  SimMsController ms;
  ms.script = {{0x9B, 0x9C}, {0x33, 0x33, 0xA5}, {0x00}};
  ms.switchProgram();
  EXPECT_EQ(ms.readStatus(), 0x9B);
  ms.transfer(0, std::vector<Byte>{1});
  EXPECT_EQ(ms.readStatus(), 0x33);
  ms.transfer(0, std::vector<Byte>{1});
  ms.transfer(0, std::vector<Byte>{1});
  EXPECT_EQ(ms.readStatus(), 0xA5) << "the third transfer";
  ms.transfer(0, std::vector<Byte>{1});
  EXPECT_EQ(ms.readStatus(), 0xA5) << "the last value repeats";
  EXPECT_EQ(ms.flash, std::vector<Byte>{1}) << "the honest state follows";
  ms.switchProgram();
  EXPECT_EQ(ms.readStatus(), 0x00);
  ms.switchProgram();
  EXPECT_EQ(ms.readStatus(), 0x9C) << "the second switch into the loader";
}

}  // namespace
}  // namespace updater
