#include "cli/updater_cli.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_session.h"
#include "cli/firmware_dump.h"
#include "cli/host_run.h"
#include "platform/sim/machine_file.h"
#include "platform/sim/sim_machine.h"
#include "testing/fake_scsi_generic.h"
#include "testing/demo_folder.h"
#include "testing/fake_sysfs.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

using Json = nlohmann::json;

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<Json> events;  // with --json
};

/// Where --host looks when a test gives no host of its own: nowhere real.
HostAccess noHost() {
  HostAccess access;
  access.sysfsRoot = std::filesystem::temp_directory_path() / "no-such-sysfs";
  access.deviceFolder = std::filesystem::temp_directory_path() / "no-such-dev";
  access.system = HostSystem{"Linux", "6.1.0-test"};
  return access;
}

CliRun runCli(const std::vector<std::string>& arguments, const HostAccess& host = noHost()) {
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.status = runUpdaterCli(arguments, {out, err, false}, host);
  run.out = out.str();
  run.err = err.str();
  if (std::find(arguments.begin(), arguments.end(), "--json") == arguments.end()) return run;
  std::istringstream lines(run.out);
  for (std::string line; std::getline(lines, line);) run.events.push_back(Json::parse(line));
  return run;
}

/// A host with one USB reader whose one unit is /dev/sg1 (block device
/// sdb), its requests carried by a fake SCSI generic driver.
struct OneHostReader {
  OneHostReader() {
    const auto reader = sysfs.usbDevice("pci0000:00/usb1/1-1", "1234", "4023");
    sysfs.scsiUnit(sysfs.interface(reader, "1-1:1.0", "08"), 2, 0, "sg1", "sdb");
    dev.writeFile("sg1", "");
  }
  std::string node() const { return (dev.path() / "sg1").string(); }
  HostAccess access() {
    HostAccess given = noHost();
    given.sysfsRoot = sysfs.root();
    given.deviceFolder = dev.path();
    given.scsiGeneric = &sg;
    return given;
  }

  FakeSysfs sysfs;
  TemporaryDirectory dev;
  FakeScsiGeneric sg;
};


std::string separator() { return "\n" + std::string(53, '='); }
std::string line56() { return std::string(56, '='); }

/// The summary box of the demo DEVICE.TXT on Windows XP.
std::string demoSummary() {
  const std::string s = separator();
  return s + "\n==== SYSTEM Information For ISP" + s +
         "\nOS            : Windows XP"
         "\nISP USB ROMCODE: DEMOFW.BIN"
         "\nISP ADDRESS    : DEMOFW.adr"
         "\nISP KS7010 ROM : DEMOMS.BIN"
         "\nISP BmpMap File: BMPMAP.BIN" +
         s + "\n====Update String Or Inquiry Information For ISP " + s +
         "\nVID            : 0x1234 "
         "\nPID            : 0x4023 "
         "\nStr_Manufacture: Demo Devices            "
         "\nStr_Product    : Demo Card Reader 4023   "
         "\nStr_Serial     : No Active"
         "\nInq_Manufacture: DEMO    "
         "\nInq_Product    : Card Reader 4023"
         "\nInq_Version    : 2.00"
         "\nDEV_setting    : "
         "\n         0 ~ 7 : 0x01 0x00 0x02 0x80 0x00 0x10 0x00 0x00 "
         "\n         8 ~ 15: 0x32 0x00 0x01 0x01 0x00 0x00 0x00 0x00 "
         "\n        16 ~ 23: 0x04 0x00 0x00 0x00 0x00 0x00 0x00 0x00 "
         "\n        24 ~ 25: 0x00 0x00 "
         "\nROM SELECT CODE: 0x00 " +
         s;
}

/// The device report of the demo reader after a clean scan.
std::string demoReport() {
  const std::string s = separator();
  return s + "\n====  Device String And Inquiry Information     =====" + s +
         "\n Str Manufacture Name :Generic"
         "\n Str Product Name     :Card Reader"
         "\n Str Serial Number    :0 0 0 0 0 0 0 0 0 0 0 0 "
         "\n Device VID-PID       :[1234]-[5678]"
         "\n Inq Manufacture Name :Generic "
         "\n Inq Product Name     :USB Card Reader "
         "\n Inq Revision         :1.00"
         "\n USB F/W Revision :1.03.07-2007-11-28[OEM-00][CEM-00]"
         "\n USB F/W RevisionOrg  :1.03-2007-11-28"
         "\n MS F/W Revision      :N/A"
         "\n USB H/W Revision     :4023A"
         "\n USB20 F/W Revision   :N/A" +
         s + "\n" +
         "\n Total Device Plug In : 1 "
         "\n The Device Select Now is : 1 with 2 slot.";
}

