#pragma once

// The situations of the fault sweep: on each access route, the operator's
// device scan ("GetInfo"), the programming job ("WIN9xISP") and the verify
// job ("WIN9xVER"), and on the port self driver the Memory Stick update in
// both forms. A run builds a fresh simulated machine with one reader, starts
// the program on it as the operator would (route chosen, readers scanned,
// ISP enabled), then arms the reader's failure plan and the machine's file
// fault plan, and presses the button.

#include <ostream>
#include <string>
#include <vector>

#include "device/access_route.h"
#include "platform/sim/failure_plan.h"
#include "platform/sim/file_fault_plan.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/transcript.h"
#include "testing/operator_fixture.h"

namespace updater {

enum class SweepJob { Scan, Isp, Verify, MsProgram, MsVerify };

struct FaultScenario {
  AccessRoute route;
  SweepJob job;
};

/// Every scenario of the sweep, in a fixed order.
const std::vector<FaultScenario>& faultScenarios();

/// "PassThrough_Isp", "SelfDriverPort_MsVerify", ...: usable in test names.
std::string scenarioName(const FaultScenario& scenario);

const char* jobName(SweepJob job);

/// For test output.
void PrintTo(const FaultScenario& scenario, std::ostream* out);

/// The files of the working directory and what the reader held before.
namespace sweep_files {
/// SERIAL.TXT as the run starts.
inline constexpr std::string_view kSerialText = "12 7c 4\n";
/// The firmware image file (the reader's flash holds it unpatched).
std::vector<Byte> firmwareImage();
/// The Memory Stick firmware file.
std::vector<Byte> msFirmware();
/// What the Memory Stick controller holds before a programming run.
std::vector<Byte> oldMsFirmware();
}  // namespace sweep_files

class FaultScenarioRun {
 public:
  explicit FaultScenarioRun(const FaultScenario& scenario);
  // The transcript calls back into this run.
  FaultScenarioRun(const FaultScenarioRun&) = delete;
  FaultScenarioRun& operator=(const FaultScenarioRun&) = delete;

  /// Arms the reader's failure plan and the machine's file fault plan afresh
  /// (their counts start at 0), clears the transcript and runs the
  /// scenario's job.
  void run(std::vector<InjectedFailure> failures = {}, std::vector<InjectedFileFault> fileFaults = {});

  const FaultScenario& scenario() const { return scenario_; }
  Program& program() { return fixture_.program(); }
  SimMachine& machine() { return fixture_.machine(); }
  SimReader& reader() { return fixture_.machine().reader(1); }
  ProgramHarness& harness() { return fixture_.harness; }
  RouteSet& routes() { return *fixture_.routes; }
  std::string serialFile() const { return fixture_.directory.readFile("SERIAL.TXT"); }
  /// What the last run added to HISTORY.CSV.
  std::string historyAppended() const {
    return fixture_.directory.readFile("HISTORY.CSV").substr(historyBefore_.size());
  }
  /// Whether a staging file of SERIAL.TXT's replacement stands in the folder.
  bool serialStagingLeft() const { return fixture_.directory.exists("SERIAL.TXT.new"); }
  /// The texts of the last run's boxes that were shown while another
  /// station sharing the folder could not have taken SERIAL.TXT's lock.
  const std::vector<std::string>& boxesOverHeldCounter() const { return boxesOverHeldCounter_; }

 private:
  void start();
  void noteBoxOverHeldCounter(const TranscriptEvent& event);

  // Another station in the same folder, which only tries the lock.
  Transcript otherStationTranscript_;
  SimMachine otherStation_{otherStationTranscript_};
  std::vector<std::string> boxesOverHeldCounter_;

  FaultScenario scenario_;
  OperatorFixture fixture_;
  std::string historyBefore_;
};

}  // namespace updater
