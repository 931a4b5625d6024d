#pragma once

// The simulated machine's side of the port: a virtual clock, a fixed date and
// version word, and a console that writes to the transcript. Pauses only
// advance the clock, so tests and benchmarks never wait.

#include <cstdint>
#include <vector>

#include "platform/port.h"
#include "platform/sim/transcript.h"

namespace updater {

class SimPort : public Port {
 public:
  explicit SimPort(Transcript& transcript) : transcript_(transcript) {}

  std::uint32_t versionWord() override { return version; }
  void sleep(std::uint32_t milliseconds) override;
  LocalDate localDate() override { return date; }
  void consoleLine(std::string_view line) override;

  /// Windows XP (NT 5.1) unless a test says otherwise.
  std::uint32_t version = 0x0105;
  LocalDate date{2007, 12, 25};

  std::uint64_t elapsedMs() const { return elapsedMs_; }
  const std::vector<std::uint32_t>& sleeps() const { return sleeps_; }

 private:
  Transcript& transcript_;
  std::uint64_t elapsedMs_ = 0;
  std::vector<std::uint32_t> sleeps_;
};

}  // namespace updater
