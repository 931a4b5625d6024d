#pragma once

// Injected request failures of one reader: the n-th request (1-based) of a
// named command fails, either in transport (the request itself fails), by
// completing with SCSI status 2 (check condition), or because the reader has
// been unplugged just before it. An unplugged reader stays gone: that request
// and every later one fails the way a vanished device fails on its route.
// Unplugging is for tests in code; machine files have no word for it.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace updater {

enum class FailureKind { Transport, ScsiStatus, Unplugged };

struct InjectedFailure {
  std::string command;  // "jumpToIsp", "getIspStatus", "sendIspData", "inquiry", ...
  int occurrence = 1;
  FailureKind kind = FailureKind::Transport;
};

class FailurePlan {
 public:
  FailurePlan() = default;
  explicit FailurePlan(std::vector<InjectedFailure> failuresIn) : failures(std::move(failuresIn)) {}

  std::vector<InjectedFailure> failures;

  /// Counts one request of `command` and says whether, and how, it fails.
  std::optional<FailureKind> next(const std::string& command);

  /// Whether an Unplugged failure has come due: the reader is gone.
  bool unplugged() const { return unplugged_; }
  /// Requests counted so far, by command; a clean run's counts say which
  /// requests a scenario makes.
  const std::map<std::string, int>& counts() const { return counts_; }

 private:
  std::map<std::string, int> counts_;
  bool unplugged_ = false;
};

}  // namespace updater
