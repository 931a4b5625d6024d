#pragma once

// A whole program ready for the ISP and verify jobs: the simulated platform,
// a temporary working directory for the image files and SERIAL.TXT, and the
// five route bindings onto one simulated loader. DEVICE.TXT is taken as read:
// the image is "FW.BIN" with its address file "FW.adr", the BmpMap
// "MAP.BIN" is active, and the program runs on Windows XP.

#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "testing/program_harness.h"
#include "testing/temporary_directory.h"
#include "testing/test_routes.h"

namespace updater {

inline constexpr std::string_view kJobImageFile = "FW.BIN";
inline constexpr std::string_view kJobAddressFile = "FW.adr";
inline constexpr std::string_view kJobBmpMapFile = "MAP.BIN";

struct JobFixture {
  JobFixture();

  Program& program() { return *harness.program; }
  const std::string& log() const { return harness.program->statusLog; }

  /// Makes the only reader, selected, one of revision `revision`.
  void selectReader(const HardwareRevision& revision);

  void writeImage(const std::vector<Byte>& image) const;
  /// The address file: little-endian 32-bit words.
  void writeAddressFile(std::initializer_list<std::uint32_t> words) const;
  void writeBmpMap(const std::vector<Byte>& map) const;
  void writeSerialFile(std::string_view contents) const;
  std::string serialFile() const;

  /// Whether any command reached the loader.
  bool anythingSent() const;

  /// What a job runs with: the program's state, on the test route the
  /// registry selects for the program's route inputs.
  JobContext job(RunSink& sink);
  /// The ISP and verify jobs as the operator commands run them.
  void runIsp();
  void runVerify();

  ProgramHarness harness;
  TemporaryDirectory directory;
  SimLoader loader;
  TestRoutes routes{loader};
};

/// A `length`-byte image with the head `type`, `mark`.
std::vector<Byte> headedImage(Byte type, Byte mark, std::size_t length, Byte seed = 1);

}  // namespace updater
