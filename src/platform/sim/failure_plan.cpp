#include "platform/sim/failure_plan.h"

namespace updater {

std::optional<FailureKind> FailurePlan::next(const std::string& command) {
  const int occurrence = ++counts_[command];
  if (unplugged_) return FailureKind::Unplugged;
  for (const auto& failure : failures) {
    if (failure.command != command || failure.occurrence != occurrence) continue;
    if (failure.kind == FailureKind::Unplugged) unplugged_ = true;
    return failure.kind;
  }
  return std::nullopt;
}

}  // namespace updater
