#include "platform/sim/session_replay.h"

#include <algorithm>

#include "common/text_format.h"

namespace updater {
namespace {

/// The request's byte at `offset`, counting the command block, then the
/// data-out bytes.
std::string byteText(const SessionRequest& request, std::size_t offset) {
  const std::vector<Byte>& part = offset < request.cdb.size() ? request.cdb : request.dataOut;
  const std::size_t at = offset < request.cdb.size() ? offset : offset - request.cdb.size();
  if (at >= part.size()) return "absent";
  std::string text = "0x";
  appendPaddedHex(text, part[at], 2);
  return text;
}

/// Where two byte strings first differ, one ending early included; none
/// when they are equal.
std::optional<std::size_t> mismatchAt(const std::vector<Byte>& recorded, const std::vector<Byte>& sent) {
  const auto [left, right] = std::mismatch(recorded.begin(), recorded.end(), sent.begin(), sent.end());
  if (left == recorded.end() && right == sent.end()) return std::nullopt;
  return static_cast<std::size_t>(left - recorded.begin());
}

std::string requestText(std::size_t index, const SessionRequest& sent) {
  return "request " + std::to_string(index) + " (" + sent.name + ")";
}

SessionDeviation deviation(std::size_t index, const SessionRequest& sent, const SessionExchange* recorded) {
  SessionDeviation found;
  found.index = index;
  if (recorded == nullptr) {
    found.text = requestText(index, sent) + ": beyond the end of the recorded session";
    return found;
  }
  if (recorded->request.name != sent.name) {
    found.text = requestText(index, sent) + ": recorded " + recorded->request.name;
    return found;
  }
  found.offset = firstDifference(recorded->request, sent).value_or(0);
  found.text = requestText(index, sent) + ": byte " + std::to_string(found.offset) + " is " +
               byteText(sent, found.offset) + ", recorded " + byteText(recorded->request, found.offset);
  return found;
}

}  // namespace

std::optional<std::size_t> firstDifference(const SessionRequest& recorded, const SessionRequest& sent) {
  if (recorded.name != sent.name) return 0;
  if (const auto inBlock = mismatchAt(recorded.cdb, sent.cdb)) return inBlock;
  const auto inData = mismatchAt(recorded.dataOut, sent.dataOut);
  if (!inData) return std::nullopt;
  return recorded.cdb.size() + *inData;
}

SessionAnswer SessionReplay::answer(const SessionRequest& sent) {
  const std::size_t index = next_++;
  const SessionExchange* recorded = index < recorded_.size() ? &recorded_[index] : nullptr;
  if (recorded != nullptr && !firstDifference(recorded->request, sent)) return recorded->answer;
  deviations_.push_back(deviation(index, sent, recorded));
  return transportFailure();
}

std::vector<SessionDeviation> SessionReplay::takeDeviations() {
  std::vector<SessionDeviation> taken;
  taken.swap(deviations_);
  return taken;
}

}  // namespace updater
