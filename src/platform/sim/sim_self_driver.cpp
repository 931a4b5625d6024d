#include "platform/sim/sim_self_driver.h"

#include <algorithm>
#include <optional>

#include "common/text_format.h"
#include "device/access_route.h"
#include "platform/self_driver_records.h"
#include "platform/sim/failure_answers.h"
#include "platform/sim/sim_pass_through.h"
#include "platform/sim/vendor_blocks.h"

namespace updater {
namespace {

namespace pd = port_driver;
namespace dd = dynamic_driver;
namespace nd = nt_driver;

constexpr std::size_t kBlockSize = 512;
constexpr std::size_t kDriverIdentifySize = 512;
constexpr std::uint32_t kCountAnswerSize = 8;
constexpr std::uint32_t kFwRevisionSize = 8;
constexpr std::uint32_t kLargestLength = 0xFFFF;
constexpr std::array<Byte, 4> kMarker = {0xAA, 0x55, 0xBB, 0x66};

// The vendor blocks the drivers carry or build: the dynamic driver carries
// its jump with byte 5 0x08; the port and NT drivers build theirs with
// byte 5 zero.
constexpr const VendorBlock& kIdentify = vendorBlock(VendorRequest::DeviceIdentify);
constexpr const VendorBlock& kJump = vendorBlock(VendorRequest::JumpToIsp);
constexpr const VendorBlock& kStatus = vendorBlock(VendorRequest::GetIspStatus);
constexpr const VendorBlock& kProgram = vendorBlock(VendorRequest::ProgramData);
constexpr const VendorBlock& kVerify = vendorBlock(VendorRequest::VerifyData);
constexpr CommandBlock kDynamicJumpBlock = jumpBlockWithByte5(0x08);

std::string hexValue(std::uint32_t value) { return "0x" + hexText(value); }

/// How a violation text names the request: its route, then the request
/// ("SelfDriverPort identifyA", "SelfDriverNt request").
std::string requestText(AccessRoute route, std::string_view request) {
  return std::string(routeName(route)) + ' ' + std::string(request);
}

/// Collects the first deviation of one request.
class Checker {
 public:
  explicit Checker(std::string request) : request_(std::move(request)) {}

  void value(const char* field, std::uint32_t actual, std::uint32_t expected) {
    if (ok() && actual != expected) fail(std::string(field) + ' ' + hexValue(actual) + ", expected " + hexValue(expected));
  }
  void range(const char* field, std::uint32_t actual, std::uint32_t low, std::uint32_t high) {
    if (ok() && (actual < low || actual > high)) {
      fail(std::string(field) + ' ' + hexValue(actual) + ", expected " + hexValue(low) + " to " + hexValue(high));
    }
  }
  void size(const char* what, std::size_t actual, std::size_t expected) {
    if (ok() && actual != expected) {
      fail(std::string(what) + ' ' + std::to_string(actual) + ", expected " + std::to_string(expected));
    }
  }
  /// The `length` bytes a data address must name.
  std::optional<Bytes> area(const char* field, const DataAddressTable& addresses, std::uint32_t address,
                            std::size_t length) {
    if (!ok()) return std::nullopt;
    const std::optional<Bytes> bytes = addresses.resolve(address, std::max<std::size_t>(length, 1));
    if (!bytes) {
      std::string text = std::string(field) + ' ' + hexValue(address) + " names no buffer";
      if (length > 0) text += " of " + std::to_string(length) + " bytes";
      fail(std::move(text));
      return std::nullopt;
    }
    return bytes->first(length);
  }
  void fail(std::string text) {
    if (ok()) violation_ = request_ + ": " + std::move(text);
  }
  bool ok() const { return violation_.empty(); }
  std::string violation() const { return violation_; }

 private:
  std::string request_;
  std::string violation_;
};

/// One request on its way to a reader.
struct DriverCall {
  DriverCall(AccessRoute routeIn, const char* nameIn) : route(routeIn), name(nameIn) {}

