// isp-all and verify-all on a machine of three readers: every reader's run
// at once, each with its own serial number, and what one failing reader
// leaves of the others.

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/host_run.h"
#include "cli/updater_cli.h"
#include "platform/file_lock.h"
#include "testing/demo_folder.h"
#include "testing/history_csv.h"

namespace updater {
namespace {

using Json = nlohmann::json;

constexpr const char* kLetters[] = {"EF", "GH", "IJ"};

/// The demo's machine with its reader at each of `letters`, each with its
/// own USB serial number; `failures[i]` (JSON) goes to the i-th reader.
Json machineOf(const std::vector<std::string>& letters, const std::map<std::size_t, Json>& failures = {}) {
  DemoFolder demo;
  Json machine = Json::parse(demo.directory.readFile("machine.json"));
  const Json reader = machine["readers"][0];
  machine["readers"] = Json::array();
  for (std::size_t i = 0; i < letters.size(); ++i) {
    Json copy = reader;
    copy["letters"] = letters[i];
    copy["serial"] = "00000000000" + std::to_string(i + 1);
    if (const auto failure = failures.find(i); failure != failures.end()) copy["failures"] = failure->second;
    machine["readers"].push_back(copy);
  }
  return machine;
}

Json threeReaders(const std::map<std::size_t, Json>& failures = {}) {
  return machineOf({kLetters[0], kLetters[1], kLetters[2]}, failures);
}

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

/// A folder of the demo's files where updater-cli runs.
struct ReadersFolder : DemoFolder {
  CliRun run(const Json& machine, std::vector<std::string> actions, std::vector<std::string> options = {}) {
    directory.writeFile("machine.json", machine.dump());
    std::vector<std::string> arguments = {"--machine", (directory.path() / "machine.json").string(), "--workdir",
                                          path(), "--dump-firmware", (directory.path() / "dump").string()};
    arguments.insert(arguments.end(), options.begin(), options.end());
    arguments.insert(arguments.end(), actions.begin(), actions.end());
    std::ostringstream out;
    std::ostringstream err;
    CliRun result;
    result.status = runUpdaterCli(arguments, {out, err, false}, HostAccess{});
    result.out = out.str();
    result.err = err.str();
    return result;
  }

  std::string flash(std::size_t reader) { return directory.readFile("dump/reader-" + std::to_string(reader) + ".bin"); }
  std::vector<HistoryRow> history() { return readHistoryRows(directory.readFile("HISTORY.CSV")); }
};

/// The lines of `text` that `prefix` starts.
std::vector<std::string> linesStarting(const std::string& text, std::string_view prefix) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with(prefix)) lines.push_back(line);
  }
  return lines;
}

TEST(EveryReader, EachReaderGetsTheNextNumberInDeviceListOrderAndItsOwnImage) {
  ReadersFolder folder;
  const CliRun run = folder.run(threeReaders(), {"getinfo", "ispena", "isp-all"});
  ASSERT_EQ(run.status, 0) << run.err;

  EXPECT_EQ(linesStarting(run.out, "reader"),
            (std::vector<std::string>{
                "reader 1 [E: F:] serial 018514020000: success: SUCCESS! ISP STATUS:5a [Verify Data sucessfull]",
                "reader 2 [G: H:] serial 018514020001: success: SUCCESS! ISP STATUS:5a [Verify Data sucessfull]",
                "reader 3 [I: J:] serial 018514020002: success: SUCCESS! ISP STATUS:5a [Verify Data sucessfull]",
                "readers: 3, success 3, failure 0",
            }));
  EXPECT_EQ(folder.directory.readFile("SERIAL.TXT"), "0x1 0x2 0x3 ");
  const std::vector<HistoryRow> records = folder.history();
  ASSERT_EQ(records.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(records[i].at("serial"), "01851402000" + std::to_string(i));
    EXPECT_EQ(records[i].at("result"), "success");
    EXPECT_EQ(records[i].at("usb_serial"), "00000000000" + std::to_string(i + 1));
  }

  // Each flash is what a lone reader at the same letters gets from "isp"
  // with the counter standing where that reader's number was taken.
  for (std::size_t i = 0; i < 3; ++i) {
    ReadersFolder alone;
    alone.directory.writeFile("SERIAL.TXT", "0x1 0x2 0x" + std::to_string(i) + " ");
    const CliRun single = alone.run(machineOf({kLetters[i]}), {"getinfo", "ispena", "isp"});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_EQ(folder.flash(i + 1), alone.flash(1)) << "reader " << i + 1;
  }
}