Json endEvent(const std::string& statusLog, Json tally, Json serial, int deviceCount) {
  return {{"event", "end"},           {"statusLog", statusLog},     {"tally", std::move(tally)},
          {"serial", std::move(serial)}, {"deviceCount", deviceCount}, {"selectedIndex", 0},
          {"openHandles", 0}};
}

Json action(const std::string& name) { return {{"event", "action"}, {"name", name}}; }

Json box(const std::string& icon, const std::string& caption, const std::string& text) {
  return {{"event", "messageBox"}, {"icon", icon}, {"caption", caption}, {"text", text}};
}

Json control(int id, const std::string& text) { return {{"event", "control"}, {"id", id}, {"text", text}}; }

Json list(int id, std::vector<std::string> items, int selected) {
  return {{"event", "list"}, {"id", id}, {"items", std::move(items)}, {"selected", selected}};
}

std::vector<Json> ofEvent(const std::vector<Json>& events, const std::string& name) {
  std::vector<Json> matching;
  for (const auto& event : events) {
    if (event["event"] == name) matching.push_back(event);
  }
  return matching;
}

/// The events from the action `name` up to the next action or the end.
std::vector<Json> eventsOfAction(const std::vector<Json>& events, const std::string& name) {
  std::vector<Json> part;
  bool inside = false;
  for (const auto& event : events) {
    const bool boundary = event["event"] == "action" || event["event"] == "end";
    if (boundary) inside = event["event"] == "action" && event["name"] == name;
    else if (inside) part.push_back(event);
  }
  return part;
}

void expectEvents(const std::vector<Json>& actual, const std::vector<Json>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(actual[i], expected[i]) << "event " << i;
}

std::string writeMachineFile(const TemporaryDirectory& directory, const std::string& json) {
  directory.writeFile("machine.json", json);
  return (directory.path() / "machine.json").string();
}

TEST(UpdaterCli, StartUpOnTheDemoMachineShowsTheUserDataScansAndReports) {
  DemoFolder demo;
  const CliRun run = runCli({"--json", "--workdir", demo.path()});
  EXPECT_EQ(run.status, kExitDone);
  EXPECT_EQ(run.err, "");
  expectEvents(run.events, {
                               action("start"),
                               box("none", "User ISP Update Data Dialog", demoSummary()),
                               control(1028, "Inq.ProductName"),
                               list(1027, {}, -1),
                               list(1030, {}, -1),
                               list(1030, {"1"}, -1),
                               list(1030, {"1"}, 0),
                               control(1021, demoReport()),
                               control(1024, "USB Card Reader [E:] [F:] "),
                               endEvent("", {{"total", 0}, {"error", 0}, {"success", 0}},
                                        {{"cem", 0}, {"pc", 0}, {"cnt", 0}}, 1),
                           });
}

