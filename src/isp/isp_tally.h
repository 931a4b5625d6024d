#pragma once

#include <cstdint>

namespace updater {

/// Counts of programming runs since start-up; only the programming sequence
/// changes them.
struct IspTally {
  std::uint32_t totalCount = 0;    // runs in which the loader answered IspReady
  std::uint32_t errorCount = 0;    // such runs that then failed
  std::uint32_t successCount = 0;  // runs that ended with IspVerifyOk
};

}  // namespace updater
