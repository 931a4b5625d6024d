// Whole ISP commands ("WIN9xISP") on the simulated machine while the reader's
// requests fail and its loader answers what the input says. Besides the
// sanitizers, checks after every command what must hold whatever happened:
// the tally adds up, the status window is gone (and was hidden before any
// message box), SERIAL.TXT changed in each run that succeeded and in no
// other, no staging file is left, the reader holds its old flash or the image of that
// run, the machine saw only well-formed requests, no handle is open but the
// program's own Windows 98/ME driver handle, the ASPI module is unloaded; and
// once the window is closed, no handle or registry key at all.
//
// Input:
//   byte 0     route, in AccessRoute order (modulo 5)
//   byte 1     bit 0: the failures hold from the first scan on (else they
//              start with the first command); bit 1: a second reader on the
//              machine; bits 2-3: commands run (1 + value modulo 3)
//   byte 2     failure count (modulo 9), then per failure 3 bytes: request
//              (an index into kRequestNames), occurrence (1 + byte modulo 32),
//              kind (bit 0: SCSI status, else transport)
//   3 bytes    lengths of the scripted jump, program and verify answers
//              (each modulo 4), then their status bytes in that order
// Missing bytes read as 0. Pauses only advance the machine's virtual clock;
// what stays slow is the disk, as a successful run flushes SERIAL.TXT to it:
// give the target a TMPDIR on a memory file system for long campaigns.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "device/access_route.h"
#include "device/route_registry.h"
#include "device/self_driver/self_driver_port_route.h"
#include "testing/job_fixture.h"
#include "testing/operator_fixture.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr int kDriverListControl = 1027;
constexpr std::size_t kMaxFailures = 9;
constexpr int kMaxOccurrence = 32;
constexpr std::size_t kMaxScriptLength = 4;
constexpr int kMaxCommands = 3;
constexpr std::size_t kImageLength = 4000;
constexpr const char* kSerialBefore = "12 7c 4\n";

void require(bool holds) {
  if (!holds) __builtin_trap();
}

