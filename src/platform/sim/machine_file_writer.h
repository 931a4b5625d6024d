#pragma once

// A machine description as machine-file text, the form --record saves: the
// PC (its Windows or host, date, drives, self drivers and ASPI layer) and
// each reader's identity fields and session. What makes a reader behave
// (its firmware, scripted answers, failures and compare skips) is left out:
// a recorded reader answers from its session.

#include <string>

#include "platform/sim/machine_description.h"

namespace updater {

/// The machine file of `machine`, which the machine-file reader reads back
/// into the same PC and the same readers' identities and sessions.
std::string machineFileText(const MachineDescription& machine);

}  // namespace updater
