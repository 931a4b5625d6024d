#include "platform/sim/sim_ms_controller.h"

#include <algorithm>

namespace updater {
namespace {

constexpr Byte kProgramMode = 0;
constexpr Byte kCompareMode = 1;

}  // namespace

void SimMsController::switchProgram() {
  inLoader_ = !inLoader_;
  lastKind_ = inLoader_ ? Jump : Back;
  ++counts_[lastKind_];
  switchUnanswered_ = true;
  honestStatus_ = IspReady;
}

void SimMsController::transfer(Byte mode, ConstBytes data) {
  lastKind_ = Transfer;
  ++counts_[Transfer];
  if (!inLoader_ || data.empty() || (mode != kProgramMode && mode != kCompareMode)) {
    honestStatus_ = kLoaderRejected;
    return;
  }
  if (mode == kProgramMode) {
    flash.assign(data.begin(), data.end());
    ++programs_;
    honestStatus_ = IspWriteOk;
    return;
  }
  const bool equal = std::equal(data.begin(), data.end(), flash.begin(), flash.end());
  honestStatus_ = equal ? IspWriteOk : IspVerifyError;
}

Byte SimMsController::readStatus() {
  switchUnanswered_ = false;
  return statusAnswer();
}

Byte SimMsController::statusAnswer() const {
  const std::vector<Byte>* scripted = nullptr;
  switch (lastKind_) {
    case Jump: scripted = &script.jump; break;
    case Transfer: scripted = &script.transfer; break;
    case Back: scripted = &script.back; break;
    default: break;
  }
  if (scripted == nullptr || scripted->empty()) return honestStatus_;
  const auto n = static_cast<std::size_t>(counts_[lastKind_]);
  return (*scripted)[std::min(n, scripted->size()) - 1];
}

}  // namespace updater
