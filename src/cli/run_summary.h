#pragma once

// What the `end` event of a transcript reports: the state the program was
// left in after its last action (or after a start-up that refused to run).

#include <cstddef>
#include <cstdint>
#include <string>

namespace updater {

struct Program;

struct RunSummary {
  std::string statusLog;
  std::uint32_t totalCount = 0;
  std::uint32_t errorCount = 0;
  std::uint32_t successCount = 0;
  std::uint32_t cem = 0;
  std::uint32_t pc = 0;
  std::uint32_t cnt = 0;
  std::uint32_t deviceCount = 0;
  std::uint32_t selectedIndex = 0;
  /// Handles the program left open on the machine.
  std::size_t openHandles = 0;
};

/// `openHandles`: what the port says the program left open.
RunSummary summariseRun(const Program& program, std::size_t openHandles);

}  // namespace updater
