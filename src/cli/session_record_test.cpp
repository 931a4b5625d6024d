// Recording a run with --record and replaying it with --machine, on every
// route of the simulated machine: the demo reader is programmed and
// verified, and the replay must show the operator (and the trace) exactly
// what the recorded run showed.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/updater_cli.h"
#include "cli/host_run.h"
#include "testing/demo_folder.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

using Json = nlohmann::json;


/// Where each route is taken: the machine's Windows, the actions that pick
/// the route before the run, and the inquiry identity the route's readers
/// answer with (the NT self driver's readers answer its fixed one).
struct RouteCase {
  const char* route;
  Json windows;
  std::vector<std::string> routeActions;
  Json inquiry;  // null: the demo reader's
};

// Names the case in the test's output by its route.
void PrintTo(const RouteCase& routeCase, std::ostream* out) { *out << routeCase.route; }

const Json kWindowsXp = {{"nt", true}, {"major", 5}, {"minor", 1}};
const Json kWindows2000 = {{"nt", true}, {"major", 5}, {"minor", 0}};
const Json kWindowsMe = {{"nt", false}, {"major", 4}, {"minor", 90}};
const Json kWindows98 = {{"nt", false}, {"major", 4}, {"minor", 10}};

const RouteCase kRouteCases[] = {
    {"PassThrough", kWindowsXp, {}, nullptr},
    {"SelfDriverNt", kWindows2000, {"selfdriver"}, {{"vendor", ""}, {"product", "USB Reader"}, {"revision", "01.A"}}},
    {"SelfDriverPort", kWindowsMe, {"selfdriver"}, nullptr},
    {"SelfDriverDynamic", kWindows98, {"driver=KV20DISK.PDR"}, nullptr},
    {"Aspi", kWindowsMe, {}, nullptr},
};

const std::vector<std::string> kRun = {"getinfo", "ispena", "isp", "verify"};

std::string readText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

/// The demo machine with the route's Windows, every self driver installed.
Json routeMachine(const RouteCase& route) {
  Json machine = Json::parse(readText(kDemoDirectory / "machine.json"));
  machine["windows"] = route.windows;
  machine["selfDrivers"] = {"KVDKPDRV", "KV20DISK", "UDSKIO"};
  if (!route.inquiry.is_null()) machine["readers"][0]["inquiry"] = route.inquiry;
  return machine;
}

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<Json> events;
};

CliRun runCli(const std::string& machineFile, const std::string& folder, const RouteCase& route,
              const std::vector<std::string>& options = {}) {
  std::vector<std::string> arguments = {"--json", "--trace", "--machine", machineFile, "--workdir", folder};
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.insert(arguments.end(), route.routeActions.begin(), route.routeActions.end());
  arguments.insert(arguments.end(), kRun.begin(), kRun.end());
  std::ostringstream out;
  std::ostringstream err;
  HostAccess noHost;
  CliRun run;
  run.status = runUpdaterCli(arguments, {out, err, false}, noHost);
  run.out = out.str();
  run.err = err.str();
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) run.events.push_back(Json::parse(line));
  return run;
}

std::vector<Json> ofEvent(const std::vector<Json>& events, const std::string& name) {
  std::vector<Json> matching;
  for (const auto& event : events) {
    if (event["event"] == name) matching.push_back(event);
  }
  return matching;
}

/// A route's recorded run: the machine file it ran on, and what --record saved.
struct Recording {
  explicit Recording(const RouteCase& routeIn, const Json& failures = Json::array()) : route(routeIn) {
    machineFile = (files.path() / "machine.json").string();
    recordFile = (files.path() / "recorded.json").string();
    Json machine = routeMachine(route);
    if (!failures.empty()) machine["readers"][0]["failures"] = failures;
    files.writeFile("machine.json", machine.dump());
  }

  CliRun record(const std::string& folder) const {
    return runCli(machineFile, folder, route, {"--record", recordFile});
  }
  CliRun replay(const std::string& folder, const std::vector<std::string>& options = {}) const {
    return runCli(recordFile, folder, route, options);
  }

  const RouteCase& route;
  TemporaryDirectory files;
  std::string machineFile;
  std::string recordFile;
};

