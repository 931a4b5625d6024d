#include "jobs/history_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "jobs/serial_lock.h"
#include "platform/port_owned.h"
#include "platform/sim/sim_machine.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

HistoryRecord recordOf(std::string_view job) {
  HistoryRecord record;
  record.time = "2007-12-25T09:30:00";
  record.job = job;
  record.result = "success";
  return record;
}

const std::string kHeader = historyHeaderLine();
const std::string kIsp = historyLine(recordOf("isp"));
const std::string kVerify = historyLine(recordOf("verify"));

class HistoryFile : public ::testing::Test {
 protected:
  bool append(std::string_view job) { return appendHistoryRecord(machine, directory.path(), recordOf(job)); }
  std::string history() const { return directory.readFile("HISTORY.CSV"); }

  TemporaryDirectory directory;
  Transcript transcript;
  SimMachine machine{transcript};
};

TEST_F(HistoryFile, ANewFileStartsWithTheHeaderAndEachRecordFollowsOnItsOwnLine) {
  ASSERT_TRUE(append("isp"));
  ASSERT_TRUE(append("verify"));
  EXPECT_EQ(history(), kHeader + kIsp + kVerify);
  EXPECT_EQ(machine.openNewFileCount(), 0u);
}

// A crash in the middle of a record leaves a line without its end: the next
// record starts on a line of its own, and what was there stays.
TEST_F(HistoryFile, ALineCutShortByACrashStaysAndTheNextRecordStartsOnANewLine) {
  const std::string cut = kHeader + kIsp.substr(0, 25);
  directory.writeFile("HISTORY.CSV", cut);
  ASSERT_TRUE(append("verify"));
  EXPECT_EQ(history(), cut + "\r\n" + kVerify);
}

// Whatever file stands there is appended to as it is, and gets no header.
TEST_F(HistoryFile, AnExistingFileGetsNoHeader) {
  const std::string binary("\x00\xff\x01\n", 4);
  directory.writeFile("HISTORY.CSV", binary);
  ASSERT_TRUE(append("isp"));
  EXPECT_EQ(history(), binary + kIsp);
}

TEST_F(HistoryFile, NothingButARegularFileIsWrittenAndNothingIsFollowed) {
  const std::filesystem::path path = directory.path() / "HISTORY.CSV";
  const std::filesystem::path elsewhere = directory.path() / "elsewhere.csv";
  directory.writeFile("elsewhere.csv", "theirs");

  std::filesystem::create_symlink(elsewhere, path);
  EXPECT_FALSE(append("isp"));
  EXPECT_EQ(directory.readFile("elsewhere.csv"), "theirs");
  std::filesystem::remove(path);

  std::filesystem::create_symlink(directory.path() / "nowhere.csv", path);
  EXPECT_FALSE(append("isp"));
  EXPECT_FALSE(directory.exists("nowhere.csv"));
  std::filesystem::remove(path);

  std::filesystem::create_directory(path);
  EXPECT_FALSE(append("isp"));
  std::filesystem::remove(path);

  // A FIFO would hold a plain open until somebody reads it.
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_FALSE(append("isp"));
  EXPECT_EQ(machine.openNewFileCount(), 0u);
}

// Every file call of the append can fail; the file is closed on every path,
// and only a record written whole, flushed and closed counts.
TEST_F(HistoryFile, AFailureOfAnyFileCallIsAFailedRecord) {
  const struct {
    const char* name;
    FileFault fault;
    bool written;
  } rows[] = {
      {"open fails", FileFault::OpenFails, false},       {"write fails", FileFault::WriteFails, false},
      {"short write", FileFault::ShortWrite, true},      {"short, then failed", FileFault::ShortWriteThenFails, false},
      {"disk full", FileFault::DiskFull, false},         {"flush fails", FileFault::FlushFails, false},
      {"close fails", FileFault::CloseFails, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TemporaryDirectory folder;
    Transcript events;
    SimMachine station(events);
    station.fileFaults = FileFaultPlan({{row.fault, 1}});
    EXPECT_EQ(appendHistoryRecord(station, folder.path(), recordOf("isp")), row.written);
    if (row.written) {
      EXPECT_EQ(folder.readFile("HISTORY.CSV"), kHeader + kIsp);
    }
    EXPECT_EQ(station.openNewFileCount(), 0u);
    EXPECT_TRUE(station.violations().empty());
  }
}

// Another station is appending: the record waits for it, and gives up once
// the wait is over, having written nothing. SERIAL.TXT's lock is no part
// of it: a station that programs holds that one for its whole run.
TEST_F(HistoryFile, WaitsForAnotherStationsAppendAndGivesUpAfterItsTime) {
  const FileLockResult other = machine.lockFile(directory.path() / "HISTORY.CSV.lock");
  ASSERT_EQ(other.status, FileLockStatus::Locked);
  const SerialLock serial = lockSerialFile(machine, directory.path());
  ASSERT_EQ(serial.result, SerialLockResult::Ok);
  const std::uint64_t before = machine.elapsedMs();
  EXPECT_FALSE(append("isp"));
  EXPECT_EQ(machine.elapsedMs() - before, kHistoryLockWaitMs);
  EXPECT_FALSE(directory.exists("HISTORY.CSV"));

  machine.unlockFile(other.lock);
  EXPECT_TRUE(append("isp"));
  EXPECT_EQ(history(), kHeader + kIsp);
}

}  // namespace
}  // namespace updater
