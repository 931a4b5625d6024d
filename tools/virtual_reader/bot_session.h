#pragma once

// The device side of Bulk-Only Transport for one reader, bytes in and
// actions out, with no USB below it: a wrapper in, then the data-out bytes
// it announces, then what to write, halt and report. The FunctionFS glue
// carries the actions out; the tests read them.

#include <cstdint>
#include <optional>
#include <vector>

#include "bulk_only.h"
#include "platform/sim/sim_reader.h"
#include "scsi_outcome.h"

namespace updater {

struct BotActions {
  /// Bytes the host sends next on bulk-out; read them all, then call
  /// BotSession::dataOutReceived. Zero: the rest of the actions apply now.
  std::uint32_t dataOutLength = 0;
  /// Written on bulk-in first.
  std::vector<Byte> dataIn;
  /// Halt bulk-in after the data (the host expected more, or a failure).
  bool haltIn = false;
  /// Halt bulk-out too: an invalid wrapper, the host must reset.
  bool haltOut = false;
  /// Written on bulk-in last, unless `unplug`.
  std::optional<bulk_only::Csw> csw;
  /// Leave the bus instead of sending the status.
  bool unplug = false;
};

class BotSession {
 public:
  /// `unplugAfter` > 0: unplug once that many sendIspData data phases have
  /// been received.
  BotSession(SimReader& reader, int units, int unplugAfter);

  BotActions commandReceived(ConstBytes wrapper);
  BotActions dataOutReceived(ConstBytes data);

  /// What REQUEST SENSE reports now.
  const Sense& lastSense() const { return lastSense_; }

 private:
  BotActions serve(const bulk_only::Cbw& cbw, ConstBytes dataOut);
  ScsiOutcome answer(const bulk_only::Cbw& cbw, ConstBytes dataOut);
  bool unplugNow(const bulk_only::Cbw& cbw);

  SimReader& reader_;
  int units_;
  int unplugAfter_;
  int vendorDataPhases_ = 0;
  Sense lastSense_;
  std::optional<bulk_only::Cbw> pending_;
};

/// How Bulk-Only Transport carries `outcome` of `cbw`: data, halts and status.
/// A transport failure ends in a phase error, which makes the host reset the
/// reader and fail the command with a host error.
BotActions wrapOutcome(const bulk_only::Cbw& cbw, const ScsiOutcome& outcome);

}  // namespace updater
