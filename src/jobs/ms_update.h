#pragma once
namespace updater {
struct Program;
class ProgramRoutes;
enum class MsUpdateMode { Program = 0, Verify = 1 };
void runMsUpdate(Program& program, ProgramRoutes& routes, MsUpdateMode mode);
}  // namespace updater
