#include "platform/sim/sim_loader.h"

#include <algorithm>

namespace updater {
namespace {

Byte dataByte(ConstBytes dataOut, std::size_t index) { return index < dataOut.size() ? dataOut[index] : 0; }

bool skipped(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& skips, std::size_t index) {
  return std::any_of(skips.begin(), skips.end(), [index](const auto& range) {
    return index >= range.first && index - range.first < range.second;
  });
}

}  // namespace

bool SimLoader::execute(const CommandBlock& cdb, ConstBytes dataOut, std::uint32_t transferLength,
                        Bytes dataIn) {
  if (cdb[0] != kVendorOpcode) return false;
  switch (cdb[1]) {
    case kJumpToIspCode:
      inLoader_ = true;
      honestStatus_ = IspReady;
      lastKind_ = Jump;
      ++counts_[Jump];
      return true;
    case kGetIspStatusCode:
      ++statusReads_;
      if (!dataIn.empty()) dataIn[0] = statusAnswer();
      return true;
    case kProgramDataCode:
    case kVerifyDataCode:
      transfer(cdb, dataOut, transferLength);
      return true;
    default:
      return false;
  }
}

void SimLoader::transfer(const CommandBlock& cdb, ConstBytes dataOut, std::uint32_t transferLength) {
  const bool programs = cdb[1] == kProgramDataCode;
  lastKind_ = programs ? ProgramData : VerifyData;
  ++counts_[lastKind_];

  const Byte mode = cdb[send_isp_data::kMode];
  const std::uint32_t length = getU16(cdb, send_isp_data::kLength);
  const bool wellFormed = inLoader_ && mode == (programs ? 0 : 1) &&
                          cdb[send_isp_data::kPaddedBlocks] == paddedLength(length) / 512 &&
                          transferLength >= length;
  if (!wellFormed) {
    honestStatus_ = kLoaderRejected;
    return;
  }
  if (programs) {
    flash.assign(length, 0);
    for (std::uint32_t i = 0; i < length; ++i) flash[i] = dataByte(dataOut, i);
    honestStatus_ = IspWriteOk;
  } else {
    honestStatus_ = compareMatches(dataOut, length) ? IspVerifyOk : IspVerifyError;
  }
}

bool SimLoader::compareMatches(ConstBytes dataOut, std::uint32_t length) const {
  if (flash.size() != length) return false;
  for (std::uint32_t i = 0; i < length; ++i) {
    if (flash[i] != dataByte(dataOut, i) && !skipped(compareSkips, i)) return false;
  }
  return true;
}

Byte SimLoader::statusAnswer() const {
  const std::vector<Byte>* scripted = nullptr;
  switch (lastKind_) {
    case Jump: scripted = &script.jump; break;
    case ProgramData: scripted = &script.program; break;
    case VerifyData: scripted = &script.verify; break;
    default: break;
  }
  if (scripted == nullptr || scripted->empty()) return honestStatus_;
  const auto n = static_cast<std::size_t>(counts_[lastKind_]);
  return (*scripted)[std::min(n, scripted->size()) - 1];
}

}  // namespace updater
