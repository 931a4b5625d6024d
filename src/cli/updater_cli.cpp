#include "cli/updater_cli.h"

#include <memory>
#include <system_error>

#include "cli/cli_session.h"
#include "cli/command_line.h"
#include "cli/demo_machine.h"
#include "cli/firmware_dump.h"
#include "cli/host_run.h"
#include "cli/recording_file.h"
#include "cli/transcript_output.h"
#include "cli/run_summary.h"
#include "cli/serial_file_guard.h"
#include "cli/text_events.h"
#include "platform/sim/machine_file.h"
#include "platform/sim/machine_recording.h"
#include "platform/sim/sim_machine.h"

namespace updater {
namespace {


struct MachineResult {
  std::optional<MachineDescription> machine;
  std::string error;
};

/// The reader's errors name the field's path, or begin with "machine file"
/// when the file as a whole is unusable; the former get the file's name.
std::string machineError(const std::string& fileName, const std::string& error) {
  if (error.starts_with("machine file")) return error;
  return "machine file " + fileName + ": " + error;
}

MachineResult loadMachine(const CliOptions& options) {
  if (!options.machineFile) {
    MachineFileResult demo = parseMachineFile(demoMachineJson(), ".");
    return {std::move(demo.machine), machineError("(built-in demo)", demo.error)};
  }
  MachineFileResult file = loadMachineFile(*options.machineFile);
  return {std::move(file.machine), machineError(options.machineFile->string(), file.error)};
}

void writeTranscript(const CliStreams& streams, bool json, const std::vector<TranscriptEvent>& events,
                     const RunSummary& summary) {
  TranscriptOutput output(streams, json, false);
  for (const auto& event : events) output.write(event);
  output.end(summary);
}

int runOnSimulatedMachine(const CliOptions& options, const CliStreams& streams) {
  const MachineResult machine = loadMachine(options);
  if (!machine.machine) return usageError(streams.err, machine.error);

  if (options.dumpDirectory) {
    std::error_code error;
    std::filesystem::create_directories(*options.dumpDirectory, error);
    if (error) {
      return usageError(streams.err, "--dump-firmware: cannot create " + options.dumpDirectory->string() + ": " +
                                         error.message());
    }
  }

  const SerialFileGuard serialFile(options.workingDirectory);
  auto transcript = std::make_unique<Transcript>();
  transcript->keepTrace = options.trace;
  auto simMachine = std::make_unique<SimMachine>(*transcript, *machine.machine);
  if (options.recordFile) simMachine->recordSessions();
  auto session = std::make_unique<CliSession>(*simMachine, *transcript, options.workingDirectory);
  const SessionOutcome outcome = runSession(*session, options.actions);
  if (outcome.refusedChoice) {
    return usageError(streams.err, serialFile.restoreAfterRefusal(*simMachine, session->program.serialCounter,
                                                                  *outcome.refusedChoice));
  }

  const std::string dumpError =
      options.dumpDirectory ? dumpFirmware(*simMachine, *options.dumpDirectory) : std::string();
  const std::string recordError =
      options.recordFile ? writeRecording(*options.recordFile, recordedMachine(*simMachine)) : std::string();
  writeTranscript(streams, options.json, transcript->events(),
                  summariseRun(session->program, simMachine->openHandleCount()));
  if (!dumpError.empty()) errorLine(streams.err, "--dump-firmware: " + dumpError);
  if (!recordError.empty()) errorLine(streams.err, "--record: " + recordError);
  if (!dumpError.empty() || !recordError.empty()) return kExitNotDone;
  return outcome.started ? kExitDone : kExitNotDone;
}

}  // namespace

void errorLine(std::ostream& err, const std::string& text) { err << "updater-cli: " << text << '\n'; }

int usageError(std::ostream& err, const std::string& text) {
  errorLine(err, text);
  return kExitUsage;
}

int runUpdaterCli(const std::vector<std::string>& arguments, CliStreams streams, const HostAccess& host) {
  const CommandLine commandLine = parseCommandLine(arguments);
  if (commandLine.helpRequested) {
    streams.out << commandLine.text;
    return kExitDone;
  }
  if (!commandLine.options) return usageError(streams.err, commandLine.text);
  const CliOptions& options = *commandLine.options;
#if defined(__linux__)
  if (options.host) return runOnHost(options, streams, host);
#else
  (void)host;
  if (options.host) return usageError(streams.err, "--host: this build has no port to this computer's readers");
#endif
  return runOnSimulatedMachine(options, streams);
}

}  // namespace updater
