// HISTORY.CSV as the runs of updater-cli leave it: one record per ISP,
// verify and Memory Stick run, whatever its result.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/host_run.h"
#include "cli/updater_cli.h"
#include "testing/demo_folder.h"
#include "testing/history_csv.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr std::string_view kDemoSha256 = "5bb43eb29fa515e9c6b052e12be74b0d2dd62263bcb782a5eea248effcacdc66";

/// The demo's reader, with `extra` fields added (JSON members, comma first).
std::string readerJson(std::string_view extra = "") {
  return R"({"letters": "EF",
      "inquiry": {"vendor": "Generic", "product": "USB Card Reader", "revision": "1.00"},
      "vendorId": "1234", "productId": "5678", "manufacturer": "Generic", "product": "Card Reader",
      "serial": "000000000000", "fwRevision": "01 03 07 07 0b 1c 00 00", "fwRevisionOrg": "01 03 7b 1c",
      "hwRevision": "40 23 41", "compareSkips": [[4102, 208], [4422, 26]])" +
         std::string(extra) + "}";
}

std::string xpMachine(std::string_view readerExtra = "") {
  return R"({"windows": {"nt": true, "major": 5, "minor": 1}, "date": "2008-05-20", "drives": "C", "readers": [)" +
         readerJson(readerExtra) + "]}";
}

std::string memoryStickMachine() {
  return R"({"windows": {"nt": false, "major": 4, "minor": 10}, "date": "2008-05-20", "drives": "C",
      "selfDrivers": ["KVDKPDRV"], "readers": [)" +
         readerJson(R"(, "msRevision": "verM1.3a", "msLoaderRevision": "verL1.0a")") + "]}";
}

/// A folder of the demo's files where updater-cli runs.
struct HistoryFolder : DemoFolder {
  /// Runs updater-cli on `machine` in the folder; the records it left.
  std::vector<HistoryRow> run(const std::string& machine, const std::vector<std::string>& actions) {
    directory.writeFile("machine.json", machine);
    std::vector<std::string> arguments = {"--machine", (directory.path() / "machine.json").string(), "--workdir",
                                          path()};
    arguments.insert(arguments.end(), actions.begin(), actions.end());
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runUpdaterCli(arguments, {out, err, false}, HostAccess{}), 0) << err.str();
    return readHistoryRows(directory.readFile("HISTORY.CSV"));
  }
};

class HistoryRuns : public ::testing::Test, protected HistoryFolder {};

TEST_F(HistoryRuns, TheDemoRunLeavesTheHeaderAndOneWholeRecordPerJob) {
  run(xpMachine(), {"getinfo", "ispena", "isp", "verify"});
  const std::string identity = "PassThrough,E: F:,1234,5678,000000000000,4023A,1.03.07-2007-11-28[OEM-00][CEM-00],"
                               "DEMOFW.BIN,32000," + std::string(kDemoSha256) + ",1.60\r\n";
  EXPECT_EQ(directory.readFile("HISTORY.CSV"),
            "time,job,result,message,serial,cem,pc,route,units,vid,pid,usb_serial,hw_revision,fw_revision,image,"
            "image_bytes,image_sha256,program_version\r\n"
            "2008-05-20T09:00:00,isp,success,SUCCESS! ISP STATUS:5a [Verify Data sucessfull],018514020000,01,02," +
                identity +
                "2008-05-20T09:00:00,verify,success,SUCCESS! Verify STATUS:5a [Verify Data sucessfull],,,," + identity);
}

// Each kind of run and result: the job's own columns. The reader's and the
// station's columns are those of the demo run above.
TEST_F(HistoryRuns, EveryJobAndResultWritesItsRecord) {
  struct Row {
    const char* name;
    std::string machine;
    std::vector<std::string> actions;
    const char* removed;  // a file of the folder taken away first
    HistoryRow expected;  // the columns that tell the runs apart
  };
  const std::vector<Row> rows = {
      {"no image file", xpMachine(), {"ispena", "isp"}, "DEMOFW.BIN",
       {{"job", "isp"}, {"result", "failure"}, {"message", "Error!!! Can Not Open DEMOFW.BIN ISP Binary ROM Code"}, {"serial", ""},
        {"cem", ""}, {"image", ""}, {"image_sha256", ""}}},
      {"no SERIAL.TXT", xpMachine(), {"ispena", "isp"}, "SERIAL.TXT",
       {{"job", "isp"}, {"result", "failure"}, {"message", "Error!!!  Can Not Open Serial.txt !!!"}, {"serial", ""},
        {"cem", ""}, {"image", "DEMOFW.BIN"}, {"image_sha256", std::string(kDemoSha256)}}},
      {"the loader refuses the data",
       xpMachine(R"(, "failures": [{"command": "getIspStatus", "occurrence": 2, "kind": "scsiStatus"}])"),
       {"ispena", "isp"}, nullptr,
       {{"job", "isp"}, {"result", "failure"}, {"message", "Error!!! GET ISP STATUS ERROR WHEN PROGRAMING CODE!!!"},
        {"serial", "018514020000"}, {"cem", "01"}, {"pc", "02"}}},
      {"verify finds another firmware", xpMachine(), {"ispena", "verify"}, nullptr,
       {{"job", "verify"}, {"result", "failure"}, {"message", "Error!!! Uncorrect Firmware version, Verify Fail !!!"},
        {"serial", ""}, {"cem", ""}}},
      {"Memory Stick update", memoryStickMachine(), {"ispena", "msmode", "isp"}, nullptr,
       {{"job", "ms-isp"}, {"result", "success"}, {"message", "SUCCESS! MS STATUS:9c [F/W jump into MS 32K now]"},
        {"route", "SelfDriverPort"}, {"image", "DEMOMS.BIN"}, {"serial", ""}}},
      {"Memory Stick verify", memoryStickMachine(), {"ispena", "msmode", "verify"}, nullptr,
       {{"job", "ms-verify"}, {"route", "SelfDriverPort"}, {"image", "DEMOMS.BIN"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HistoryFolder fresh;
    if (row.removed != nullptr) fresh.directory.remove(row.removed);
    const std::vector<HistoryRow> records = fresh.run(row.machine, row.actions);
    ASSERT_EQ(records.size(), 1u) << fresh.directory.readFile("HISTORY.CSV");
    for (const auto& [column, value] : row.expected) EXPECT_EQ(records[0].at(column), value) << column;
    EXPECT_EQ(records[0].at("time"), "2008-05-20T09:00:00");
    EXPECT_EQ(records[0].at("program_version"), "1.60");
  }
}

// A station's records go after what the folder's history held, also after a
// line that a crash cut short.
TEST_F(HistoryRuns, RecordsFollowWhatTheFileHeldAndALineCutShort) {
  directory.writeFile("HISTORY.CSV", "time,job\r\n2008-05-19T17:00:00,isp,succ");
  run(xpMachine(), {"ispena", "verify"});
  const std::string history = directory.readFile("HISTORY.CSV");
  EXPECT_TRUE(history.starts_with("time,job\r\n2008-05-19T17:00:00,isp,succ\r\n2008-05-20T09:00:00,verify,")) << history;
}

}  // namespace
}  // namespace updater
