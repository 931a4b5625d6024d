#pragma once

// What a run on the simulated machine saw, as a machine description: the PC
// as the program read it, and each reader's identity with the session it
// wrote down (SimMachine::recordSessions). Its machine file replays the run.

#include "platform/sim/machine_description.h"

namespace updater {

class SimMachine;

/// The recording of `machine`'s run so far.
MachineDescription recordedMachine(SimMachine& machine);

/// `reader` without what makes it behave: firmware, scripted answers,
/// failures, compare skips and a session to play back.
ReaderDescription identityOf(const ReaderDescription& reader);

}  // namespace updater
