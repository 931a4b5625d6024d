#pragma once

// Injected request failures of one reader: the n-th request (1-based) of a
// named command fails, either in transport (the request itself fails) or by
// completing with SCSI status 2 (check condition).

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace updater {

enum class FailureKind { Transport, ScsiStatus };

struct InjectedFailure {
  std::string command;  // "jumpToIsp", "getIspStatus", "sendIspData", "inquiry", ...
  int occurrence = 1;
  FailureKind kind = FailureKind::Transport;
};

class FailurePlan {
 public:
  std::vector<InjectedFailure> failures;

  /// Counts one request of `command` and says whether, and how, it fails.
  std::optional<FailureKind> next(const std::string& command);

 private:
  std::map<std::string, int> counts_;
};

}  // namespace updater
