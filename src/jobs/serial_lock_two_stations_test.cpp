// Two stations of a line sharing one working folder, each a process of its
// own on its own simulated machine: the first is held inside its ISP job,
// between the counter's load and its save, while the second tries its own.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/operator_commands.h"
#include "device/route_registry.h"
#include "jobs/serial_counter.h"
#include "jobs/serial_lock.h"
#include "testing/child_process.h"
#include "platform/forwarding_port.h"
#include "testing/operator_fixture.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr WindowsVersion kXp{true, 5, 1};
constexpr std::string_view kHolding = "holding the counter";
constexpr std::string_view kGoOn = "go on";
constexpr std::string_view kInUse = "Error!!! SERIAL.TXT is in use by another program";
constexpr std::string_view kSerialLabel = "\nSERIAL NUMBER: ";
const std::string kStartCounter = "12 7c 4\n";

// Calls `pause` once, at the program's first device request after it took
// a file lock: inside the ISP job, the counter loaded and not yet saved.
class PauseInsideTheLock : public ForwardingPort {
 public:
  PauseInsideTheLock(Port& inner, std::function<void()> pause) : ForwardingPort(inner), pause_(std::move(pause)) {}

  FileLockResult lockFile(const std::filesystem::path& path) override {
    const FileLockResult result = ForwardingPort::lockFile(path);
    locked_ = locked_ || result.status == FileLockStatus::Locked;
    return result;
  }

  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override {
    if (locked_ && pause_) std::exchange(pause_, nullptr)();
    return ForwardingPort::deviceIoControl(handle, controlCode, input, output);
  }

 private:
  std::function<void()> pause_;
  bool locked_ = false;
};

// One station: a program on a Windows XP machine with one reader, working
// in the shared folder, its main window up and ISP enabled.
class Station {
 public:
  explicit Station(const std::filesystem::path& folder, std::function<void()> pauseInsideTheLock = nullptr)
      : harness_(operatorMachine(kXp, {operatorReader("E", "000000000001")})),
        port_(harness_.machine, std::move(pauseInsideTheLock)) {
    harness_.program = std::make_unique<Program>(port_, harness_.mainView, harness_.statusView);
    program().workingDirectory = folder;
    routes_ = std::make_unique<RouteSet>(port_);
  }

  bool start() {
    if (!initialiseMainWindow(program(), *routes_)) return false;
    ispEnableClicked(program());
    harness_.transcript.clear();
    return true;
  }

  void isp() { ispCommand(program(), *routes_); }

  Program& program() { return *harness_.program; }
  SimMachine& machine() { return harness_.machine; }
  std::vector<TranscriptEvent> boxes() const { return harness_.messageBoxes(); }

  // The 12 characters of this run's "SERIAL NUMBER: " line; empty when none.
  std::string serialNumber() {
    const std::string& log = program().statusLog;
    const std::size_t at = log.find(kSerialLabel);
    return at == std::string::npos ? std::string() : log.substr(at + kSerialLabel.size(), kSerialNumberLength);
  }

 private:
  ProgramHarness harness_;
  PauseInsideTheLock port_;
  std::unique_ptr<RouteSet> routes_;
};

// The first station's process: runs one ISP job, says when it holds the
// counter and waits there for the word to go on; at the end it reports the
// serial number it programmed. Exit code 0 when that run succeeded.
int firstStation(ProcessLink& parent, const std::filesystem::path& folder) {
  bool toldToGoOn = false;
  Station station(folder, [&] { toldToGoOn = parent.send(kHolding) && parent.receive() == kGoOn; });
  if (!station.start()) return 2;
  station.isp();
  if (!toldToGoOn) return 3;
  if (station.program().tally.successCount != 1 || !station.boxes().empty()) return 4;
  if (station.machine().heldFileLockCount() != 0) return 5;
  return parent.send(station.serialNumber()) ? 0 : 6;
}

