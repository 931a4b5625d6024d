#include "device/recording/request_name.h"

#include "device/pass_through/pass_through.h"

namespace updater {
namespace {

std::optional<std::string_view> driverIdentifyName(Byte variant) {
  if (variant == 0x13) return "driverIdentify13";
  if (variant == 0x03) return "driverIdentify03";
  return std::nullopt;
}

std::optional<std::string_view> vendorRequestName(Byte code) {
  switch (code) {
    case kDeviceIdentifyCode:
      return "deviceIdentify";
    case kJumpToIspCode:
      return "jumpToIsp";
    case kGetIspStatusCode:
      return "getIspStatus";
    case kProgramDataCode:
    case kVerifyDataCode:
      return "sendIspData";
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<std::string_view> passThroughRequestName(const CommandBlock& cdb) {
  switch (cdb[0]) {
    case kInquiryOpcode:
      return "inquiry";
    case kDriverIdentifyOpcode:
      return driverIdentifyName(cdb[1]);
    case kVendorOpcode:
      return vendorRequestName(cdb[1]);
    default:
      return std::nullopt;
  }
}

}  // namespace updater
