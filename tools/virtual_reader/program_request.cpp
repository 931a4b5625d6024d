#include "program_request.h"

#include "cbw_pass_through.h"
#include "platform/sim/sim_pass_through.h"

namespace updater {

std::optional<ScsiOutcome> answerProgramRequest(SimReader& reader, const bulk_only::Cbw& cbw, ConstBytes dataOut) {
  std::optional<PassThroughBuffer> request = passThroughFromCbw(cbw, dataOut);
  if (!request) return std::nullopt;
  const PassThroughCheck check = checkPassThrough(request->input(), request->output());
  if (!check.request) return std::nullopt;

  const PassThroughAnswer answer = answerFromReader(reader, *check.request);
  if (!answer.completed) return ScsiOutcome{OutcomeKind::TransportFailure, {}, sense::kNone};
  // The sim gives no sense of its own; a hardware error is what a
  // controller that fails a command reports.
  if (answer.scsiStatus != 0) return checkCondition(sense::kHardwareError);
  const ConstBytes data = request->data().first(answer.dataBytes);
  return good(std::vector<Byte>(data.begin(), data.end()));
}

}  // namespace updater