  AccessRoute route;
  const char* name;
  /// A request to the driver itself, not to one device (the device count).
  bool driverWide = false;
  SimReader* reader = nullptr;  // none: no such device
  Bytes answer;                 // where the driver writes its answer
  ConstBytes dataOut;           // the data phase of a data-out request
  std::uint32_t length = 0;     // bytes of the data phase, for the io event
  Byte mode = 0;
  CommandBlock cdb{};           // the block the loader gets
  bool carriesCdb = false;      // the record carried the block (dynamic driver)
  bool hasCdb = false;          // the reader gets a block (carried, or built by the driver)
};

SimReader* readerAt(SelfDriverBus& bus, std::uint32_t index) {
  return index < bus.readers.size() ? &bus.readers[index] : nullptr;
}

std::uint8_t unitsOf(const SimReader& reader) {
  const int units = reader.description.units.value_or(static_cast<int>(reader.description.letters.size()));
  return static_cast<std::uint8_t>(units);
}

void answerBytes(Bytes to, ConstBytes from) {
  std::fill(to.begin(), to.end(), Byte{0});
  std::copy_n(from.begin(), std::min(to.size(), from.size()), to.begin());
}

// --- Answers -------------------------------------------------------------------

using Answer = bool (*)(SelfDriverBus&, DriverCall&, int& status);

// An unplugged reader is no longer counted.
bool answerDeviceCount(SelfDriverBus& bus, DriverCall& call, int&) {
  const auto gone = std::count_if(bus.readers.begin(), bus.readers.end(),
                                  [](const SimReader& reader) { return !reader.present(); });
  const auto count = static_cast<Byte>(std::max<std::ptrdiff_t>(bus.deviceCount - gone, 0));
  answerBytes(call.answer, std::array<Byte, 1>{count});
  return true;
}

bool answerUnitCount(SelfDriverBus&, DriverCall& call, int&) {
  answerBytes(call.answer, std::array<Byte, 1>{unitsOf(*call.reader)});
  return true;
}

bool answerIdentify(SelfDriverBus&, DriverCall& call, int&) {
  answerBytes(call.answer, call.reader->currentIdentify());
  return true;
}

bool answerFwRevision(SelfDriverBus&, DriverCall& call, int&) {
  answerBytes(call.answer, call.reader->description.usb20FwRevision);
  return true;
}

bool answerBlockWrite(SelfDriverBus&, DriverCall& call, int&) {
  call.reader->msLoader.switchProgram();
  return true;
}

bool answerLoaderCommand(SelfDriverBus&, DriverCall& call, int& status) {
  SimReader& reader = *call.reader;
  const bool statusRead = vendorRequestOf(call.cdb) == VendorRequest::GetIspStatus;
  const bool completed =
      reader.loader.execute(call.cdb, call.dataOut, call.length, statusRead ? call.answer : Bytes());
  if (statusRead && completed) status = call.answer[0];
  return completed;
}

// The port driver's loader commands: to the Memory Stick controller while it
// runs its loader (and for the status read that follows its switch back).
bool answerPortLoaderCommand(SelfDriverBus& bus, DriverCall& call, int& status) {
  SimMsController& ms = call.reader->msLoader;
  const auto request = vendorRequestOf(call.cdb);
  if (request == VendorRequest::GetIspStatus && ms.answersStatus()) {
    call.answer[0] = ms.readStatus();
    status = call.answer[0];
    return true;
  }
  const bool transfer = request == VendorRequest::ProgramData || request == VendorRequest::VerifyData;
  if (transfer && ms.inLoader()) {
    ms.transfer(call.mode, call.dataOut);
    return true;
  }
  return answerLoaderCommand(bus, call, status);
}

/// Injected failures first, answered as the failure answers give them for
/// the driver's route (a failed request reaches no controller), then the
/// answer.
bool answerLive(SelfDriverBus& bus, DriverCall& call, Answer answer, int& status) {
  if (const auto failure = call.reader->failures.next(call.name)) {
    return !failureAnswer(call.route, *failure).callFails;
  }
  return answer(bus, call, status);
}

SessionRequest sessionRequest(const DriverCall& call) {
  SessionRequest request{call.name, {}, {call.dataOut.begin(), call.dataOut.end()}};
  if (call.hasCdb) request.cdb.assign(call.cdb.begin(), call.cdb.end());
  return request;
}

// The drivers report no SCSI status: what completed had none to report. The
// answer area of a request without data-out is its data-in.
SessionAnswer sessionAnswer(const DriverCall& call, bool ok) {
  if (!ok) return transportFailure();
  SessionAnswer seen;
  if (call.dataOut.empty()) seen.dataIn.assign(call.answer.begin(), call.answer.end());
  return seen;
}

// A status the drivers cannot report fails the call, as an injected status
// failure does.
bool replayedAnswer(DriverCall& call, const SessionAnswer& recorded, int& status) {
  if (recorded.transportFailure || recorded.status != 0) return false;
  if (call.dataOut.empty()) answerBytes(call.answer, recorded.dataIn);
  const bool statusRead = call.hasCdb && vendorRequestOf(call.cdb) == VendorRequest::GetIspStatus;
  if (statusRead && !call.answer.empty()) status = call.answer[0];
  return true;
}

/// From the recorded session while the reader plays one back, else live;
/// the exchange is recorded when the reader keeps its session.
bool answerThroughSession(SelfDriverBus& bus, DriverCall& call, Answer answer, int& status) {
  SessionRequest sent = sessionRequest(call);
  const std::optional<SessionAnswer> recorded = call.reader->replayed(sent);
  const bool ok = recorded ? replayedAnswer(call, *recorded, status) : answerLive(bus, call, answer, status);
  call.reader->record(std::move(sent), sessionAnswer(call, ok));
  return ok;
}

/// One request, to a reader or to the driver itself (the device count), as
/// its io event.
DriverOutcome deliver(SelfDriverBus& bus, DriverCall& call, Answer answer) {
  DriverOutcome outcome;
  TranscriptEvent& io = outcome.io;
  io.kind = EventKind::Io;
  io.name = call.name;
  io.reader = call.reader != nullptr ? call.reader->number : 0;
  io.length = call.length;
  if (call.carriesCdb) io.cdb = hexDigits(call.cdb);

  const std::string name = call.name;
  bool failed = false;
  if (call.driverWide) {
    // A reader unplugged now does not fail the driver's own request; it is
    // just no longer there to count.
    for (auto& reader : bus.readers) {
      const auto failure = reader.failures.next(name);
      const bool counted = failure && *failure != FailureKind::Unplugged;
      failed = (counted && failureAnswer(call.route, *failure).callFails) || failed;
    }
  } else if (call.reader == nullptr) {
    failed = true;  // no such device
  } else {
    ++call.reader->requestCounts[name];
    io.ok = call.reader->keepsSession() ? answerThroughSession(bus, call, answer, io.status)
                                        : answerLive(bus, call, answer, io.status);
    return outcome;
  }
  io.ok = !failed && answer(bus, call, io.status);
  return outcome;
}

DriverOutcome rejected(const Checker& check) {
  DriverOutcome outcome;
  outcome.violation = check.violation();
  return outcome;
}

// --- The port driver -------------------------------------------------------------

enum class Parameter { Zero, Signature, DataLength };
enum class Low { Zero, One, BlockCount, Mode };
/// What the data area and the output buffer hold.
enum class Sizes { Count, Identify, FwRevision, Blocks, OneByte, DataLength };

struct PortCommand {
  const char* name;
  std::uint32_t command;
  Parameter parameter;
  Low low;
  bool addressesDevice;  // false: the whole address field is 0
  Sizes sizes;
  /// The loader command the driver builds a block for (sendIspData: program
  /// or verify, by the record's mode); none: not a loader command.
  const VendorBlock* loader;
  Answer answer;
};

constexpr PortCommand kPortCommands[] = {
    {"deviceCount", pd::kDeviceCount, Parameter::Zero, Low::Zero, false, Sizes::Count, nullptr, answerDeviceCount},
    {"unitCount", pd::kUnitCount, Parameter::Zero, Low::Zero, true, Sizes::Count, nullptr, answerUnitCount},
    {"identifyA", pd::kIdentifyA, Parameter::Signature, Low::One, true, Sizes::Identify, nullptr, answerIdentify},
    {"identifyB", pd::kIdentifyB, Parameter::Signature, Low::One, true, Sizes::Identify, nullptr, answerIdentify},
    {"fwRevision", pd::kFwRevision, Parameter::Zero, Low::Zero, true, Sizes::FwRevision, nullptr, answerFwRevision},
    {"blockWrite", pd::kBlockWrite, Parameter::Signature, Low::BlockCount, true, Sizes::Blocks, nullptr,
     answerBlockWrite},
    {kJump.name, pd::kJumpToIsp, Parameter::Zero, Low::Zero, true, Sizes::OneByte, &kJump, answerPortLoaderCommand},
    {kStatus.name, pd::kGetIspStatus, Parameter::Zero, Low::Zero, true, Sizes::OneByte, &kStatus,
     answerPortLoaderCommand},
    {kProgram.name, pd::kSendIspData, Parameter::DataLength, Low::Mode, true, Sizes::DataLength, &kProgram,
     answerPortLoaderCommand},
};

struct PortRecord {
  std::uint32_t command, parameter, address, dataAddress;
  std::uint32_t device() const { return address >> driver_address::kDeviceShift; }
  std::uint32_t unit() const { return (address >> driver_address::kUnitShift) & 0xFF; }
  std::uint32_t low() const { return address & driver_address::kLowMask; }
};

PortRecord readPortRecord(ConstBytes input) {
  return {getU32(input, pd::kCommand), getU32(input, pd::kParameter), getU32(input, pd::kAddress),
          getU32(input, pd::kDataAddress)};
}

void checkParameter(Checker& check, Parameter rule, std::uint32_t parameter) {
  switch (rule) {
    case Parameter::Zero: check.value("parameter", parameter, 0); break;
    case Parameter::Signature: check.value("parameter", parameter, kIdentitySignature); break;
    case Parameter::DataLength: check.range("parameter (data length)", parameter, 1, kLargestLength); break;
  }
}

void checkAddress(Checker& check, const PortCommand& command, const PortRecord& record) {
  if (!command.addressesDevice) {
    check.value("address", record.address, 0);
    return;
  }
  check.value("address (logical unit)", record.unit(), 0);
  switch (command.low) {
    case Low::Zero: check.value("address (low bits)", record.low(), 0); break;
    case Low::One: check.value("address (block count)", record.low(), 1); break;
    case Low::BlockCount: check.range("address (block count)", record.low(), 1, kLargestLength); break;
    case Low::Mode: check.range("address (mode)", record.low(), 0, 1); break;
  }
}

struct AreaSizes {
  std::size_t data;
  std::size_t output;
};

AreaSizes portSizes(Sizes sizes, const PortRecord& record) {
  switch (sizes) {
    case Sizes::Count: return {kCountAnswerSize, kCountAnswerSize};
    case Sizes::Identify: return {kDriverIdentifySize, kDriverIdentifySize};
    case Sizes::FwRevision: return {kFwRevisionSize, 1};
    case Sizes::Blocks: return {record.low() * kBlockSize, record.low() * kBlockSize};
    case Sizes::OneByte: return {1, 1};
    case Sizes::DataLength: return {record.parameter, 0};
  }
  return {0, 0};
}

void checkMarkerBlock(Checker& check, ConstBytes blocks) {
  for (std::size_t i = 0; i < blocks.size() && check.ok(); ++i) {
    const Byte expected = i < kMarker.size() ? kMarker[i] : 0;
    if (blocks[i] != expected) {
      check.fail("data byte " + std::to_string(i) + ' ' + hexValue(blocks[i]) + ", expected " + hexValue(expected) +
                 " (the marker block)");
    }
  }
  check.size("block count", blocks.size() / kBlockSize, 1);
}

/// The command block the port driver builds for the loader.
CommandBlock portLoaderBlock(const PortCommand& command, const PortRecord& record) {
  if (command.loader != &kProgram) return command.loader->cdb;
  const auto mode = record.low() == 0 ? IspDataMode::Program : IspDataMode::Verify;
  return sendIspDataBlock(mode, 0, record.parameter, paddedLength(record.parameter));
}

DriverOutcome portRequest(SelfDriverBus& bus, std::uint32_t controlCode, ConstBytes input, Bytes output) {
  Checker check(requestText(AccessRoute::SelfDriverPort, "request"));
  check.value("control code", controlCode, pd::kControlCode);
  check.size("input size", input.size(), pd::kRecordSize);
  if (!check.ok()) return rejected(check);
  const PortRecord record = readPortRecord(input);
  const auto* command = std::find_if(std::begin(kPortCommands), std::end(kPortCommands),
                                     [&record](const PortCommand& row) { return row.command == record.command; });
  if (command == std::end(kPortCommands)) {
    check.fail("unknown command " + hexValue(record.command));
    return rejected(check);
  }

  Checker fields(requestText(AccessRoute::SelfDriverPort, command->name));
  checkParameter(fields, command->parameter, record.parameter);
  checkAddress(fields, *command, record);
  const AreaSizes sizes = portSizes(command->sizes, record);
  const std::optional<Bytes> data = fields.area("data address", bus.addresses, record.dataAddress, sizes.data);
  fields.size("output size", output.size(), sizes.output);
  if (fields.ok() && command->sizes == Sizes::Blocks) checkMarkerBlock(fields, *data);
  if (!fields.ok()) return rejected(fields);

  DriverCall call(AccessRoute::SelfDriverPort, command->name);
  call.driverWide = !command->addressesDevice;
  call.reader = command->addressesDevice ? readerAt(bus, record.device()) : nullptr;
  call.answer = *data;
  if (command->sizes == Sizes::Blocks || command->sizes == Sizes::DataLength) call.dataOut = *data;
  call.length = static_cast<std::uint32_t>(command->sizes == Sizes::DataLength ? record.parameter : sizes.data);
  if (command->loader == &kJump) call.length = 0;
  call.mode = static_cast<Byte>(record.low());
  if (command->loader != nullptr) {
    call.cdb = portLoaderBlock(*command, record);
    call.hasCdb = true;
  }
  return deliver(bus, call, command->answer);
}

// --- The dynamic driver ----------------------------------------------------------

struct DynamicCommand {
  const char* name;
  CommandBlock cdb;
  std::uint16_t variableBytes;
  std::uint32_t direction;
  std::uint32_t dataLength;  // 0 with a data-out block: its padded length
  std::uint32_t outputSize;  // 0 with a data-out block: the data length
  Answer answer;
};

constexpr DynamicCommand kDynamicCommands[] = {
    {kIdentify.name, kIdentify.cdb, kIdentify.variableBytes, dd::kDirectionIn, 528, 528, answerIdentify},
    {kJump.name, kDynamicJumpBlock, kJump.variableBytes, dd::kDirectionNone, 0, 0, answerLoaderCommand},
    {kStatus.name, kStatus.cdb, kStatus.variableBytes, dd::kDirectionIn, dd::kStatusDataLength,
     dd::kStatusOutputSize, answerLoaderCommand},
    {kProgram.name, kProgram.cdb, kProgram.variableBytes, dd::kDirectionOut, 0, 0, answerLoaderCommand},
    {kVerify.name, kVerify.cdb, kVerify.variableBytes, dd::kDirectionOut, 0, 0, answerLoaderCommand},
};

const DynamicCommand* findDynamicCommand(ConstBytes cdb) {
  for (const auto& row : kDynamicCommands) {
    if (row.cdb[0] == cdb[0] && row.cdb[1] == cdb[1]) return &row;
  }
  return nullptr;
}

void checkDynamicCdb(Checker& check, const DynamicCommand& command, ConstBytes cdb) {
  for (std::size_t i = 0; i < kCommandBlockLength; ++i) {
    if ((command.variableBytes >> i & 1) == 0) {
      check.value(("command block byte " + std::to_string(i)).c_str(), cdb[i], command.cdb[i]);
    }
  }
}

DriverOutcome dynamicCountRequest(SelfDriverBus& bus, ConstBytes input, Bytes output) {
  const PortRecord record = readPortRecord(input);
  const bool devices = record.command == dd::kDeviceCount;
  Checker check(requestText(AccessRoute::SelfDriverDynamic, devices ? "deviceCount" : "unitCount"));
  if (!devices) check.value("command", record.command, dd::kUnitCount);
  check.value("parameter", record.parameter, 0);
  check.value(devices ? "address" : "address (logical unit and low bits)",
              devices ? record.address : record.address & 0x00FFFFFF, 0);
  const std::optional<Bytes> answer = check.area("data address", bus.addresses, record.dataAddress, kCountAnswerSize);
  check.size("output size", output.size(), kCountAnswerSize);
  if (!check.ok()) return rejected(check);

  DriverCall call(AccessRoute::SelfDriverDynamic, devices ? "deviceCount" : "unitCount");
  call.driverWide = devices;
  call.reader = devices ? nullptr : readerAt(bus, record.device());
  call.answer = *answer;
  call.length = kCountAnswerSize;
  return deliver(bus, call, devices ? answerDeviceCount : answerUnitCount);
}

DriverOutcome dynamicExecuteRequest(SelfDriverBus& bus, ConstBytes input, Bytes output) {
  Checker check(requestText(AccessRoute::SelfDriverDynamic, "request"));
  check.value("request code", getU32(input, dd::kRequest), dd::kExecute);
  const ConstBytes cdb = input.subspan(dd::kCdb, kCommandBlockLength);
  const DynamicCommand* command = findDynamicCommand(cdb);
  if (check.ok() && command == nullptr) check.fail("unknown command block " + hexDigits(cdb));
  if (!check.ok()) return rejected(check);

  Checker fields(requestText(AccessRoute::SelfDriverDynamic, command->name));
  fields.value("unit", getU32(input, dd::kUnit), 0);
  checkDynamicCdb(fields, *command, cdb);
  fields.value("byte 24", getU8(input, dd::kCdbTerminator), 0);
  fields.value("direction", getU32(input, dd::kDirection), command->direction);
  const std::uint32_t length =
      command->direction == dd::kDirectionOut ? paddedLength(getU16(cdb, send_isp_data::kLength)) : command->dataLength;
  if (command->direction == dd::kDirectionOut) fields.range("data length", length, 1, nd::kDataSize);
  fields.value("data length", getU32(input, dd::kDataLength), length);
  const std::optional<Bytes> data = fields.area("data address", bus.addresses, getU32(input, dd::kDataAddress), length);
  fields.size("output size", output.size(), command->direction == dd::kDirectionOut ? length : command->outputSize);
  if (!fields.ok()) return rejected(fields);

  DriverCall call(AccessRoute::SelfDriverDynamic, command->name);
  call.reader = readerAt(bus, getU32(input, dd::kDevice));
  call.answer = *data;
  if (command->direction == dd::kDirectionOut) call.dataOut = *data;
  call.length = length;
  std::copy(cdb.begin(), cdb.end(), call.cdb.begin());
  call.carriesCdb = true;
  call.hasCdb = true;
  return deliver(bus, call, command->answer);
}

DriverOutcome dynamicRequest(SelfDriverBus& bus, std::uint32_t controlCode, ConstBytes input, Bytes output) {
  Checker check(requestText(AccessRoute::SelfDriverDynamic, "request"));
  check.value("control code", controlCode, dd::kControlCode);
  if (check.ok() && input.size() == dd::kCountRecordSize) {
    const std::uint32_t command = getU32(input, dd::kRequest);
    if (command == dd::kDeviceCount || command == dd::kUnitCount) return dynamicCountRequest(bus, input, output);
    check.value("request code", command, dd::kDeviceCount);
  }
  check.size("input size", input.size(), dd::kRecordSize);
  if (!check.ok()) return rejected(check);
  return dynamicExecuteRequest(bus, input, output);
}

// --- The NT driver ---------------------------------------------------------------

struct NtCommand {
  const char* name;
  std::uint32_t controlCode;
  CommandBlock cdb;  // the block the driver builds; the data command's from the record
  std::size_t answerSize;
  std::size_t outputSize;
};

constexpr NtCommand kNtCommands[] = {
    {kJump.name, nd::kJumpToIsp, kJump.cdb, 1, 1},
    {kStatus.name, nd::kGetIspStatus, kStatus.cdb, 1, 1},
    {kProgram.name, nd::kSendIspData, {}, nd::kScratchSize, 0},
};

void checkZeroAfterData(Checker& check, ConstBytes dataArea, std::uint32_t length) {
  const auto nonZero = std::find_if(dataArea.begin() + static_cast<std::ptrdiff_t>(length), dataArea.end(), [](Byte b) { return b != 0; });
  if (nonZero != dataArea.end()) {
    const auto index = static_cast<std::uint32_t>(nonZero - dataArea.begin());
    check.fail("data byte " + std::to_string(index) + ' ' + hexValue(*nonZero) + ", expected 0x0 (after the image)");
  }
}

DriverOutcome ntRequest(SelfDriverBus& bus, std::uint32_t controlCode, ConstBytes input, Bytes output) {
  const auto* command = std::find_if(std::begin(kNtCommands), std::end(kNtCommands),
                                     [controlCode](const NtCommand& row) { return row.controlCode == controlCode; });
  Checker check(requestText(AccessRoute::SelfDriverNt, "request"));
  if (command == std::end(kNtCommands)) {
    check.fail("control code " + hexValue(controlCode) + ", expected 0x222004, 0x222008 or 0x22200c");
    return rejected(check);
  }
  Checker fields(requestText(AccessRoute::SelfDriverNt, command->name));
  fields.size("input size", input.size(), nd::kRecordSize);
  if (!fields.ok()) return rejected(fields);
  fields.value("control code field", getU32(input, nd::kControlCodeAgain), controlCode);
  const std::uint32_t length = getU32(input, nd::kDataLength);
  const std::uint32_t mode = getU32(input, nd::kMode);
  const bool sends = controlCode == nd::kSendIspData;
  if (sends) {
    fields.range("data length", length, 1, kLargestLength);
    fields.range("mode", mode, 0, 1);
  } else {
    fields.value("data length", length, 0);
    fields.value("mode", mode, 0);
  }
  const std::optional<Bytes> answer =
      fields.area("answer address", bus.addresses, getU32(input, nd::kAnswerAddress), command->answerSize);
  fields.size("output size", output.size(), command->outputSize);
  const ConstBytes dataArea = input.subspan(nd::kData, nd::kDataSize);
  if (fields.ok() && sends) checkZeroAfterData(fields, dataArea, length);
  if (!fields.ok()) return rejected(fields);

  DriverCall call(AccessRoute::SelfDriverNt, command->name);
  call.reader = readerAt(bus, 0);
  call.length = sends ? length : (controlCode == nd::kGetIspStatus ? 1 : 0);
  call.answer = *answer;
  if (sends) {
    call.dataOut = dataArea.first(length);
    call.cdb = sendIspDataBlock(mode == 0 ? IspDataMode::Program : IspDataMode::Verify, 0, length,
                                paddedLength(length));
  } else {
    call.cdb = command->cdb;
  }
  call.hasCdb = true;
  return deliver(bus, call, answerLoaderCommand);
}

}  // namespace

DriverOutcome driverRequest(SimDriverKind kind, SelfDriverBus& bus, std::uint32_t controlCode, ConstBytes input,
                            Bytes output) {
  switch (kind) {
    case SimDriverKind::Port: return portRequest(bus, controlCode, input, output);
    case SimDriverKind::Dynamic: return dynamicRequest(bus, controlCode, input, output);
    case SimDriverKind::Nt: return ntRequest(bus, controlCode, input, output);
  }
  return {};
}

}  // namespace updater