class RecordedSession : public ::testing::TestWithParam<RouteCase> {};

INSTANTIATE_TEST_SUITE_P(Routes, RecordedSession, ::testing::ValuesIn(kRouteCases),
                         [](const auto& routeCase) { return std::string(routeCase.param.route); });

TEST_P(RecordedSession, ReplayShowsExactlyWhatTheRecordedRunShowed) {
  const Recording recording(GetParam());
  const DemoFolder recordedFolder;
  const CliRun recorded = recording.record(recordedFolder.path());
  ASSERT_EQ(recorded.status, kExitDone) << recorded.err;

  // The run took the route, programmed the reader and verified it.
  const std::string route = GetParam().route;
  const std::vector<Json> requests = ofEvent(recorded.events, "io");
  EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [&route](const Json& io) {
    return io["command"] == "sendIspData" && io["route"] == route;
  }));
  EXPECT_EQ(recorded.events.back()["tally"], (Json{{"total", 1}, {"error", 0}, {"success", 1}}));
  EXPECT_TRUE(ofEvent(recorded.events, "violation").empty());

  // Recorded again while it replays, the run sees the same session.
  const DemoFolder replayFolder;
  const std::string rerecorded = (recording.files.path() / "rerecorded.json").string();
  const CliRun replayed = recording.replay(replayFolder.path(), {"--record", rerecorded});
  EXPECT_EQ(replayed.status, kExitDone) << replayed.err;
  EXPECT_EQ(replayed.out, recorded.out);
  EXPECT_EQ(readText(replayFolder.directory.path() / "SERIAL.TXT"),
            readText(recordedFolder.directory.path() / "SERIAL.TXT"));
  EXPECT_EQ(readText(rerecorded), readText(recording.recordFile));
}

// A request that failed, in transport or with a SCSI status, fails again in
// the replay as the route reported it the first time.
TEST_P(RecordedSession, FailedRequestsReplayAsTheyFailed) {
  const Json failures = {{{"command", "getIspStatus"}, {"occurrence", 2}, {"kind", "scsiStatus"}},
                         {{"command", "sendIspData"}, {"occurrence", 2}, {"kind", "transport"}}};
  const Recording recording(GetParam(), failures);
  const DemoFolder recordedFolder;
  const CliRun recorded = recording.record(recordedFolder.path());
  ASSERT_EQ(recorded.status, kExitDone) << recorded.err;
  const std::vector<Json> requests = ofEvent(recorded.events, "io");
  const auto failed = std::count_if(requests.begin(), requests.end(), [](const Json& io) {
    return (io["command"] == "getIspStatus" || io["command"] == "sendIspData") && io["ok"] == false;
  });
  EXPECT_EQ(failed, 2);

  const DemoFolder replayFolder;
  const CliRun replayed = recording.replay(replayFolder.path());
  EXPECT_EQ(replayed.status, kExitDone) << replayed.err;
  EXPECT_EQ(replayed.out, recorded.out);
}

// Every byte sent is in the recording; one too large for a machine file
// is written all the same, and the run says it cannot be replayed.
TEST(RecordedSessionSize, ARecordingLargerThanAMachineFileMaySaysSo) {
  const Recording recording(kRouteCases[0]);
  const DemoFolder folder;
  std::vector<std::string> arguments = {"--machine", recording.machineFile, "--workdir", folder.path(),
                                        "--record", recording.recordFile, "getinfo", "ispena", "isp"};
  // Each compare sends the whole image again.
  arguments.insert(arguments.end(), 16, "verify");
  std::ostringstream out;
  std::ostringstream err;
  const int status = runUpdaterCli(arguments, {out, err, false}, HostAccess{});
  const std::uintmax_t size = std::filesystem::file_size(recording.recordFile);
  ASSERT_GT(size, 1u << 20);
  EXPECT_EQ(status, kExitNotDone);
  EXPECT_EQ(err.str(), "updater-cli: --record: " + recording.recordFile + " holds " + std::to_string(size) +
                           " bytes, more than a machine file may (1 MiB): --machine cannot replay it\n");
  EXPECT_NE(out.str().find("tally          : success 0x1, error 0x0, total 0x1\n"), std::string::npos)
      << "the transcript is whole";
}

