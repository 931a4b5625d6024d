#pragma once

// What --record saves of a run on this computer's readers: each request the
// program sent to a reader, at the reader's level (its command block, data
// and answer), and the readers as the host showed them. The machine file it
// makes plays the readers back on the simulated machine as a host machine.

#include <vector>

#include "platform/linux/linux_host_port.h"
#include "platform/sim/machine_description.h"

namespace updater {

class HostRecorder {
 public:
  /// Writes down one carried request under the name the trace gives it;
  /// a command block of no known request is left out, as the simulated
  /// machine refuses it before it reaches a reader.
  void add(const char* requestName, const CarriedRequest& request);

  /// The recording: the port's system and date, and `readers` (as the port
  /// was given them) at the drive letters the port shows them, each with
  /// its session.
  MachineDescription recording(LinuxHostPort& port, const std::vector<HostReader>& readers) const;

 private:
  std::vector<ReaderSession> sessions_;  // by reader number - 1
};

}  // namespace updater
