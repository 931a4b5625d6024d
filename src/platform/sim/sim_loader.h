#pragma once

// The controller's ISP loader as a simulated reader runs it. Without scripted
// answers it behaves like a sound controller: a jump starts the loader
// (status 9C); a well-formed program transfer replaces the flash (A5); a
// well-formed compare transfer answers 5A when the data equals the flash
// outside the skipped ranges, else 33; anything malformed answers EE.
// Scripted answers replace the status read after a command of their kind;
// the honest state (flash included) still follows every command.

#include <cstdint>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "isp/vendor_command.h"

namespace updater {

/// Status bytes the loader answers, per kind of the last command; the n-th
/// read after the n-th command of a kind answers the n-th value, the last one
/// repeating. An empty list leaves the answer to the honest loader.
struct LoaderScript {
  std::vector<Byte> jump;
  std::vector<Byte> program;
  std::vector<Byte> verify;
};

/// The status of a transfer the loader could not take.
inline constexpr Byte kLoaderRejected = 0xEE;

class SimLoader {
 public:
  std::vector<Byte> flash;
  /// [offset, length] ranges of the image that a compare leaves out.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> compareSkips;
  LoaderScript script;

  /// Carries out one vendor command. `dataOut` is the data phase of an Out
  /// command (`transferLength` bytes, zeros beyond `dataOut.size()`);
  /// `dataIn` receives the answer of an In command. Returns false for a
  /// command block the loader does not know.
  bool execute(const CommandBlock& cdb, ConstBytes dataOut, std::uint32_t transferLength, Bytes dataIn);

  bool inLoader() const { return inLoader_; }
  int jumpCount() const { return counts_[Jump]; }
  int programCount() const { return counts_[ProgramData]; }
  int verifyCount() const { return counts_[VerifyData]; }
  int statusReadCount() const { return statusReads_; }

 private:
  enum Kind { None, Jump, ProgramData, VerifyData, kKinds };

  void transfer(const CommandBlock& cdb, ConstBytes dataOut, std::uint32_t transferLength);
  bool compareMatches(ConstBytes dataOut, std::uint32_t length) const;
  Byte statusAnswer() const;

  bool inLoader_ = false;
  Byte honestStatus_ = 0x00;
  Kind lastKind_ = None;
  int counts_[kKinds] = {};
  int statusReads_ = 0;
};

}  // namespace updater