/// A session's request as its bytes: the command block, then the data-out.
struct SessionRequestText {
  std::string name;
  std::string hex;
};

SessionRequestText requestOf(const Json& exchange) {
  return {exchange["request"], exchange.value("cdb", "") + exchange.value("dataOut", "")};
}

struct FirstDifference {
  std::size_t index = 0;
  std::size_t offset = 0;
  std::string sent;      // the byte sent there, two hex digits
  std::string recorded;  // the byte recorded there
};

/// Where the session `sent` first leaves `recorded`, found by walking both.
FirstDifference firstDifference(const Json& recorded, const Json& sent) {
  for (std::size_t i = 0; i < std::min(recorded.size(), sent.size()); ++i) {
    const SessionRequestText was = requestOf(recorded[i]);
    const SessionRequestText now = requestOf(sent[i]);
    if (was.name != now.name) return {i, 0, "", ""};
    std::size_t digit = 0;
    while (digit < was.hex.size() && digit < now.hex.size() && was.hex[digit] == now.hex[digit]) ++digit;
    if (digit == was.hex.size() && digit == now.hex.size()) continue;
    const std::size_t offset = digit / 2;
    return {i, offset, now.hex.substr(offset * 2, 2), was.hex.substr(offset * 2, 2)};
  }
  return {std::min(recorded.size(), sent.size()), 0, "", ""};
}

Json sessionOf(const std::string& recordFile) {
  return Json::parse(readText(recordFile))["readers"][0]["session"];
}

TEST_P(RecordedSession, ChangedUserDataIsAViolationAtTheFirstRequestThatDiffers) {
  const Recording recording(GetParam());
  const DemoFolder recordedFolder;
  ASSERT_EQ(recording.record(recordedFolder.path()).status, kExitDone);
  const Json recordedSession = sessionOf(recording.recordFile);

  // The same run, live, with another maker's name to stamp: its own
  // recording shows where its requests first differ.
  const DemoFolder changedFolder;
  const std::string deviceTxt = readText(changedFolder.directory.path() / "DEVICE.TXT");
  std::string changed = deviceTxt;
  changed.replace(changed.find("\"Demo Devices\""), 14, "\"Demo Devicez\"");
  changedFolder.directory.writeFile("DEVICE.TXT", changed);
  const DemoFolder changedLiveFolder;
  changedLiveFolder.directory.writeFile("DEVICE.TXT", changed);
  const Recording changedRecording(GetParam());
  ASSERT_EQ(changedRecording.record(changedLiveFolder.path()).status, kExitDone);
  const FirstDifference expected = firstDifference(recordedSession, sessionOf(changedRecording.recordFile));
  ASSERT_EQ(requestOf(recordedSession[expected.index]).name, "sendIspData");
  ASSERT_EQ(expected.sent, "7a");  // 'z'
  ASSERT_EQ(expected.recorded, "73");  // 's'

  const CliRun replayed = recording.replay(changedFolder.path());
  EXPECT_EQ(replayed.status, kExitDone) << replayed.err;
  const std::vector<Json> violations = ofEvent(replayed.events, "violation");
  ASSERT_FALSE(violations.empty());
  const std::string where = "reader 1 request " + std::to_string(expected.index) + " (sendIspData): byte " +
                            std::to_string(expected.offset);
  EXPECT_EQ(violations[0], (Json{{"event", "violation"},
                                 {"text", where + " is 0x7a, recorded 0x73"},
                                 {"reader", 1},
                                 {"request", expected.index},
                                 {"offset", expected.offset}}));

  // The request that left the recording failed, as a failed transfer does.
  const std::vector<Json> requests = ofEvent(replayed.events, "io");
  const auto refused = std::find_if(requests.begin(), requests.end(), [](const Json& io) {
    return io["command"] == "sendIspData" && io["ok"] == false;
  });
  EXPECT_NE(refused, requests.end());
  EXPECT_EQ(replayed.events.back()["tally"]["success"], 0);
}

}  // namespace
}  // namespace updater