TEST(UpdaterCli, DemoIspThenVerifyProgramsTheReaderAndAdvancesTheSerialFile) {
  DemoFolder demo;
  const CliRun run = runCli({"--json", "--workdir", demo.path(), "getinfo", "ispena", "isp", "verify"});
  ASSERT_EQ(run.status, kExitDone) << run.err;

  // Only the start-up's summary box: nothing failed.
  EXPECT_EQ(ofEvent(run.events, "messageBox").size(), 1u);
  EXPECT_TRUE(ofEvent(run.events, "violation").empty());
  EXPECT_TRUE(eventsOfAction(run.events, "ispena").empty());

  const std::string ispLog = line56() + "\n==  Internal System Program Ver1.60             \n" + line56() +
                             "\n==  CEM= 0x01 || PC= 0x02 || CNT= 0x0000"
                             "\n==  ROMCODE = DEMOFW.BIN || VxD DRIVER =  \n" +
                             line56() + "\nSERIAL NUMBER: 018514020000\n" + line56() +
                             "\nSUCCESS! ISP STATUS:9c [Firmware jump into ISP now]"
                             "\nSUCCESS! ISP STATUS:a5 [Write Data sucessfull]"
                             "\nSUCCESS! ISP STATUS:5a [Verify Data sucessfull]"
                             "\n\nSuccess Number Of ISP: 1"
                             "\nError   Number Of ISP: 0"
                             "\nTotal   Number Of ISP: 1";
  const auto isp = eventsOfAction(run.events, "isp");
  ASSERT_FALSE(isp.empty());
  EXPECT_EQ(isp.back(), control(1021, ispLog));
  EXPECT_EQ(isp.front(), (Json{{"event", "statusWindow"}, {"op", "create"}}));
  EXPECT_NE(std::find(isp.begin(), isp.end(), Json{{"event", "statusWindow"}, {"op", "label"}, {"text", "    ISP status : "}}),
            isp.end());

  const std::string verifyLog = line56() + "\n==  Verify Firmware Program Ver1.60             \n" + line56() +
                                "\n==  ROMCODE = DEMOFW.BIN || VxD DRIVER =  \n" + line56() +
                                "\nSUCCESS! Verify STATUS:9c [Start Verify Firmware now]"
                                "\nSUCCESS! Verify STATUS:5a [Verify Data sucessfull]";
  const auto verify = eventsOfAction(run.events, "verify");
  ASSERT_FALSE(verify.empty());
  EXPECT_EQ(verify.back(), control(1021, verifyLog));

  EXPECT_EQ(run.events.back(), endEvent(verifyLog, {{"total", 1}, {"error", 0}, {"success", 1}},
                                        {{"cem", 1}, {"pc", 2}, {"cnt", 1}}, 1));
  EXPECT_EQ(demo.directory.readFile("SERIAL.TXT"), "0x1 0x2 0x1 ");
}

TEST(UpdaterCli, UnlistedWindowsRefusesToStartAndRunsNoAction) {
  TemporaryDirectory directory;
  const std::string machine = writeMachineFile(directory, R"({"windows": {"nt": true, "major": 5, "minor": 2}})");
  const CliRun run = runCli({"--json", "--machine", machine, "--workdir", directory.path().string(), "getinfo", "isp"});
  EXPECT_EQ(run.status, kExitNotDone);
  expectEvents(run.events, {
                               action("start"),
                               box("warning", "updater", "NT => MajorVersion : 5 , MinorVersion : 2"),
                               box("warning", "updater", "This program must run under win9x or WinMe or Win2K or WinXP"),
                               endEvent("", {{"total", 0}, {"error", 0}, {"success", 0}},
                                        {{"cem", 0}, {"pc", 0}, {"cnt", 0}}, 0),
                           });
}

TEST(UpdaterCli, MissingDeviceTxtIsReportedAndNoReaderIsRecognised) {
  DemoFolder demo;
  demo.directory.remove("DEVICE.TXT");
  const CliRun run = runCli({"--json", "--workdir", demo.path(), "ispena", "isp"});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  const auto boxes = ofEvent(run.events, "messageBox");
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0], box("stop", "Message Dialog", "Error: Cannot open [DEVICE.TXT]"));
  EXPECT_EQ(boxes[1]["caption"], "User ISP Update Data Dialog");
  EXPECT_NE(boxes[1]["text"].get<std::string>().find("\nISP USB ROMCODE: \n"), std::string::npos);
  EXPECT_NE(boxes[1]["text"].get<std::string>().find("\nVID            : No Active\n"), std::string::npos);
  // Without FA/FB identities the scan recognises nothing, and ISP then
  // refuses a reader of no listed revision.
  const std::string scanError =
      "\nERROR: Device Not Ready when GET DEVICE VERSION!! \n  P/S: After ISP/Verify Device must plug-out first!";
  const auto reports = ofEvent(eventsOfAction(run.events, "start"), "control");
  ASSERT_EQ(reports[1]["id"], 1021);
  EXPECT_TRUE(reports[1]["text"].get<std::string>().starts_with(scanError + separator()));
  EXPECT_EQ(boxes[2], box("warning", "updater", "ISP_E5: ISP must run under win98 or WinMe or WIN2K with DRIVER Install."));
  EXPECT_EQ(run.events.back()["deviceCount"], 0);
  EXPECT_EQ(run.events.back()["statusLog"], scanError);
}

