#include "platform/aspi_posting_table.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/aspi_srb.h"

namespace updater {
namespace {

using Block = std::array<Byte, aspi_srb::kBlockSize>;

class CountingPosting : public AspiPostingRoutine {
 public:
  void posted(Bytes block) override {
    lastBlock = block;
    count.fetch_add(1, std::memory_order_relaxed);
  }
  Bytes lastBlock;
  std::atomic<int> count{0};
};

TEST(AspiPostingTable, EachPostingRunsTheRoutineOfItsOwnBlockOnce) {
  AspiPostingTable table;
  Block first{}, second{};
  CountingPosting firstRoutine, secondRoutine;
  table.add(first, firstRoutine);
  table.add(second, secondRoutine);

  EXPECT_TRUE(table.post(second.data()));
  EXPECT_EQ(secondRoutine.count, 1);
  EXPECT_EQ(secondRoutine.lastBlock.data(), second.data());
  EXPECT_EQ(secondRoutine.lastBlock.size(), second.size());
  EXPECT_EQ(firstRoutine.count, 0);

  EXPECT_FALSE(table.post(second.data())) << "posted twice";
  EXPECT_FALSE(table.post(second.data() + 1)) << "not the start of a block";
  EXPECT_EQ(secondRoutine.count, 1);
  EXPECT_TRUE(table.post(first.data()));
  EXPECT_EQ(firstRoutine.count, 1);
  EXPECT_EQ(table.size(), 0u);
}

TEST(AspiPostingTable, ABlockSentAgainReplacesItsUnpostedEntry) {
  AspiPostingTable table;
  Block block{};
  CountingPosting stale, current;
  table.add(block, stale);
  table.add(block, current);
  EXPECT_EQ(table.size(), 1u);
  EXPECT_TRUE(table.post(block.data()));
  EXPECT_EQ(current.count, 1);
  EXPECT_EQ(stale.count, 0);
}

// ASPI lets a posting routine send the next request; the table must not
// hold its lock while the routine runs.
TEST(AspiPostingTable, ARoutineMaySendTheNextRequest) {
  AspiPostingTable table;
  Block first{}, next{};
  CountingPosting nextRoutine;
  class SendingPosting : public AspiPostingRoutine {
   public:
    SendingPosting(AspiPostingTable& table, Block& next, AspiPostingRoutine& routine)
        : table_(table), next_(next), routine_(routine) {}
    void posted(Bytes) override { table_.add(next_, routine_); }

   private:
    AspiPostingTable& table_;
    Block& next_;
    AspiPostingRoutine& routine_;
  } sending(table, next, nextRoutine);

  table.add(first, sending);
  EXPECT_TRUE(table.post(first.data()));
  EXPECT_TRUE(table.post(next.data()));
  EXPECT_EQ(nextRoutine.count, 1);
}

TEST(AspiPostingTable, TheLayersThreadPostsWhileTheSenderAdds) {
  constexpr std::size_t kRequests = 64;
  AspiPostingTable table;
  std::vector<Block> blocks(kRequests);
  std::vector<CountingPosting> routines(kRequests);

  std::thread layer([&] {
    for (Block& block : blocks) {
      while (!table.post(block.data())) std::this_thread::yield();
    }
  });
  for (std::size_t i = 0; i < kRequests; ++i) table.add(blocks[i], routines[i]);
  layer.join();

  for (std::size_t i = 0; i < kRequests; ++i) EXPECT_EQ(routines[i].count, 1) << "request " << i;
  EXPECT_EQ(table.size(), 0u);
}

}  // namespace
}  // namespace updater
