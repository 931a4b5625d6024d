#include "jobs/durable_write.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_machine.h"
#include "platform/forwarding_port.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr std::string_view kContents = "0x12 0x34 0x6 ";

/// One write's answer: `takes` bytes of what it was given really go into
/// the file, and the call reports `ok` with `reports` bytes written.
struct WriteAnswer {
  bool ok;
  std::size_t takes;
  std::size_t reports;
};

/// Writes answer as the script says, in turn; once it is used up, as the
/// machine below does.
class ScriptedWrites : public ForwardingPort {
 public:
  ScriptedWrites(Port& inner, std::vector<WriteAnswer> script) : ForwardingPort(inner), script_(std::move(script)) {}

  FileWriteResult writeFile(NewFileValue file, std::string_view data) override {
    asked.emplace_back(data);
    if (next_ == script_.size()) return ForwardingPort::writeFile(file, data);
    const WriteAnswer answer = script_[next_++];
    const FileWriteResult taken = ForwardingPort::writeFile(file, data.substr(0, answer.takes));
    EXPECT_TRUE(taken.ok);
    return {answer.ok, answer.reports};
  }

  std::vector<std::string> asked;  // what each write was given

 private:
  std::vector<WriteAnswer> script_;
  std::size_t next_ = 0;
};

struct WriteLoopRow {
  const char* name;
  std::vector<WriteAnswer> script;
  bool written;
  std::size_t writes;     // calls of writeFile
  std::string_view file;  // what the file holds afterwards
};

std::vector<WriteAnswer> byteByByte(std::size_t count) { return std::vector<WriteAnswer>(count, {true, 1, 1}); }

// A short write is no failure: the loop goes on with the bytes that did not
// go in. A failed write, or one that takes nothing, ends it.
TEST(WriteWhole, GoesOnAfterAShortWriteAndStopsAtAFailedOrEmptyOne) {
  const std::vector<WriteLoopRow> rows = {
      {"whole at once", {}, true, 1, kContents},
      {"short, then the rest", {{true, 5, 5}}, true, 2, kContents},
      {"two short writes, then the rest", {{true, 5, 5}, {true, 1, 1}}, true, 3, kContents},
      {"a byte at a time", byteByByte(kContents.size()), true, kContents.size(), kContents},
      {"failed at once", {{false, 0, 0}}, false, 1, ""},
      {"short, then failed", {{true, 5, 5}, {false, 0, 0}}, false, 2, kContents.substr(0, 5)},
      {"a part in, then failed: a full disk", {{false, 7, 0}}, false, 1, kContents.substr(0, 7)},
      {"nothing taken and no failure", {{true, 0, 0}}, false, 1, ""},
      {"more taken than given", {{true, kContents.size(), kContents.size() + 1}}, false, 1, kContents},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TemporaryDirectory directory;
    Transcript transcript;
    SimMachine machine(transcript);
    ScriptedWrites port(machine, row.script);
    const NewFileResult made = port.createNewFile(directory.path() / "A.TXT");
    ASSERT_EQ(made.status, NewFileStatus::Created);

    EXPECT_EQ(writeWhole(port, made.file, kContents), row.written);
    EXPECT_TRUE(port.closeFile(made.file));
    ASSERT_EQ(port.asked.size(), row.writes);
    // Each write is given what the ones before it did not take.
    std::size_t done = 0;
    for (std::size_t i = 0; i < port.asked.size(); ++i) {
      EXPECT_EQ(port.asked[i], kContents.substr(done)) << "write " << i + 1;
      if (i < row.script.size()) done += row.script[i].takes;
    }
    EXPECT_EQ(directory.readFile("A.TXT"), row.file);
    EXPECT_TRUE(machine.violations().empty());
  }
}

struct NewFileRow {
  const char* name;
  std::vector<InjectedFileFault> faults;
  NewFileWrite result;
  int closes;  // calls of closeFile
};

// A file that was made is closed on every path, and only one that went
// through every step whole counts as written: a failed close may be a write
// the system had delayed.
TEST(WriteNewFile, CountsAFailureOfAnyStepAndClosesTheFileOnEveryPath) {
  const std::vector<NewFileRow> rows = {
      {"no fault", {}, NewFileWrite::Written, 1},
      {"short write", {{FileFault::ShortWrite, 1}}, NewFileWrite::Written, 1},
      {"create fails", {{FileFault::CreateFails, 1}}, NewFileWrite::Failed, 0},
      {"write fails", {{FileFault::WriteFails, 1}}, NewFileWrite::Failed, 1},
      {"short write, then a failed one", {{FileFault::ShortWriteThenFails, 1}}, NewFileWrite::Failed, 1},
      {"disk full", {{FileFault::DiskFull, 1}}, NewFileWrite::Failed, 1},
      {"flush fails", {{FileFault::FlushFails, 1}}, NewFileWrite::Failed, 1},
      {"close fails", {{FileFault::CloseFails, 1}}, NewFileWrite::Failed, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TemporaryDirectory directory;
    Transcript transcript;
    SimMachine machine(transcript);
    machine.fileFaults = FileFaultPlan(row.faults);

    EXPECT_EQ(writeNewFile(machine, directory.path() / "A.TXT", kContents), row.result);
    if (row.result == NewFileWrite::Written) {
      EXPECT_EQ(directory.readFile("A.TXT"), kContents);
    }
    EXPECT_EQ(machine.openNewFileCount(), 0u);
    const auto& counts = machine.fileFaults.counts();
    EXPECT_EQ(counts.contains(FileCall::CloseFile) ? counts.at(FileCall::CloseFile) : 0, row.closes);
    EXPECT_TRUE(machine.violations().empty());
  }
}

TEST(WriteNewFile, TouchesNothingThatStandsAtThePath) {
  TemporaryDirectory directory;
  directory.writeFile("A.TXT", "somebody else's");
  Transcript transcript;
  SimMachine machine(transcript);
  EXPECT_EQ(writeNewFile(machine, directory.path() / "A.TXT", kContents), NewFileWrite::AlreadyThere);
  EXPECT_EQ(directory.readFile("A.TXT"), "somebody else's");
  EXPECT_FALSE(machine.fileFaults.counts().contains(FileCall::WriteFile));
}

}  // namespace
}  // namespace updater
