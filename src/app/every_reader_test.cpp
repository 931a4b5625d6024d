// Several readers' runs on one simulated machine side by side in real time,
// as on real readers: the build with ThreadSanitizer runs this too.

#include "app/every_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "app/main_window.h"
#include "app/operator_commands.h"
#include "app/program.h"
#include "testing/operator_fixture.h"

namespace updater {
namespace {

constexpr WindowsVersion kXp{true, 5, 1};

struct ReaderViewSet {
  Transcript transcript;
  RecordingMainView mainView{transcript};
  RecordingStatusView statusView{transcript};
};

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
