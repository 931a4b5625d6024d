// Two stations appending to one HISTORY.CSV at once, each a process of its
// own: every record arrives whole, never mixed with the other's, and the
// header is written once.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "jobs/history_file.h"
#include "platform/sim/sim_machine.h"
#include "testing/child_process.h"
#include "platform/forwarding_port.h"
#include "testing/history_csv.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr int kRecordsPerStation = 150;

/// Long enough that a record takes more than one page, so that two writes
/// left to themselves could mix.
HistoryRecord stationRecord(char station, int index) {
  HistoryRecord record;
  record.time = "2007-12-25T09:30:00";
  record.job = "isp";
  record.result = "success";
  record.serial = std::string(1, station) + std::to_string(index);
  record.message = std::string(5000, station);
  return record;
}

/// A station whose pauses take real time, as on a real computer: the
/// simulated machine's own clock would let a wait for the other station end
/// at once.
class RealPauses : public ForwardingPort {
 public:
  using ForwardingPort::ForwardingPort;
  void sleep(std::uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

ChildProcess::Body station(const std::filesystem::path& folder, char name) {
  return [folder, name](ProcessLink& parent) {
    if (!parent.receive()) return 3;
    Transcript transcript;
    SimMachine machine(transcript);
    RealPauses port(machine);
    for (int i = 0; i < kRecordsPerStation; ++i) {
      if (!appendHistoryRecord(port, folder, stationRecord(name, i))) return 1;
    }
    return 0;
  };
}

TEST(HistoryTwoStations, RecordsOfTwoProcessesNeverMix) {
  TemporaryDirectory folder;
  ChildProcess first(station(folder.path(), 'a'));
  ChildProcess second(station(folder.path(), 'b'));
  ASSERT_TRUE(first.started() && second.started());
  ASSERT_TRUE(first.link().send("go") && second.link().send("go"));
  EXPECT_EQ(first.wait(), 0);
  EXPECT_EQ(second.wait(), 0);

  const std::string history = folder.readFile("HISTORY.CSV");
  EXPECT_TRUE(history.starts_with(historyHeaderLine()));
  EXPECT_EQ(history.find("time,job", 1), std::string::npos) << "a second header";
  const std::vector<HistoryRow> rows = readHistoryRows(history);
  ASSERT_EQ(rows.size(), 2u * kRecordsPerStation);
  int next[2] = {0, 0};
  for (const HistoryRow& row : rows) {
    const char name = row.at("serial")[0];
    ASSERT_TRUE(name == 'a' || name == 'b');
    int& expected = next[name - 'a'];
    EXPECT_EQ(row.at("serial"), std::string(1, name) + std::to_string(expected++)) << "a station's order";
    EXPECT_EQ(row.at("message"), std::string(5000, name)) << "a mixed record";
  }
}

}  // namespace
}  // namespace updater