TEST(EveryReader, EveryEventOfAReadersRunNamesTheReader) {
  ReadersFolder folder;
  const CliRun run = folder.run(threeReaders(), {"getinfo", "ispena", "isp-all", "verify-all"}, {"--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<int, int> shownStatusWindows;
  std::vector<std::string> results;
  bool inAction = false;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    const Json event = Json::parse(line);
    if (event["event"] == "action") inAction = event["name"] == "verify-all";
    if (!inAction || event["event"] == "action" || event["event"] == "end") continue;
    if (event["event"] == "readerTotals") {
      EXPECT_EQ(line, R"({"event":"readerTotals","readers":3,"success":3,"failure":0})");
      continue;
    }
    ASSERT_TRUE(event.contains("reader")) << line;
    if (event["event"] == "statusWindow" && event["op"] == "show") ++shownStatusWindows[event["reader"].get<int>()];
    if (event["event"] == "readerResult") results.push_back(line);
  }
  EXPECT_EQ(shownStatusWindows, (std::map<int, int>{{1, 1}, {2, 1}, {3, 1}}));
  ASSERT_EQ(results.size(), 3u);
  EXPECT_EQ(results[1], R"({"event":"readerResult","reader":2,"units":"G: H:","serial":"","result":"success",)"
                               R"("text":"SUCCESS! Verify STATUS:5a [Verify Data sucessfull]"})");
  EXPECT_EQ(folder.history().size(), 6u);
}

// The readers' runs overlap in the machine's time: three take as long as one.
TEST(EveryReader, ThreeReadersTakeTheMachineTimeOfOne) {
  auto pausedMs = [](const std::vector<std::string>& actions, const Json& machine) {
    ReadersFolder folder;
    const CliRun run = folder.run(machine, actions, {"--json", "--trace"});
    EXPECT_EQ(run.status, 0) << run.err;
    long long total = 0;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
      const Json event = Json::parse(line);
      if (event["event"] == "sleep") total += event["ms"].get<long long>();
    }
    return total;
  };
  const long long one = pausedMs({"getinfo", "ispena", "isp"}, machineOf({kLetters[0]}));
  const long long three = pausedMs({"getinfo", "ispena", "isp-all"}, threeReaders());
  const long long scans = pausedMs({"getinfo"}, threeReaders()) - pausedMs({"getinfo"}, machineOf({kLetters[0]}));
  EXPECT_EQ(three - scans, one);
}

