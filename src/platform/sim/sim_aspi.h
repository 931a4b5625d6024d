#pragma once

// The simulated ASPI layer's side of SendASPI32Command: which requests a
// reader knows, the exact request block the program must send for each (the
// published SRB_ExecSCSICmd in a zeroed 256-byte block), how a reader
// answers, and the registry keys Windows keeps for the drive letters of a
// reader on the layer. A block that deviates in any checked field is
// rejected with a text that names the field.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "isp/vendor_command.h"
#include "platform/sim/aspi_posting_thread.h"
#include "platform/sim/data_address_table.h"

namespace updater {

struct SimReader;

/// One row of the request table.
struct SimAspiCommand;

/// A request block that passed every check, taken apart.
struct SimAspiRequest {
  const SimAspiCommand* command = nullptr;
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
  CommandBlock cdb{};  // a 6-byte block in the first six bytes
  std::uint8_t cdbLength = 0;
  std::uint32_t bufLen = 0;
  ConstBytes dataOut;  // data-out requests: the buffer the block names
  Bytes dataIn;        // data-in requests: the buffer the block names
};

/// The request, or what deviated.
struct SimAspiCheck {
  std::optional<SimAspiRequest> request;
  std::string violation;
};

/// Checks `block` against the layout the program must send for its command;
/// the data buffer it names must be in `addresses`.
SimAspiCheck checkAspiRequest(Bytes block, const DataAddressTable& addresses);

/// The request name of a checked request ("inquiry", "sendIspData", ...).
const char* aspiRequestName(const SimAspiRequest& request);

/// How a request completed.
struct SimAspiAnswer {
  AspiCompletion completion;
  int ispStatus = -1;  // getIspStatus: the answer byte
};

/// A reader answers: from its recorded session while it plays one back
/// (a recorded SCSI status ends the request in SS_ERR with that status, a
/// transport failure as an injected one does); else injected failures
/// first, as the failure answers give them for this route
/// (platform/sim/failure_answers.h), a failed request never reaching the
/// controller, then the command. The reader records the exchange when it
/// keeps its session.
SimAspiAnswer answerAspiFromReader(SimReader& reader, const SimAspiRequest& request);

/// An address without a reader: SS_INVALID_HA past the last host adapter,
/// SS_NO_DEVICE on a target nobody answers at.
SimAspiAnswer answerAspiNoReader(const SimAspiRequest& request, std::uint32_t adapterCount);

}  // namespace updater
