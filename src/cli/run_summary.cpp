#include "cli/run_summary.h"

#include "app/program.h"

namespace updater {

RunSummary summariseRun(const Program& program, std::size_t openHandles) {
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
  summary.openHandles = openHandles;
  return summary;
}

}  // namespace updater
