#include "jobs/ms_update.h"
namespace updater {
void runMsUpdate(Program&, ProgramRoutes&, MsUpdateMode) {}
}  // namespace updater
