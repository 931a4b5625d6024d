#pragma once

// The virtual reader's side of the USB mass-storage bulk-only transport,
// free of any USB system call: command wrappers and data come in as bytes,
// and each comes back as a step that says what to move on the bulk
// endpoints next. The endpoint glue (functionfs_gadget.cpp) carries the
// steps out; tests read them.
//
// The host's expectation (no data, Hi bytes in, Ho bytes out) meets the
// reader's intent (none, Di, Do) in one of thirteen ways:
//   Hn=Dn, Hi=Di, Ho=Do   run; passed or failed, residue 0.
//   Hi>Dn, Hi>Di          run; send Di bytes, stall bulk-in when short of
//                         Hi; residue Hi-Di.
//   Ho>Dn, Ho>Do          take all Ho bytes; run on the first Do; residue Ho-Do.
//   Hn<Di, Hi<Di          run; send what the host takes (Hi, or none), stall
//                         bulk-in when short of Hi; phase error.
//   Hn<Do, Hi<>Do         not run; nothing sent, bulk-in stalled (Hi); phase error.
//   Ho<>Di, Ho<Do         not run; the Ho bytes are taken and dropped; phase error.
// The reader carries out a command only when it has all the data it needs,
// and never sends more than the host takes.
//
// A wrapper that is not valid and meaningful stalls both bulk endpoints, and
// the target takes nothing more until the host resets it (the class
// request Bulk-Only Mass Storage Reset, or a bus reset).

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/sim/sim_pass_through.h"
#include "platform/sim/sim_reader.h"
#include "virtual_reader/bulk_only_wrappers.h"
#include "virtual_reader/disk_unit.h"

namespace updater {

/// What the endpoint glue does next, in this order.
struct BulkStep {
  /// Data-out to read from bulk-out and hand to dataReceived; while it is
  /// not zero, nothing else of the step is set.
  std::uint32_t receive = 0;
  /// Data-in to write to bulk-in.
  std::vector<Byte> send;
  /// Stall bulk-in after `send`.
  bool haltIn = false;
  /// Stall bulk-out.
  bool haltOut = false;
  /// The status wrapper to write to bulk-in; none when the reader gives no
  /// status (a wrapper it refused, or it unplugged).
  std::optional<bulk_only::StatusWrapper> status;
  /// The reader leaves the bus now.
  bool unplug = false;
};

struct TargetSettings {
  std::uint32_t blocksPerUnit = kDefaultUnitBlocks;
  /// The reader unplugs itself once the n-th data-out command of its own
  /// (a loader transfer) has its data, before it carries it out; 0: never.
  int unplugAfterDataOut = 0;
};

class BulkOnlyTarget {
 public:
  BulkOnlyTarget(SimReader& reader, const TargetSettings& settings);

  /// GET MAX LUN's answer: the reader's units, less one.
  Byte maxLun() const { return static_cast<Byte>(units_.size() - 1); }

  /// A packet from bulk-out where a command wrapper is due.
  BulkStep commandReceived(ConstBytes packet);
  /// The data-out of the last step's `receive`.
  BulkStep dataReceived(ConstBytes data);
  /// Bulk-Only Mass Storage Reset, or the bus was reset: a command wrapper
  /// is due next.
  void reset();

  bool awaitingReset() const { return awaitingReset_; }
  const DiskUnit& unit(std::size_t lun) const { return units_.at(lun); }
  /// The reader's data-out commands whose data has come.
  int dataOutCommands() const { return dataOutCommands_; }

 private:
  /// The command between its wrapper and its status.
  struct Command {
    bulk_only::CommandWrapper wrapper;
    DeviceIntent intent;
    std::optional<CheckedPassThrough> readerRequest;
  };

  BulkStep refuseWrapper();
  BulkStep noHostData(const Command& command);
  BulkStep hostReceives(const Command& command);
  BulkStep run(const Command& command, ConstBytes dataOut, std::uint32_t residue);
  CommandReply answer(const Command& command, ConstBytes dataOut);
  BulkStep ended(const Command& command, const CommandReply& reply, std::uint32_t residue);
  static BulkStep phaseError(const Command& command, std::uint32_t residue);

  SimReader& reader_;
  TargetSettings settings_;
  std::vector<DiskUnit> units_;
  std::optional<Command> awaitingData_;
  bool awaitingReset_ = false;
  int dataOutCommands_ = 0;
};

}  // namespace updater