class InputBytes {
 public:
  InputBytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t next() { return at_ < size_ ? data_[at_++] : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

struct Scenario {
  AccessRoute route = AccessRoute::PassThrough;
  bool failuresFromFirstScan = false;
  bool secondReader = false;
  int commands = 1;
  std::vector<InjectedFailure> failures;
  LoaderScript script;
};

std::vector<Byte> scriptedAnswers(InputBytes& input, std::size_t length) {
  std::vector<Byte> answers(length);
  for (Byte& answer : answers) answer = input.next();
  return answers;
}

Scenario readScenario(InputBytes& input) {
  Scenario scenario;
  scenario.route = static_cast<AccessRoute>(input.next() % 5);
  const std::uint8_t options = input.next();
  scenario.failuresFromFirstScan = (options & 1) != 0;
  scenario.secondReader = (options & 2) != 0;
  scenario.commands = 1 + (options >> 2) % kMaxCommands;
  const std::size_t failureCount = input.next() % kMaxFailures;
  for (std::size_t i = 0; i < failureCount; ++i) {
    InjectedFailure failure;
    failure.command = kRequestNames[input.next() % kRequestNames.size()];
    failure.occurrence = 1 + input.next() % kMaxOccurrence;
    failure.kind = (input.next() & 1) != 0 ? FailureKind::ScsiStatus : FailureKind::Transport;
    scenario.failures.push_back(failure);
  }
  const std::size_t jumpLength = input.next() % kMaxScriptLength;
  const std::size_t programLength = input.next() % kMaxScriptLength;
  const std::size_t verifyLength = input.next() % kMaxScriptLength;
  scenario.script.jump = scriptedAnswers(input, jumpLength);
  scenario.script.program = scriptedAnswers(input, programLength);
  scenario.script.verify = scriptedAnswers(input, verifyLength);
  return scenario;
}

/// The Windows version and check-box state that lead to each route.
struct RouteSetting {
  WindowsVersion windows;
  bool selfDriverChosen;
  const char* driverName;  // chosen in "Driver Select"; nullptr: the default
};

RouteSetting routeSetting(AccessRoute route) {
  switch (route) {
    case AccessRoute::PassThrough: return {{true, 5, 1}, false, nullptr};
    case AccessRoute::SelfDriverNt: return {{true, 5, 0}, true, nullptr};
    case AccessRoute::SelfDriverPort: return {{false, 4, 90}, true, nullptr};
    case AccessRoute::SelfDriverDynamic: return {{false, 4, 10}, false, "KV20DISK.PDR"};
    case AccessRoute::Aspi: return {{false, 4, 90}, false, nullptr};
  }
  return {{true, 5, 1}, false, nullptr};
}

MachineDescription scenarioMachine(const Scenario& scenario) {
  const RouteSetting setting = routeSetting(scenario.route);
  std::vector<ReaderDescription> readers = {operatorReader("E", "000000000001")};
  if (scenario.secondReader) readers.push_back(operatorReader("F", "000000000002"));
  // The NT self driver's readers report its fixed identity.
  if (scenario.route == AccessRoute::SelfDriverNt) {
    for (ReaderDescription& reader : readers) reader.inquiry = {"", "USB Reader", "01.A"};
  }
  MachineDescription machine = operatorMachine(setting.windows, readers);
  machine.selfDrivers = {"KVDKPDRV", "KV20DISK", "UDSKIO"};
  return machine;
}

void armReader(SimReader& reader, const Scenario& scenario) {
  reader.failures = FailurePlan{};
  reader.failures.failures = scenario.failures;
  reader.loader.script = scenario.script;
}

// The working directory outlives the inputs; each input writes its files
// afresh.
const TemporaryDirectory& workingDirectory() {
  static const TemporaryDirectory directory;
  return directory;
}

void writeWorkingFiles(const TemporaryDirectory& directory) {
  directory.writeFile("DEVICE.TXT", kOperatorDeviceTxt);
  directory.writeFile("SERIAL.TXT", kSerialBefore);
  const std::vector<Byte> image = headedImage(5, 0xFE, kImageLength, 3);
  directory.writeFile("FW.BIN", std::string(image.begin(), image.end()));
  // blockOffset, serialSlot, slotSize, plainLength, bmpMapOffset
  std::string address;
  for (std::uint32_t word : {0x100u, 4u, 64u, 0x200u, 0u}) {
    for (int i = 0; i < 4; ++i) address += static_cast<char>((word >> (8 * i)) & 0xFF);
  }
  directory.writeFile("FW.adr", address);
}

/// No message box while the status window shows.
void checkBoxesOnlyWhileStatusHidden(const Transcript& transcript) {
  bool shown = false;
  for (const TranscriptEvent& event : transcript.events()) {
    if (event.kind == EventKind::StatusWindow) {
      if (event.name == "show") shown = true;
      if (event.name == "hide" || event.name == "destroy" || event.name == "create") shown = false;
    }
    if (event.kind == EventKind::MessageBox) require(!shown);
  }
}

void checkFlash(const std::vector<Byte>& before, const std::vector<Byte>& after, const Program& program) {
  if (after == before) return;
  const auto& image = program.firmwareImage.image;
  require(after.size() == kImageLength && after.size() <= image.size());
  require(std::equal(after.begin(), after.end(), image.begin()));
}

void checkCommand(ProgramHarness& harness, RouteSet& routes, const TemporaryDirectory& directory,
                  const std::string& serialBefore, std::uint32_t successesBefore,
                  const std::vector<Byte>& flashBefore) {
  const Program& program = *harness.program;
  const IspTally& tally = program.tally;
  require(tally.totalCount == tally.successCount + tally.errorCount);
  require(tally.successCount <= successesBefore + 1);
  require(!harness.statusView.exists());
  require(harness.statusView.misuses() == 0);
  checkBoxesOnlyWhileStatusHidden(harness.transcript);
  // A success that kept the counter would hand its serial number out again.
  const bool succeeded = tally.successCount == successesBefore + 1;
  require((directory.readFile("SERIAL.TXT") == serialBefore) != succeeded);
  require(!directory.exists("SERIAL.TXT.new"));
  checkFlash(flashBefore, harness.machine.reader(1).loader.flash, program);
  require(harness.machine.violations().empty());
  require(harness.machine.pendingAspiPostings() == 0);
  // Only the Windows 98/ME self-driver handle may outlive a command (a job
  // that stops before programming leaves it to the next open or the close
  // step); the sequences close the drive and NT driver handles themselves.
  // Only the Windows 98/ME driver handle may stay open between commands.
  require(harness.machine.openHandleCount() == (routes.selfDriverPort().driver().handle().isOpen() ? 1u : 0u));
  require(harness.machine.loadedModuleCount() == 0);
}

void chooseRoute(ProgramHarness& harness, RouteSet& routes, const RouteSetting& setting) {
  Program& program = *harness.program;
  if (setting.selfDriverChosen) selfDriverClicked(program);
  if (setting.driverName != nullptr) {
    require(harness.mainView.chooseListItem(kDriverListControl, setting.driverName));
    driverSelectChanged(program, routes);
  }
  ispEnableClicked(program);
  getInfo(program, routes);
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  InputBytes input(data, size);
  const Scenario scenario = readScenario(input);
  const TemporaryDirectory& directory = workingDirectory();
  writeWorkingFiles(directory);

  ProgramHarness harness(scenarioMachine(scenario));
  harness.transcript.keepTrace = false;
  Program& program = *harness.program;
  program.workingDirectory = directory.path();
  RouteSet routes(harness.machine);
  SimReader& reader = harness.machine.reader(1);
  if (scenario.failuresFromFirstScan) armReader(reader, scenario);

  require(initialiseMainWindow(program, routes));
  chooseRoute(harness, routes, routeSetting(scenario.route));
  if (!scenario.failuresFromFirstScan) armReader(reader, scenario);

  for (int command = 0; command < scenario.commands; ++command) {
    harness.transcript.clear();
    const std::string serialBefore = directory.readFile("SERIAL.TXT");
    const std::uint32_t successesBefore = program.tally.successCount;
    const std::vector<Byte> flashBefore = reader.loader.flash;
    ispCommand(program, routes);
    checkCommand(harness, routes, directory, serialBefore, successesBefore, flashBefore);
  }

  closeMainWindow(program, routes);
  require(harness.machine.openHandleCount() == 0);
  require(harness.machine.openRegistryKeyCount() == 0);
  require(harness.machine.loadedModuleCount() == 0);
  return 0;
}
