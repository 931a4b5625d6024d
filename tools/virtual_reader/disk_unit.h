#pragma once

// One logical unit of the virtual reader as the host's disk driver sees it:
// a small medium of 512-byte blocks, all zeros at the start, and the
// standard commands a storage driver sends (TEST UNIT READY, REQUEST SENSE,
// INQUIRY, READ CAPACITY(10), MODE SENSE(6)/(10), READ(10), WRITE(10),
// PREVENT ALLOW MEDIUM REMOVAL, START STOP UNIT, SYNCHRONIZE CACHE(10)).
// Any other operation code ends with check condition, illegal request,
// invalid command operation code. The unit keeps the sense of its last
// command until REQUEST SENSE reads it or another command replaces it.

#include <cstdint>
#include <vector>

#include "platform/sim/machine_description.h"
#include "virtual_reader/bulk_only_wrappers.h"
#include "virtual_reader/command_reply.h"

namespace updater {

using CommandBlockField = std::array<Byte, bulk_only::kCommandBlockField>;

inline constexpr std::uint32_t kUnitBlockSize = 512;
/// 1 MiB.
inline constexpr std::uint32_t kDefaultUnitBlocks = 2048;

class DiskUnit {
 public:
  DiskUnit(ReaderInquiry identity, std::uint32_t blocks);

  /// What the unit means to move for `block`; none for a block it refuses.
  DeviceIntent intent(const CommandBlockField& block) const;
  /// Carries out `block` with the data-out the host sent (intent's length).
  CommandReply run(const CommandBlockField& block, ConstBytes dataOut);

  /// The sense the last command left; REQUEST SENSE reads and clears it.
  const Sense& sense() const { return sense_; }
  void setSense(const Sense& sense) { sense_ = sense; }

  const std::vector<Byte>& medium() const { return medium_; }

 private:
  /// What a command asks of the unit, or why it is refused.
  struct Plan {
    DeviceIntent intent;
    bool refused = false;
    Sense refusal;
  };
  Plan plan(const CommandBlockField& block) const;
  Plan planTransfer(const CommandBlockField& block, DataDirection direction) const;
  std::vector<Byte> modePages(const CommandBlockField& block, bool tenByteHeader) const;
  std::vector<Byte> dataIn(const CommandBlockField& block, std::uint32_t length);

  ReaderInquiry identity_;
  std::uint32_t blocks_;
  std::vector<Byte> medium_;
  Sense sense_;
};

}  // namespace updater
