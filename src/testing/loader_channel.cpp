#include "testing/loader_channel.h"

namespace updater {

const char* vendorCommandName(const CommandBlock& cdb) {
  switch (cdb[1]) {
    case kJumpToIspCode: return "jumpToIsp";
    case kGetIspStatusCode: return "getIspStatus";
    case kProgramDataCode:
    case kVerifyDataCode: return "sendIspData";
    default: return "unknown";
  }
}

bool LoaderChannel::execute(VendorCommand& command) {
  // A failed request never reaches the loader.
  if (failures.next(vendorCommandName(command.cdb))) return false;
  const bool out = command.direction == Direction::Out;
  if (out) {
    lastCdb = command.cdb;
    lastTransferLength = command.transferLength;
    lastDataSize = command.data.size();
  }
  return loader_.execute(command.cdb, out ? ConstBytes(command.data) : ConstBytes(), command.transferLength,
                         out ? Bytes() : command.data);
}

}  // namespace updater
