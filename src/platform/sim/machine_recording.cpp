#include "platform/sim/machine_recording.h"

#include "platform/sim/sim_machine.h"

namespace updater {

ReaderDescription identityOf(const ReaderDescription& reader) {
  ReaderDescription identity = reader;
  identity.firmware.clear();
  identity.msFirmware.clear();
  identity.answers = {};
  identity.msAnswers = {};
  identity.failures.clear();
  identity.compareSkips.clear();
  identity.session.reset();
  return identity;
}

MachineDescription recordedMachine(SimMachine& machine) {
  MachineDescription recording = machine.description();
  recording.host = machine.host;
  recording.date = machine.date;
  recording.readers.clear();
  for (const SimReader& reader : machine.readers()) {
    ReaderDescription recorded = identityOf(reader.description);
    recorded.session = reader.recorded.value_or(ReaderSession{});
    recording.readers.push_back(std::move(recorded));
  }
  return recording;
}

}  // namespace updater
