#include "platform/sim/failure_plan.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(FailurePlan, FailsTheNamedOccurrenceAndCountsEveryRequest) {
  FailurePlan plan({{"getIspStatus", 2, FailureKind::ScsiStatus}});
  EXPECT_EQ(plan.next("getIspStatus"), std::nullopt);
  EXPECT_EQ(plan.next("jumpToIsp"), std::nullopt);
  EXPECT_EQ(plan.next("getIspStatus"), FailureKind::ScsiStatus);
  EXPECT_EQ(plan.next("getIspStatus"), std::nullopt);
  EXPECT_EQ(plan.counts(), (std::map<std::string, int>{{"getIspStatus", 3}, {"jumpToIsp", 1}}));
  EXPECT_FALSE(plan.unplugged());
}

TEST(FailurePlan, AnUnpluggedReaderFailsThatRequestAndEveryLaterOne) {
  FailurePlan plan({{"sendIspData", 1, FailureKind::Unplugged}});
  EXPECT_EQ(plan.next("getIspStatus"), std::nullopt);
  EXPECT_FALSE(plan.unplugged());
  EXPECT_EQ(plan.next("sendIspData"), FailureKind::Unplugged);
  EXPECT_TRUE(plan.unplugged());
  EXPECT_EQ(plan.next("getIspStatus"), FailureKind::Unplugged);
  EXPECT_EQ(plan.next("open"), FailureKind::Unplugged);
  EXPECT_EQ(plan.counts().at("getIspStatus"), 2);
}

}  // namespace
}  // namespace updater
