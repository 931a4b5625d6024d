#include "platform/sim/progress_bar.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(ProgressBar, StepsUpToTheUpperBoundThenStartsOverFromTheLowerBound) {
  ProgressBar bar;
  bar.setRange(0, 15);
  bar.step = 5;
  bar.stepIt();
  bar.stepIt();
  bar.stepIt();
  EXPECT_EQ(bar.position, 15);  // reaching the bound is not passing it
  bar.stepIt();
  EXPECT_EQ(bar.position, 5);
}

TEST(ProgressBar, WrapKeepsTheRemainderPastTheBound) {
  ProgressBar bar;
  bar.setRange(0, 15);
  bar.position = 14;
  bar.step = 4;
  bar.stepIt();
  EXPECT_EQ(bar.position, 3);
}

TEST(ProgressBar, NewRangePullsThePositionIntoIt) {
  ProgressBar bar;
  bar.position = 50;
  bar.setRange(0, 10);
  EXPECT_EQ(bar.position, 10);
}

}  // namespace
}  // namespace updater
