#include "platform/sim/file_fault_plan.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(FileFaultPlan, FailsTheNamedOccurrenceOfItsCallAndCountsEveryCall) {
  FileFaultPlan plan({{FileFault::FlushFails, 2}, {FileFault::RenameFails, 1}});
  EXPECT_EQ(plan.next(FileCall::FlushFile), std::nullopt);
  EXPECT_EQ(plan.next(FileCall::WriteFile), std::nullopt);
  EXPECT_EQ(plan.next(FileCall::FlushFile), FileFault::FlushFails);
  EXPECT_EQ(plan.next(FileCall::FlushFile), std::nullopt);
  EXPECT_EQ(plan.next(FileCall::RenameFile), FileFault::RenameFails);
  EXPECT_EQ(plan.counts(),
            (std::map<FileCall, int>{{FileCall::WriteFile, 1}, {FileCall::FlushFile, 3}, {FileCall::RenameFile, 1}}));
}

TEST(FileFaultPlan, ShortWriteThenFailsFailsTheWriteAfterIt) {
  FileFaultPlan plan({{FileFault::ShortWriteThenFails, 2}});
  EXPECT_EQ(plan.next(FileCall::WriteFile), std::nullopt);
  EXPECT_EQ(plan.next(FileCall::WriteFile), FileFault::ShortWriteThenFails);
  EXPECT_EQ(plan.next(FileCall::FlushFile), std::nullopt) << "only a write fails after it";
  EXPECT_EQ(plan.next(FileCall::WriteFile), FileFault::WriteFails);
  EXPECT_EQ(plan.next(FileCall::WriteFile), std::nullopt);
}

TEST(FileFaultPlan, EveryFaultBelongsToTheCallItHits) {
  const std::map<FileCall, std::vector<FileFault>> expected = {
      {FileCall::CreateNewFile, {FileFault::CreateFails}},
      {FileCall::WriteFile,
       {FileFault::WriteFails, FileFault::ShortWrite, FileFault::ShortWriteThenFails, FileFault::DiskFull}},
      {FileCall::FlushFile, {FileFault::FlushFails}},
      {FileCall::CloseFile, {FileFault::CloseFails}},
      {FileCall::RenameFile, {FileFault::RenameFails}},
  };
  for (const auto& [call, faults] : expected) {
    EXPECT_EQ(faultsOf(call), faults) << fileCallName(call);
    for (const FileFault fault : faults) EXPECT_EQ(callOf(fault), call) << fileFaultName(fault);
  }
}

}  // namespace
}  // namespace updater