TEST(EveryReader, RefusedCommandsAreShownOnceAndTakeNoNumber) {
  ReadersFolder folder;
  const CliRun run = folder.run(threeReaders(), {"getinfo", "isp-all"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("ISP_E2: Before ISP, Please select the [ISP_ena] first!!!"), std::string::npos);
  EXPECT_EQ(run.out.find("[reader"), std::string::npos);
  EXPECT_EQ(linesStarting(run.out, "readers:").size(), 0u);
  EXPECT_EQ(folder.directory.readFile("SERIAL.TXT"), DemoFolder().directory.readFile("SERIAL.TXT"));
}

// Without SERIAL.TXT no run takes a number, and none is sent.
TEST(EveryReader, AFailedReservationFailsEveryRunBeforeAnythingIsSent) {
  ReadersFolder folder;
  std::filesystem::remove(folder.directory.path() / "SERIAL.TXT");
  const CliRun run = folder.run(threeReaders(), {"getinfo", "ispena", "isp-all"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(linesStarting(run.out, "readers:"), (std::vector<std::string>{"readers: 3, success 0, failure 3"}));
  for (const HistoryRow& record : folder.history()) {
    EXPECT_EQ(record.at("result"), "failure");
    EXPECT_EQ(record.at("serial"), "");
  }
  for (std::size_t reader = 1; reader <= 3; ++reader) EXPECT_EQ(folder.flash(reader), "") << reader;
}

// The runs take turns in the machine's time the same way every time, so a
// recorded isp-all replays request for request.
TEST(EveryReader, ARecordedRunReplaysWithTheSameTranscript) {
  const std::vector<std::string> actions = {"getinfo", "ispena", "isp-all", "verify-all"};
  ReadersFolder recorded;
  const std::string recording = (recorded.directory.path() / "session.json").string();
  const CliRun first = recorded.run(threeReaders(), actions, {"--record", recording});
  ASSERT_EQ(first.status, 0) << first.err;

  ReadersFolder replayed;
  const CliRun second = replayed.run(Json::parse(recorded.directory.readFile("session.json")), actions);
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, first.out);
  EXPECT_EQ(second.out.find("violation"), std::string::npos);
}

// Another station in the middle of its own run holds SERIAL.TXT: no number
// is taken, no reader is sent anything, and the other station's counter is
// left alone.
TEST(EveryReader, AnotherStationsLockOnTheCounterFailsEveryRun) {
  ReadersFolder folder;
  const FileLockResult otherStation = lockHostFile(folder.directory.path() / "SERIAL.TXT.lock");
  ASSERT_EQ(otherStation.status, FileLockStatus::Locked);
  const CliRun run = folder.run(threeReaders(), {"getinfo", "ispena", "isp-all"});
  unlockHostFile(otherStation.lock);
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(linesStarting(run.out, "readers:"), (std::vector<std::string>{"readers: 3, success 0, failure 3"}));
  EXPECT_EQ(folder.directory.readFile("SERIAL.TXT"), DemoFolder().directory.readFile("SERIAL.TXT"));
  for (std::size_t reader = 1; reader <= 3; ++reader) EXPECT_EQ(folder.flash(reader), "") << reader;
}

/// The requests the second reader gets in a clean isp-all, as (name,
/// occurrence) pairs in order; the occurrences count from the start, as a
/// reader's failure plan does.
std::vector<std::pair<std::string, int>> secondReadersRequests() {
  ReadersFolder folder;
  const CliRun run = folder.run(threeReaders(), {"getinfo", "ispena", "isp-all"}, {"--json", "--trace"});
  std::vector<std::pair<std::string, int>> requests;
  std::map<std::string, int> seen;
  bool inAction = false;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) {
    const Json event = Json::parse(line);
    if (event["event"] == "action") inAction = event["name"] == "isp-all";
    if (event["event"] != "io" || event["reader"] != 2 || event["command"] == "close") continue;
    const std::string name = event["command"];
    const int occurrence = ++seen[name];
    if (inAction) requests.emplace_back(name, occurrence);
  }
  return requests;
}

// Every request of one reader's run fails in turn: as a failed transfer, as
// a check condition, and as a reader pulled out there (that request and
// every one after it fail). The other readers end exactly as in the clean
// run (their flash, their records, their numbers), SERIAL.TXT too, and the
// failing reader's number is a gap, never given to another.
/// The records by the reader's units; a record goes in when its run ends.
std::map<std::string, HistoryRow> recordsByUnits(const std::vector<HistoryRow>& records) {
  std::map<std::string, HistoryRow> byUnits;
  for (const HistoryRow& record : records) byUnits[record.at("units")] = record;
  return byUnits;
}

TEST(EveryReader, AFailureInOneReadersRunLeavesTheOthersAsInTheCleanRun) {
  ReadersFolder clean;
  ASSERT_EQ(clean.run(threeReaders(), {"getinfo", "ispena", "isp-all"}).status, 0);
  std::map<std::string, HistoryRow> cleanRecords = recordsByUnits(clean.history());
  const std::vector<std::pair<std::string, int>> requests = secondReadersRequests();
  ASSERT_GE(requests.size(), 6u);

  for (std::size_t at = 0; at < requests.size(); ++at) {
    const auto& [name, occurrence] = requests[at];
    for (const std::string kind : {"transport", "scsiStatus", "unplugged"}) {
      SCOPED_TRACE(name + " #" + std::to_string(occurrence) + " " + kind);
      ReadersFolder folder;
      Json failure = Json::array();
      for (std::size_t failing = at; failing < (kind == "unplugged" ? requests.size() : at + 1); ++failing) {
        failure.push_back({{"command", requests[failing].first},
                           {"occurrence", requests[failing].second},
                           {"kind", kind == "scsiStatus" ? "scsiStatus" : "transport"}});
      }
      const CliRun run = folder.run(threeReaders({{1, failure}}), {"getinfo", "ispena", "isp-all"});
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(folder.directory.readFile("SERIAL.TXT"), clean.directory.readFile("SERIAL.TXT"));
      EXPECT_EQ(folder.flash(1), clean.flash(1));
      EXPECT_EQ(folder.flash(3), clean.flash(3));
      std::map<std::string, HistoryRow> records = recordsByUnits(folder.history());
      ASSERT_EQ(records.size(), 3u);
      EXPECT_EQ(records["E: F:"], cleanRecords["E: F:"]);
      EXPECT_EQ(records["I: J:"], cleanRecords["I: J:"]);
      const HistoryRow& failed = records["G: H:"];
      EXPECT_EQ(failed.at("result"), "failure");
      EXPECT_TRUE(failed.at("serial").empty() || failed.at("serial") == cleanRecords["G: H:"].at("serial"));
    }
  }
}

}  // namespace
}  // namespace updater
