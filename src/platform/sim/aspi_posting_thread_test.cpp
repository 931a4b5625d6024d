#include "platform/sim/aspi_posting_thread.h"

#include <array>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/aspi_srb.h"

namespace updater {
namespace {

namespace srb = aspi_srb;

// Notes each posting: which block, its status, and on which thread.
class RecordingPosting : public AspiPostingRoutine {
 public:
  void posted(Bytes block) override {
    blocks.push_back(block.data());
    statuses.push_back(block[srb::kStatus]);
    threads.push_back(std::this_thread::get_id());
  }
  std::vector<const Byte*> blocks;
  std::vector<Byte> statuses;
  std::vector<std::thread::id> threads;
};

using Block = std::array<Byte, srb::kBlockSize>;

TEST(AspiPostingThread, PostsOnItsOwnThreadAsVirtualTimeReachesEachPosting) {
  Block late{}, first{}, second{};
  RecordingPosting routine;
  AspiPostingThread layer;
  layer.queue(late, routine, {srb::kComplete, 0, 0}, 30);
  layer.queue(first, routine, {srb::kError, srb::kHaStatSelectionTimeout, 0}, 10);
  layer.queue(second, routine, {srb::kNoDevice, 0, 2}, 10);

  layer.runUntil(9);
  EXPECT_TRUE(routine.blocks.empty());
  EXPECT_EQ(layer.pendingCount(), 3u);
  layer.runUntil(10);
  ASSERT_EQ(routine.blocks.size(), 2u);
  EXPECT_EQ(routine.blocks[0], first.data()) << "due at once: in queueing order";
  EXPECT_EQ(routine.blocks[1], second.data());
  EXPECT_EQ(first[srb::kHaStat], srb::kHaStatSelectionTimeout);
  EXPECT_EQ(second[srb::kTargStat], 2);
  layer.runUntil(5);
  EXPECT_EQ(routine.blocks.size(), 2u) << "time does not run back";
  layer.runUntil(100);
  ASSERT_EQ(routine.blocks.size(), 3u);
  EXPECT_EQ(routine.statuses, (std::vector<Byte>{srb::kError, srb::kNoDevice, srb::kComplete}));
  for (const auto id : routine.threads) EXPECT_NE(id, std::this_thread::get_id());
  EXPECT_EQ(layer.pendingCount(), 0u);
}

TEST(AspiPostingThread, PostAllNowGivesEverythingBackWithTheStatusGiven) {
  Block a{}, b{};
  RecordingPosting routine;
  AspiPostingThread layer;
  layer.queue(a, routine, {srb::kComplete, 0, 0}, 1'000'000);
  layer.queue(b, routine, {srb::kComplete, 0, 0}, 2'000'000);
  layer.postAllNow(srb::kAborted);
  EXPECT_EQ(routine.statuses, (std::vector<Byte>{srb::kAborted, srb::kAborted}));
  EXPECT_EQ(layer.pendingCount(), 0u);
}

TEST(AspiPostingThread, PostingsNotDueWhenItStopsNeverRun) {
  Block block{};
  RecordingPosting routine;
  {
    AspiPostingThread layer;
    layer.queue(block, routine, {srb::kComplete, 0, 0}, 50);
    layer.runUntil(49);
  }
  EXPECT_TRUE(routine.blocks.empty());
  EXPECT_EQ(block[srb::kStatus], 0);
}

}  // namespace
}  // namespace updater
