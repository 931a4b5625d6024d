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
}

int SimReader::requestCount(const std::string& name) const {
  const auto found = requestCounts.find(name);
  return found == requestCounts.end() ? 0 : found->second;
}

IdentifyBlock SimReader::currentIdentify() const {
  return msLoader.inLoader() ? identifyBlock(description, true) : identify;
}

}  // namespace updater