TEST(UpdaterCli, ChoosingADriverTheListDoesNotHoldIsAUsageError) {
  DemoFolder demo;
  const CliRun run = runCli({"--json", "--workdir", demo.path(), "getinfo", "driver=UDSKIO.SYS"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "updater-cli: driver=UDSKIO.SYS: \"Driver Select\" holds no item \"UDSKIO.SYS\" (it is empty)\n");
}

TEST(UpdaterCli, RefusedChoiceAfterAnIspLeavesTheSerialFileAsItWas) {
  DemoFolder demo;
  const std::string before = demo.directory.readFile("SERIAL.TXT");
  const CliRun run = runCli({"--workdir", demo.path(), "ispena", "isp", "device=2"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "updater-cli: device=2: \"Device Sel\" holds no item \"2\" (it holds \"1\")\n");
  EXPECT_EQ(demo.directory.readFile("SERIAL.TXT"), before);
}

TEST(UpdaterCli, UnusableMachineFileNamesTheFieldAndRunsNothing) {
  DemoFolder demo;
  const std::string machine = writeMachineFile(demo.directory, R"({"readers": [{"letters": "E", "letterz": "F"}]})");
  const CliRun run = runCli({"--json", "--machine", machine, "--workdir", demo.path(), "getinfo"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "updater-cli: machine file " + machine + ": readers[0].letterz: unknown field\n");
}

TEST(UpdaterCli, BytesAboveAsciiComeOutAsTheCharactersOfTheSameCode) {
  DemoFolder demo;
  std::string deviceTxt = demo.directory.readFile("DEVICE.TXT");
  const std::string from = "\"Demo Devices\"";
  deviceTxt.replace(deviceTxt.find(from), from.size(), "\"Caf\xE9 \xB5-Devices\"");
  demo.directory.writeFile("DEVICE.TXT", deviceTxt);
  const CliRun run = runCli({"--json", "--workdir", demo.path()});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  EXPECT_NE(run.out.find("Caf\u00E9 \u00B5-Devices"), std::string::npos);
  const std::string summary = ofEvent(run.events, "messageBox")[0]["text"];
  EXPECT_NE(summary.find("\nStr_Manufacture: Caf\u00E9 \u00B5-Devices          \n"), std::string::npos);
}

TEST(UpdaterCli, DumpedFirmwareIsTheReadersFlash) {
  DemoFolder demo;
  const MachineFileResult machine = loadMachineFile(kDemoDirectory / "machine.json");
  ASSERT_TRUE(machine.machine) << machine.error;
  Transcript transcript;
  SimMachine simMachine(transcript, *machine.machine);
  CliSession session(simMachine, transcript, demo.directory.path());
  ASSERT_FALSE(runSession(session, {{ActionKind::IspEnable, "ispena", ""}, {ActionKind::Isp, "isp", ""}}).refusedChoice);
  ASSERT_EQ(dumpFirmware(simMachine, demo.directory.path()), "");

  const std::vector<Byte>& flash = simMachine.reader(1).loader.flash;
  ASSERT_EQ(flash.size(), 32000u);
  EXPECT_EQ(demo.directory.readFile("reader-1.bin"), std::string(flash.begin(), flash.end()));
  EXPECT_TRUE(demo.directory.exists("reader-1-ms.bin"));
  EXPECT_EQ(demo.directory.readFile("reader-1-ms.bin"), "");
}

TEST(UpdaterCli, DumpAfterTheDemoRunHoldsTheStampedIdentityAndSerial) {
  DemoFolder demo;
  const std::string out = (demo.directory.path() / "out").string();
  const CliRun run = runCli({"--workdir", demo.path(), "--dump-firmware", out, "getinfo", "ispena", "isp"});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  const std::string flash = demo.directory.readFile("out/reader-1.bin");
  ASSERT_EQ(flash.size(), 32000u);
  // The identity block starts 6 + 0x1000 bytes in; its serial descriptor
  // lies 5 x 64 bytes further.
  const std::size_t block = 6 + 0x1000;
  EXPECT_EQ(flash.substr(block + 28, 24), "Demo Devices            ");
  EXPECT_EQ(flash.substr(block + 54, 24), "Demo Card Reader 4023   ");
  EXPECT_EQ(flash.substr(block + 156, 24), "DEMO    Card Reader 4023");
  std::string descriptor = "\x1A\x03";
  for (char c : std::string("018514020000")) descriptor += std::string{c, '\0'};
  EXPECT_EQ(flash.substr(block + 320, 26), descriptor);
}

TEST(UpdaterCli, BuiltInMachineIsTheDemoMachineFile) {
  DemoFolder builtIn;
  DemoFolder fromFile;
  const CliRun a = runCli({"--json", "--trace", "--workdir", builtIn.path(), "ispena", "isp"});
  const CliRun b = runCli({"--json", "--trace", "--machine", (kDemoDirectory / "machine.json").string(), "--workdir",
                           fromFile.path(), "ispena", "isp"});
  EXPECT_EQ(a.status, kExitDone);
  EXPECT_FALSE(ofEvent(a.events, "io").empty());
  EXPECT_EQ(a.out, b.out);
}

TEST(UpdaterCli, CloseReleasesTheRouteAndEndsTheRun) {
  DemoFolder demo;
  const CliRun run = runCli({"--json", "--trace", "--workdir", demo.path(), "getinfo", "close"});
  EXPECT_EQ(run.status, kExitDone);
  ASSERT_GE(run.events.size(), 2u);
  EXPECT_EQ(run.events[run.events.size() - 2]["event"], "action");  // nothing reached a device on close
  EXPECT_EQ(run.events.back()["openHandles"], 0);
}

TEST(UpdaterCli, TextFormReadsAsTheOperatorSawIt) {
  DemoFolder demo;
  const CliRun run = runCli({"--workdir", demo.path(), "ispena", "verify"});
  EXPECT_EQ(run.status, kExitDone);
  for (const char* expected : {"=== start: the window opens\n", "+-- User ISP Update Data Dialog ",
                               "\n=== verify: click \"WIN9xVER\"\n",
                               "+-- (X) updater ", "| Error!!! Uncorrect Firmware version, Verify Fail !!!\n",
                               "  > Warning! Retry Verify the Firmware : 2st Time!!!\n",
                               "\n=== end\n", "open handles   : 0\n"}) {
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\n--- in:\n" << run.out;
  }
}

TEST(UpdaterCliHost, WithoutReadersEveryTextIsXpsButTheSystemsName) {
  DemoFolder demo;
  const std::string machine = writeMachineFile(demo.directory, R"({"drives": ""})");
  const CliRun host = runCli({"--host", "--workdir", demo.path(), "getinfo", "ispena", "isp", "verify"});
  const CliRun xp = runCli({"--machine", machine, "--workdir", demo.path(), "getinfo", "ispena", "isp", "verify"});
  ASSERT_EQ(host.status, kExitDone) << host.err;
  ASSERT_EQ(xp.status, kExitDone) << xp.err;
  std::string expected = xp.out;
  const std::string xpLine = "OS            : Windows XP";
  for (std::size_t at = expected.find(xpLine); at != std::string::npos; at = expected.find(xpLine, at)) {
    expected.replace(at, xpLine.size(), "OS            : Linux 6.1.0-test");
  }
  EXPECT_NE(expected, xp.out);
  EXPECT_EQ(host.out, expected);
}

// A simulated machine can be a Linux host too: the units carry device names
// in place of drive letters, and any reader may be selected. (Readers are
// told apart by their serial numbers.)
TEST(UpdaterCliHost, SimulatedHostNamesUnitsByDeviceAndProgramsTheSelectedReader) {
  DemoFolder demo;
  const std::string reader = R"({"inquiry": {"vendor": "Generic", "product": "USB Card Reader"},
      "hwRevision": "40 23 41", "fwRevisionOrg": "01 03 7b 1c", "compareSkips": [[4102, 208], [4422, 26]], )";
  const std::string machine = writeMachineFile(
      demo.directory, R"({"host": {"name": "Linux", "release": "6.1.0-test"}, "drives": "", "readers": [)" + reader +
                          R"("serial": "1", "letters": "C", "unitNames": ["sda"]}, )" + reader +
                          R"("serial": "2", "letters": "DE", "unitNames": ["sdb", "sdc"]}]})");
  const std::string out = (demo.directory.path() / "out").string();
  const CliRun run = runCli({"--machine", machine, "--workdir", demo.path(), "--dump-firmware", out, "getinfo",
                             "device=2", "ispena", "isp", "verify"});
  ASSERT_EQ(run.status, kExitDone) << run.err;
  EXPECT_NE(run.out.find("| OS            : Linux 6.1.0-test\n"), std::string::npos);
  EXPECT_NE(run.out.find("device name   : USB Card Reader [sda] \n"), std::string::npos);
  EXPECT_NE(run.out.find("=== device=2: choose \"2\" in \"Device Sel\"\nDevice Sel    : 1 [2]\nreport area:"),
            std::string::npos);
  EXPECT_NE(run.out.find("device name   : USB Card Reader [sdb] [sdc] \n"), std::string::npos);
  EXPECT_NE(run.out.find("tally          : success 0x1, error 0x0, total 0x1\n"), std::string::npos);
  EXPECT_EQ(demo.directory.readFile("out/reader-1.bin"), "");
  EXPECT_EQ(demo.directory.readFile("out/reader-2.bin").size(), 32000u);
}

TEST(UpdaterCliHost, ANodeThatDoesNotOpenIsOneLineAndNothingRuns) {
  DemoFolder demo;
  OneHostReader onHost;
  onHost.sg.refusals[onHost.node()] = EACCES;
  const HostAccess access = onHost.access();
  const std::string before = demo.directory.readFile("SERIAL.TXT");

  const CliRun run = runCli({"--host", "--workdir", demo.path(), "ispena", "isp"}, access);

  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.out, "");
  const group* owner = getgrgid(getegid());
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(run.err, "updater-cli: cannot open " + onHost.node() +
                         ": Permission denied (run as root, or as a member of group \"" + owner->gr_name + "\")\n");
  EXPECT_TRUE(onHost.sg.seen.empty()) << "no request sent";
  EXPECT_EQ(demo.directory.readFile("SERIAL.TXT"), before);
}

// What --record saves of a run on this computer's readers is a host machine
// whose reader answers every request as the real one did: replayed, the
// operator sees the same run.
TEST(UpdaterCliHost, RecordedHostRunReplaysOnTheSimulatedMachineAsTheSameRun) {
  DemoFolder hostFolder;
  DemoFolder replayFolder;
  OneHostReader onHost;
  // Every data-in request reads the same bytes: the demo reader's INQUIRY
  // answer, which is also an identify block with the same inquiry texts
  // and the demo's hardware revision.
  std::string answer = std::string("\x00\x80\x02\x02\x1f\x00\x00\x00", 8) + "Generic USB Card Reader 1.00";
  answer.resize(528, '\0');
  answer.replace(156, 32, "USB Card Reader Generic 1.00    ");
  answer.replace(382, 3, "\x40\x23\x41");  // hardware revision 4023A
  onHost.sg.answer.assign(answer.begin(), answer.end());
  const HostAccess access = onHost.access();
  const std::string recording = (onHost.dev.path() / "recorded.json").string();

  const CliRun host =
      runCli({"--host", "--workdir", hostFolder.path(), "--record", recording, "getinfo", "ispena", "isp"}, access);
  ASSERT_EQ(host.status, kExitDone) << host.err;
  EXPECT_NE(host.out.find("device name   : USB Card Reader [sdb] \n"), std::string::npos);
  EXPECT_NE(host.out.find("--- status window \"PROCESS STATUS DIALOG\" shown"), std::string::npos) << "the ISP ran";

  const CliRun replay = runCli({"--machine", recording, "--workdir", replayFolder.path(), "getinfo", "ispena", "isp"});
  EXPECT_EQ(replay.status, kExitDone) << replay.err;
  EXPECT_EQ(replay.out, host.out);
  EXPECT_EQ(replay.out.find("violation"), std::string::npos);
}

TEST(UpdaterCliHost, HostExcludesASimulatedMachineAndItsFlashDump) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } rows[] = {
      {{"--host", "--machine", "m.json", "getinfo"}, "updater-cli: --host and --machine exclude each other\n"},
      {{"--machine", "m.json", "--host", "getinfo"}, "updater-cli: --host and --machine exclude each other\n"},
      {{"--host", "--dump-firmware", "out", "getinfo"},
       "updater-cli: --dump-firmware: only a simulated reader's flash can be written out, not --host\n"},
  };
  for (const auto& row : rows) {
    const CliRun run = runCli(row.arguments);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_EQ(run.err, row.error);
  }
}

}  // namespace
}  // namespace updater
