#include "virtual_reader/sense_data.h"

namespace updater {
namespace {

constexpr std::size_t kResponseCode = 0;
constexpr std::size_t kSenseKey = 2;
constexpr std::size_t kAdditionalLength = 7;
constexpr std::size_t kAdditionalCode = 12;
constexpr std::size_t kQualifier = 13;
constexpr Byte kCurrentFixed = 0x70;

}  // namespace

FixedSense fixedSense(const Sense& sense) {
  FixedSense data{};
  putU8(data, kResponseCode, kCurrentFixed);
  putU8(data, kSenseKey, sense.key);
  putU8(data, kAdditionalLength, static_cast<Byte>(kFixedSenseSize - 8));
  putU8(data, kAdditionalCode, sense.code);
  putU8(data, kQualifier, sense.qualifier);
  return data;
}

}  // namespace updater
