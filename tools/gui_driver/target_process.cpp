#include "target_process.h"

#include <utility>
#include <vector>

namespace gui_driver {
namespace {

// How long a killed process may take to be gone.
constexpr DWORD kKillWaitMs = 5000;

}  // namespace

std::optional<TargetProcess> TargetProcess::start(const std::string& program, const std::string& arguments,
                                                  const std::string& workdir, std::string& error) {
  // CreateProcessA may write into the command line, so it gets a copy.
  std::string line = "\"" + program + "\"";
  if (!arguments.empty()) line += " " + arguments;
  std::vector<char> commandLine(line.begin(), line.end());
  commandLine.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      workdir.empty() ? nullptr : workdir.c_str(), &startup, &info);
  if (!started) {
    error = "cannot start " + program + " (error " + std::to_string(GetLastError()) + ")";
    return std::nullopt;
  }
  CloseHandle(info.hThread);
  return TargetProcess(info.hProcess, info.dwProcessId);
}

TargetProcess::~TargetProcess() {
  if (process_ == nullptr) return;
  kill();
  CloseHandle(process_);
}

TargetProcess::TargetProcess(TargetProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), processId_(other.processId_) {}

bool TargetProcess::hasExited() const { return waitForExit(0); }

bool TargetProcess::waitForExit(DWORD milliseconds) const {
  return WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

void TargetProcess::kill() const {
  if (hasExited()) return;
  TerminateProcess(process_, 1);
  waitForExit(kKillWaitMs);
}

}  // namespace gui_driver
