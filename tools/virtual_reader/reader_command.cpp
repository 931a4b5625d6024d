#include "virtual_reader/reader_command.h"

#include <algorithm>
#include <vector>

namespace updater {

std::optional<CheckedPassThrough> readerCommand(const CommandBlockField& block) {
  return checkCommandBlock(block).request;
}

DeviceIntent readerIntent(const CheckedPassThrough& request) {
  if (request.transferLength == 0) return {};
  return {carriesDataIn(request) ? DataDirection::In : DataDirection::Out, request.transferLength};
}

CommandReply answerReaderCommand(SimReader& reader, const CheckedPassThrough& request, ConstBytes dataOut) {
  std::vector<Byte> dataIn(carriesDataIn(request) ? request.transferLength : 0, 0);
  // The loader reads zeros beyond the data the host sent, as it does beyond
  // a short pass-through data area.
  std::vector<Byte> received(dataOut.begin(), dataOut.end());
  received.resize(carriesDataIn(request) ? 0 : request.transferLength, 0);

  CheckedPassThrough carried = request;
  carried.dataIn = dataIn;
  carried.dataOut = received;
  const PassThroughAnswer answer = answerFromReader(reader, carried);
  if (!reader.present()) return {CommandOutcome::Unplug, {}, {}};
  if (!answer.completed) return {CommandOutcome::TransportFailure, {}, {}};
  if (answer.scsiStatus != 0) return checkConditionReply(sense::kVendorCommandAborted);
  dataIn.resize(std::min<std::size_t>(answer.dataBytes, dataIn.size()));
  return goodReply(std::move(dataIn));
}

}  // namespace updater
