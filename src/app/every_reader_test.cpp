// Several readers' runs on one simulated machine side by side in real time,
// as on real readers: the build with ThreadSanitizer runs this too.

#include "app/every_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <set>

#include "app/main_window.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "platform/forwarding_port.h"
#include "platform/lockstep_scheduler.h"
#include "testing/operator_fixture.h"

namespace updater {
namespace {

constexpr WindowsVersion kXp{true, 5, 1};

struct ReaderViewSet {
  Transcript transcript;
  RecordingMainView mainView{transcript};
  RecordingStatusView statusView{transcript};
};

// SERIAL.TXT as it stands when the first request reaches a reader.
class SerialFileAtFirstRequest : public ForwardingPort {
 public:
  SerialFileAtFirstRequest(Port& inner, TemporaryDirectory& directory) : ForwardingPort(inner), directory_(directory) {}

  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override {
    if (!seen) seen = directory_.readFile("SERIAL.TXT");
    return ForwardingPort::deviceIoControl(handle, controlCode, input, output);
  }

  std::optional<std::string> seen;

 private:
  TemporaryDirectory& directory_;
};

// The numbers are saved as used before any reader is sent anything: a crash
// at any moment of the runs leaves SERIAL.TXT past every number that may
// have gone out, so that none is ever given again.
TEST(EveryReaderInLockstep, SavesTheNumbersBeforeTheFirstRequest) {
  OperatorFixture fixture(operatorMachine(kXp, {operatorReader("E", "000000000001"), operatorReader("F", "000000000002")}));
  Program& station = fixture.program();
  ASSERT_TRUE(initialiseMainWindow(station, *fixture.routes));
  ispEnableClicked(station);
  const std::string before = fixture.directory.readFile("SERIAL.TXT");

  SerialFileAtFirstRequest watched(fixture.machine(), fixture.directory);
  Program program(watched, station.mainView, station.statusView);
  program.workingDirectory = station.workingDirectory;
  program.osMode = station.osMode;
  program.ispEnabled = true;
  program.userIspData = station.userIspData;
  program.deviceTable = station.deviceTable;
  RouteSet routes(watched);

  std::vector<std::unique_ptr<ReaderViewSet>> viewSets;
  std::vector<ReaderRunViews> views;
  for (int i = 0; i < 2; ++i) {
    viewSets.push_back(std::make_unique<ReaderViewSet>());
    views.push_back({viewSets.back()->mainView, viewSets.back()->statusView});
  }
  LockstepScheduler scheduler(watched, 2);
  const std::vector<ReaderRunResult> results = runOnEveryReader(program, routes, EveryReaderJob::Isp, scheduler, views);
  ASSERT_EQ(results.size(), 2u);
  EXPECT_TRUE(results[0].success && results[1].success);
  ASSERT_TRUE(watched.seen);
  EXPECT_EQ(*watched.seen, fixture.directory.readFile("SERIAL.TXT"));
  EXPECT_NE(*watched.seen, before);
}

TEST(EveryReaderConcurrently, ProgramsEachReaderWithItsOwnNumber) {
  OperatorFixture fixture(operatorMachine(kXp, {operatorReader("E", "000000000001"), operatorReader("F", "000000000002"),
                                                operatorReader("G", "000000000003")}));
  Program& program = fixture.program();
  ASSERT_TRUE(initialiseMainWindow(program, *fixture.routes));
  ispEnableClicked(program);
  ASSERT_EQ(everyReaderRunCount(program), 3u);
  const std::string serialBefore = fixture.directory.readFile("SERIAL.TXT");

  std::vector<std::unique_ptr<ReaderViewSet>> viewSets;
  std::vector<ReaderRunViews> views;
  for (int i = 0; i < 3; ++i) {
    viewSets.push_back(std::make_unique<ReaderViewSet>());
    views.push_back({viewSets.back()->mainView, viewSets.back()->statusView});
  }
  ConcurrentScheduler scheduler;
  const std::vector<ReaderRunResult> programmed =
      runOnEveryReader(program, *fixture.routes, EveryReaderJob::Isp, scheduler, views);

  ASSERT_EQ(programmed.size(), 3u);
  std::set<std::string> serials;
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_TRUE(programmed[i].success) << programmed[i].message;
    EXPECT_EQ(programmed[i].reader, i + 1);
    serials.insert(programmed[i].serial);
  }
  EXPECT_EQ(serials.size(), 3u);
  EXPECT_EQ(program.tally.successCount, 3u);
  EXPECT_NE(fixture.directory.readFile("SERIAL.TXT"), serialBefore);
  EXPECT_EQ(fixture.machine().openHandleCount(), 0u);
}

}  // namespace
}  // namespace updater
