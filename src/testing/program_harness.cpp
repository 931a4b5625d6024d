#include "testing/program_harness.h"

#include <algorithm>

#include "isp/program_firmware.h"
#include "isp/verify_firmware.h"
#include "testing/route_runs.h"

namespace updater {

MachineDescription harnessMachine() {
  MachineDescription description;
  description.date = LocalDate{2007, 12, 25};
  return description;
}

void ProgramHarness::loadImage(const std::vector<Byte>& image) {
  auto& buffer = program->firmwareImage.image;
  std::fill(buffer.begin(), buffer.end(), Byte{0});
  std::copy(image.begin(), image.end(), buffer.begin());
  program->firmwareImage.length = static_cast<std::uint32_t>(image.size());
}

void ProgramHarness::programFirmware(RunRoute& route, std::uint32_t length) {
  RunSink sink = program->sink();
  SequenceContext context{route, machine, sink};
  updater::programFirmware(loaderImage(*program, length), context, program->tally);
}

void ProgramHarness::verifyFirmware(RunRoute& route, std::uint32_t length) {
  RunSink sink = program->sink();
  SequenceContext context{route, machine, sink};
  updater::verifyFirmware(loaderImage(*program, length), context);
}

std::vector<std::string> ProgramHarness::statusWindowOps() const {
  std::vector<std::string> ops;
  for (const auto& event : transcript.ofKind(EventKind::StatusWindow)) ops.push_back(event.name);
  return ops;
}

std::vector<int> ProgramHarness::barPositions() const {
  std::vector<int> positions;
  for (const auto& event : transcript.ofKind(EventKind::StatusWindow)) {
    if (event.name == "stepIt") positions.push_back(event.position);
  }
  return positions;
}

std::vector<Byte> testImage(std::size_t length, Byte seed) {
  std::vector<Byte> image(length);
  std::uint32_t state = seed;
  for (auto& byte : image) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<Byte>(state >> 16);
  }
  return image;
}

}  // namespace updater