class TwoStations : public ::testing::Test {
 protected:
  // The folder as the operator fixture lays it out: DEVICE.TXT, SERIAL.TXT
  // with the counter at 4, the type-5 image and its address file.
  TwoStations() {
    const OperatorFixture layout(operatorMachine(kXp, {}));
    for (const auto& entry : std::filesystem::directory_iterator(layout.directory.path())) {
      std::filesystem::copy_file(entry.path(), folder.path() / entry.path().filename());
    }
    folder.writeFile(kSerialFileName, kStartCounter);
  }

  // Starts the first station and waits until it holds the counter.
  void startFirstStationInsideItsJob() {
    const std::filesystem::path path = folder.path();
    first = std::make_unique<ChildProcess>([path](ProcessLink& parent) { return firstStation(parent, path); });
    ASSERT_TRUE(first->started());
    ASSERT_EQ(first->link().receive(), kHolding);
  }

  // The second station, here in the test's process, is refused: a stop box
  // and the StatusLog line, nothing sent, the counter file as it was.
  void expectSecondStationRefused(Station& second) {
    const std::size_t requestsBefore = second.machine().requests().size();
    second.isp();
    const auto boxes = second.boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kInUse);
    EXPECT_EQ(boxes[0].icon, MessageIcon::Stop);
    EXPECT_EQ(boxes[0].caption, "updater");
    const std::string& log = second.program().statusLog;
    EXPECT_NE(log.find("\n" + std::string(kInUse) + "\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(kSerialLabel), std::string::npos) << "no number was made";
    EXPECT_EQ(second.machine().requests().size(), requestsBefore) << "nothing sent";
    EXPECT_EQ(second.program().tally.totalCount, 0u);
    EXPECT_EQ(folder.readFile(kSerialFileName), kStartCounter);
    EXPECT_EQ(second.machine().heldFileLockCount(), 0u);
  }

  TemporaryDirectory folder;
  std::unique_ptr<ChildProcess> first;
};

TEST_F(TwoStations, SecondIsRefusedWhileTheFirstProgramsAndThenTakesTheNextNumber) {
  startFirstStationInsideItsJob();
  Station second(folder.path());
  ASSERT_TRUE(second.start());
  expectSecondStationRefused(second);

  ASSERT_TRUE(first->link().send(kGoOn));
  const std::optional<std::string> firstNumber = first->link().receive();
  EXPECT_EQ(first->wait(), 0);
  ASSERT_TRUE(firstNumber.has_value());
  EXPECT_TRUE(firstNumber->ends_with("0004")) << *firstNumber;
  EXPECT_EQ(folder.readFile(kSerialFileName), "0x12 0x7c 0x5 ");

  second.isp();
  EXPECT_TRUE(second.boxes().size() == 1 && second.boxes()[0].text == kInUse) << "no new box";
  EXPECT_EQ(second.program().tally.successCount, 1u);
  EXPECT_EQ(second.serialNumber(), firstNumber->substr(0, 8) + "0005");
  EXPECT_EQ(folder.readFile(kSerialFileName), "0x12 0x7c 0x6 ");
}

TEST_F(TwoStations, StationThatDiesInsideItsJobLeavesTheCounterFreeAndUnchanged) {
  startFirstStationInsideItsJob();
  Station second(folder.path());
  ASSERT_TRUE(second.start());
  expectSecondStationRefused(second);

  first->kill();
  EXPECT_EQ(folder.readFile(kSerialFileName), kStartCounter);
  second.isp();
  EXPECT_EQ(second.program().tally.successCount, 1u);
  EXPECT_TRUE(second.serialNumber().ends_with("0004")) << "the dead station's number was never used";
  EXPECT_EQ(folder.readFile(kSerialFileName), "0x12 0x7c 0x5 ");
  EXPECT_EQ(second.machine().heldFileLockCount(), 0u);
}

}  // namespace
}  // namespace updater
