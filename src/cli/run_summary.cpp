#include "cli/run_summary.h"

#include "app/program.h"
#include "platform/sim/sim_machine.h"

namespace updater {

RunSummary summariseRun(const Program& program, const SimMachine& machine) {
  RunSummary summary;
  summary.statusLog = program.statusLog;
  summary.totalCount = program.tally.totalCount;
  summary.errorCount = program.tally.errorCount;
  summary.successCount = program.tally.successCount;
  summary.cem = program.serialCounter.cem;
  summary.pc = program.serialCounter.pc;
  summary.cnt = program.serialCounter.cnt;
  summary.deviceCount = program.deviceTable.deviceCount;
  summary.selectedIndex = program.deviceTable.selectedIndex;
  summary.openHandles = machine.openHandleCount();
  return summary;
}

}  // namespace updater
