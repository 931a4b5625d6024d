#pragma once

// The simulated drives' side of IOCTL_SCSI_PASS_THROUGH: which command blocks
// a drive knows, the exact request the program must send for each (header
// fields, command block, input and output sizes, a zeroed buffer), and how a
// reader or a plain disk answers. A request that deviates in any checked
// field is rejected with a text that names the field.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "isp/vendor_command.h"

namespace updater {

struct SimReader;

/// One row of the command table.
struct PassThroughCommand;

/// A request that passed every check, taken apart.
struct CheckedPassThrough {
  const PassThroughCommand* command = nullptr;
  CommandBlock cdb{};
  std::uint32_t transferLength = 0;
  ConstBytes dataOut;  // data-out commands: the data area of the input
  Bytes dataIn;        // data-in commands: the data area of the output
};

/// The request, or what deviated.
struct PassThroughCheck {
  std::optional<CheckedPassThrough> request;
  std::string violation;
};

/// Checks the pass-through request of `input` and `output` (one buffer) against
/// the layout the program must send for its command.
PassThroughCheck checkPassThrough(ConstBytes input, Bytes output);

/// A command block as a reader receives it whatever carried it (the
/// pass-through request above, or a USB bulk-only command wrapper): the 16
/// bytes of `cdbField` matched against the command table alone. The request
/// that comes back has its command, block and transfer length; its data
/// spans are empty for the carrier to fill.
PassThroughCheck checkCommandBlock(ConstBytes cdbField);

/// Whether the reader sends the request's data (else it receives it, or
/// there is none).
bool carriesDataIn(const CheckedPassThrough& request);

/// `bytes` as lower-case hex digits, two per byte, no separators.
std::string hexDigits(ConstBytes bytes);

/// The request name of a checked request ("inquiry", "sendIspData", ...).
const char* requestName(const CheckedPassThrough& request);

/// How a drive answered.
struct PassThroughAnswer {
  bool completed = false;  // the control call succeeds
  Byte scsiStatus = 0;
  std::uint32_t dataBytes = 0;  // bytes of data-in written
  int ispStatus = -1;           // getIspStatus: the answer byte
  std::vector<Byte> sense;      // for the request's sense area; none from a live reader
};

/// A reader answers: from its recorded session while it plays one back;
/// else injected failures first, as the failure answers give them for this
/// route (platform/sim/failure_answers.h), a failed request never reaching
/// the controller, then the command. The reader records the exchange when
/// it keeps its session.
PassThroughAnswer answerFromReader(SimReader& reader, const CheckedPassThrough& request);

/// A drive that holds no reader answers INQUIRY as a plain disk and fails
/// every other command.
PassThroughAnswer answerFromPlainDisk(const CheckedPassThrough& request);

}  // namespace updater
