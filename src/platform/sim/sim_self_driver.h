#pragma once

// The simulated self drivers' side of DeviceIoControl: the port driver (16-byte
// records on 0x41), the dynamic driver (40-byte records on 0x42, 16-byte ones
// for its counts) and the NT driver (65,552-byte records on 0x222004..0C).
// Each request is checked field by field against the record the program must
// send; one that deviates is rejected with a text naming the field and
// reaches no device. An accepted request goes to the reader its device index
// names (the NT driver serves the first reader), which may fail it by its
// failure plan, and is answered through the data addresses of the record.
//
// The port driver builds the loader's command blocks itself, with byte 3
// (the ROM select code) zero. While a reader's Memory Stick controller runs
// its loader, the port driver's status and data commands go to that
// controller; its block write of the marker block switches it.
//
// A reader that plays back a recorded session answers its requests from it
// (platform/reader_session.h): a request is its name, the command block
// the loader gets (none for the port driver's requests that build none) and
// its data-out; the answer area of a request without data-out is its
// data-in. The drivers report no SCSI status, so a recorded status fails the
// call.
//
// Injected failures of every kind fail the request (the failure answers of
// platform/sim/failure_answers.h): the drivers report no SCSI status, and a
// request to an unplugged reader fails like one to no device. The device
// count is not a request to one reader: it is counted in every reader's
// failure plan, fails when any of them fails it in transport or by status,
// and leaves out the readers that are unplugged.

#include <cstdint>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "platform/sim/data_address_table.h"
#include "platform/sim/sim_reader.h"
#include "platform/sim/transcript.h"

namespace updater {

enum class SimDriverKind { Port, Dynamic, Nt };

/// What a driver reaches while one request runs.
struct SelfDriverBus {
  std::vector<SimReader>& readers;
  /// What the device-count commands answer.
  std::uint8_t deviceCount;
  /// The data addresses the request may name.
  const DataAddressTable& addresses;
};

/// The outcome of one request: rejected (`violation` set; nothing reached a
/// device), or an `io` event (without its route) whose `ok` is the result.
struct DriverOutcome {
  std::string violation;
  TranscriptEvent io;
};

DriverOutcome driverRequest(SimDriverKind kind, SelfDriverBus& bus, std::uint32_t controlCode, ConstBytes input,
                            Bytes output);

}  // namespace updater
