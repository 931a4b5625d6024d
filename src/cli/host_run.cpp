#include "cli/host_run.h"

#include <memory>

#include "cli/cli_session.h"
#include "cli/host_recording.h"
#include "cli/recording_file.h"
#include "cli/serial_file_guard.h"
#include "cli/transcript_output.h"
#include "device/access_route.h"
#include "platform/linux/linux_host_port.h"
#include "platform/linux/node_access.h"
#include "platform/linux/sense_text.h"
#include "platform/sim/sim_pass_through.h"

namespace updater {
namespace {

/// The names the simulated machine gives the program's requests, by their
/// command blocks' leading bytes, so that a trace reads alike on both.
struct RequestNameRow {
  Byte opcode;
  int secondByte;  // -1: any
  const char* name;
};

constexpr RequestNameRow kRequestNames[] = {
    {0x12, -1, "inquiry"},         {0x06, 0x05, "deviceIdentify"}, {0xFF, 0x13, "driverIdentify13"},
    {0xFF, 0x03, "driverIdentify03"}, {0x06, 0xBF, "jumpToIsp"},   {0x06, 0xB0, "getIspStatus"},
    {0x06, 0xB1, "sendIspData"},   {0x06, 0xB2, "sendIspData"},
};

const char* requestName(ConstBytes cdb) {
  for (const RequestNameRow& row : kRequestNames) {
    if (cdb.size() >= 2 && cdb[0] == row.opcode && (row.secondByte < 0 || cdb[1] == row.secondByte)) return row.name;
  }
  return "scsi";
}

/// Each request as an io event of the trace; the text says why it failed,
/// or what the sense data of a check condition means.
TranscriptEvent ioEvent(const CarriedRequest& request) {
  TranscriptEvent event;
  event.kind = EventKind::Io;
  event.route = routeName(AccessRoute::PassThrough);
  event.reader = request.readerNumber;
  event.name = requestName(request.cdb);
  event.cdb = hexDigits(request.cdb);
  event.length = request.dataLength;
  event.ok = request.carried && request.scsiStatus == 0;
  event.text = request.carried ? senseText(request.sense) : std::string(request.failure);
  return event;
}

/// The trace's io events and the recording's sessions, as asked for.
void followRequests(LinuxHostPort& port, Transcript& transcript, HostRecorder* recorder) {
  port.traceRequest = [&transcript, recorder, trace = transcript.keepTrace](const CarriedRequest& request) {
    if (trace) transcript.add(ioEvent(request));
    if (recorder != nullptr) recorder->add(requestName(request.cdb), request);
  };
}

}  // namespace

int runOnHost(const CliOptions& options, const CliStreams& streams, const HostAccess& access) {
  SystemScsiGeneric kernel;
  ScsiGeneric* given = access.scsiGeneric;
  ScsiGeneric& scsiGeneric = given != nullptr ? *given : static_cast<ScsiGeneric&>(kernel);
  const std::vector<HostReader> readers = scanUsbReaders(access.sysfsRoot);
  if (const auto refused = inaccessibleNode(readers, scsiGeneric, access.deviceFolder)) {
    return usageError(streams.err, *refused);
  }

  Transcript transcript;
  transcript.keepTrace = options.trace;
  TranscriptOutput output(streams, options.json, true);
  transcript.onEvent = [&output](const TranscriptEvent& event) { output.write(event); };
  LinuxHostPort port(readers, scsiGeneric, access.system.value_or(linuxHostSystem()), access.deviceFolder);
  HostRecorder recorder;
  if (options.trace || options.recordFile) followRequests(port, transcript, options.recordFile ? &recorder : nullptr);
  port.console = [&transcript](std::string_view line) { transcript.add(consoleEvent(line)); };

  const SerialFileGuard serialFile(options.workingDirectory);
  auto session = std::make_unique<CliSession>(port, transcript, options.workingDirectory);
  // Real readers take their pauses in real time, side by side.
  session->makeScheduler = [](std::size_t) { return std::make_unique<ConcurrentScheduler>(); };
  const SessionOutcome outcome = runSession(*session, options.actions);
  if (outcome.refusedChoice) {
    return usageError(streams.err,
                      serialFile.restoreAfterRefusal(port, session->program.serialCounter, *outcome.refusedChoice));
  }
  output.end(summariseRun(session->program, port.openHandleCount()));
  if (options.recordFile) {
    const std::string recordError = writeRecording(*options.recordFile, recorder.recording(port, readers));
    if (!recordError.empty()) {
      errorLine(streams.err, "--record: " + recordError);
      return kExitNotDone;
    }
  }
  return outcome.started ? kExitDone : kExitNotDone;
}

}  // namespace updater
