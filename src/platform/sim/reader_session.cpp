#include "platform/sim/reader_session.h"

#include <algorithm>

#include "common/text_format.h"

namespace updater {
namespace {

/// The request's bytes as the deviation counts them.
std::vector<Byte> requestBytes(const SessionRequest& request) {
  std::vector<Byte> bytes = request.cdb;
  bytes.insert(bytes.end(), request.dataOut.begin(), request.dataOut.end());
  return bytes;
}

std::string byteText(const std::vector<Byte>& bytes, std::size_t offset) {
  if (offset >= bytes.size()) return "absent";
  std::string text = "0x";
  appendPaddedHex(text, bytes[offset], 2);
  return text;
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
               byteText(requestBytes(sent), found.offset) + ", recorded " +
               byteText(requestBytes(recorded->request), found.offset);
  return found;
}

}  // namespace

SessionAnswer transportFailure() {
  SessionAnswer answer;
  answer.transportFailure = true;
  return answer;
}

std::optional<std::size_t> firstDifference(const SessionRequest& recorded, const SessionRequest& sent) {
  if (recorded.name != sent.name) return 0;
  const std::vector<Byte> expected = requestBytes(recorded);
  const std::vector<Byte> actual = requestBytes(sent);
  const auto [left, right] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
  if (left == expected.end() && right == actual.end()) return std::nullopt;
  return static_cast<std::size_t>(left - expected.begin());
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
