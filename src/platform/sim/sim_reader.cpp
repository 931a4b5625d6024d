#include "platform/sim/sim_reader.h"

#include "platform/sim/reader_identity.h"

namespace updater {

SimReader::SimReader(int numberIn, const ReaderDescription& descriptionIn)
    : number(numberIn), description(descriptionIn), identify(identifyBlock(descriptionIn)) {
  loader.flash = description.firmware;
  loader.compareSkips = description.compareSkips;
  loader.script = description.answers;
  msLoader.flash = description.msFirmware;
  msLoader.script = description.msAnswers;
  failures.failures = description.failures;
  if (description.session) replay.emplace(*description.session);
}

int SimReader::requestCount(const std::string& name) const {
  const auto found = requestCounts.find(name);
  return found == requestCounts.end() ? 0 : found->second;
}

std::optional<SessionAnswer> SimReader::replayed(const SessionRequest& sent) {
  if (!replay) return std::nullopt;
  return replay->answer(sent);
}

void SimReader::record(SessionRequest sent, SessionAnswer answer) {
  if (recorded) recorded->push_back({std::move(sent), std::move(answer)});
}

IdentifyBlock SimReader::currentIdentify() const {
  return msLoader.inLoader() ? identifyBlock(description, true) : identify;
}

}  // namespace updater
