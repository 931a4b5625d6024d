#pragma once

// A reader's Memory Stick controller as the simulated port self driver
// reaches it. It runs its main program or its loader; the marker block
// written through the driver switches between the two, and the next status
// read answers 9C. In its loader it takes transfers: a program transfer
// replaces the flash (A5), a compare transfer answers A5 when the data equals
// the flash, else 33. Scripted answers (msJump after a switch into the
// loader, msTransfer after a transfer, msBack after a switch back) replace
// the status read after a command of their kind; the honest state still
// follows every command.

#include <vector>

#include "common/bytes.h"
#include "isp/vendor_command.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/sim_loader.h"

namespace updater {

class SimMsController {
 public:
  std::vector<Byte> flash;
  MsLoaderScript script;

  /// The marker block arrived: main program <-> loader.
  void switchProgram();
  /// A transfer of `data` (the whole data phase) in `mode` (0 program, 1
  /// compare) to the loader. Outside the loader the controller does not take
  /// it and answers EE.
  void transfer(Byte mode, ConstBytes data);
  /// The answer of the next status read.
  Byte readStatus();

  bool inLoader() const { return inLoader_; }
  /// Whether the next status read is this controller's: while it runs its
  /// loader, and for the one read that follows a switch back.
  bool answersStatus() const { return inLoader_ || switchUnanswered_; }

  int switchCount() const { return counts_[Jump] + counts_[Back]; }
  int transferCount() const { return counts_[Transfer]; }
  int programCount() const { return programs_; }

 private:
  enum Kind { None, Jump, Transfer, Back, kKinds };

  Byte statusAnswer() const;

  bool inLoader_ = false;
  bool switchUnanswered_ = false;
  Byte honestStatus_ = 0x00;
  Kind lastKind_ = None;
  int counts_[kKinds] = {};
  int programs_ = 0;
};

}  // namespace updater
