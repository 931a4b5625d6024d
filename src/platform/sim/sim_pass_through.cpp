#include "platform/sim/sim_pass_through.h"

#include <algorithm>
#include <array>

#include "common/text_format.h"
#include "platform/scsi_pass_through.h"
#include "platform/sim/failure_answers.h"
#include "platform/sim/field_checks.h"
#include "platform/sim/reader_identity.h"
#include "platform/sim/sim_reader.h"
#include "platform/sim/vendor_blocks.h"

namespace updater {

namespace spt = scsi_pass_through;

using ReaderHandler = PassThroughAnswer (*)(SimReader&, const CheckedPassThrough&);

struct PassThroughCommand {
  const char* name;
  CommandBlock cdb;
  /// Bit i set: command block byte i varies and is the device's to judge.
  std::uint16_t variableBytes;
  /// Leading command block bytes that select the row.
  std::size_t selectorBytes;
  Byte dataIn;
  /// The data length; 0 with `paddedFromCdb`: the padded length of the block's length field.
  std::uint32_t transferLength;
  bool paddedFromCdb;
  std::uint32_t timeOutSeconds;
  /// The data area is part of the input (data-out).
  bool inputCarriesData;
  ReaderHandler answer;
};

namespace {

// Header values every request of the program carries.
constexpr std::uint32_t kHeaderLength = spt::kHeaderSize;
constexpr std::uint32_t kTargetId = 1;
constexpr std::uint32_t kCdbLength = kCommandBlockLength;
constexpr std::uint32_t kSenseInfoLength = 24;
constexpr std::uint32_t kIdentityTimeOut = 2;
constexpr std::uint32_t kLoaderTimeOut = 30;
constexpr std::size_t kDriverIdentifySize = 512;

void copyOut(Bytes to, ConstBytes from, PassThroughAnswer& answer) {
  const std::size_t count = std::min(to.size(), from.size());
  std::copy_n(from.begin(), count, to.begin());
  answer.dataBytes = static_cast<std::uint32_t>(count);
}

PassThroughAnswer completed() {
  PassThroughAnswer answer;
  answer.completed = true;
  return answer;
}

PassThroughAnswer answerInquiry(SimReader& reader, const CheckedPassThrough& request) {
  PassThroughAnswer answer = completed();
  copyOut(request.dataIn, inquiryAnswer(reader.description.inquiry, true), answer);
  return answer;
}

PassThroughAnswer answerDeviceIdentify(SimReader& reader, const CheckedPassThrough& request) {
  PassThroughAnswer answer = completed();
  copyOut(request.dataIn, reader.identify, answer);
  return answer;
}

PassThroughAnswer answerDriverIdentify(SimReader& reader, const CheckedPassThrough& request) {
  PassThroughAnswer answer = completed();
  copyOut(request.dataIn, ConstBytes(reader.identify).first(kDriverIdentifySize), answer);
  return answer;
}

PassThroughAnswer answerLoaderCommand(SimReader& reader, const CheckedPassThrough& request) {
  PassThroughAnswer answer;
  answer.completed = reader.loader.execute(request.cdb, request.dataOut, request.transferLength, request.dataIn);
  const bool statusRead = vendorRequestOf(request.cdb) == VendorRequest::GetIspStatus;
  if (statusRead && answer.completed && !request.dataIn.empty()) {
    answer.ispStatus = request.dataIn[0];
    answer.dataBytes = request.transferLength;
  }
  return answer;
}

constexpr CommandBlock kInquiryBlock = {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0};
constexpr CommandBlock kDriverIdentify13Block = {0xFF, 0x13, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0};
constexpr CommandBlock kDriverIdentify03Block = {0xFF, 0x03, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0};
constexpr const VendorBlock& kIdentify = vendorBlock(VendorRequest::DeviceIdentify);
constexpr const VendorBlock& kJump = vendorBlock(VendorRequest::JumpToIsp);
constexpr const VendorBlock& kStatus = vendorBlock(VendorRequest::GetIspStatus);
constexpr const VendorBlock& kProgram = vendorBlock(VendorRequest::ProgramData);
constexpr const VendorBlock& kVerify = vendorBlock(VendorRequest::VerifyData);

constexpr PassThroughCommand kCommands[] = {
    {"inquiry", kInquiryBlock, 0, 1, spt::kScsiIoctlDataIn, 36, false, kIdentityTimeOut, false, answerInquiry},
    {"driverIdentify13", kDriverIdentify13Block, 0, 2, spt::kScsiIoctlDataIn, 512, false, kIdentityTimeOut, false,
     answerDriverIdentify},
    {"driverIdentify03", kDriverIdentify03Block, 0, 2, spt::kScsiIoctlDataIn, 512, false, kIdentityTimeOut, false,
     answerDriverIdentify},
    {kIdentify.name, kIdentify.cdb, kIdentify.variableBytes, 2, spt::kScsiIoctlDataIn, 528, false, kIdentityTimeOut,
     false, answerDeviceIdentify},
    {kJump.name, kJump.cdb, kJump.variableBytes, 2, spt::kScsiIoctlDataIn, 0, false, 2, false, answerLoaderCommand},
    {kStatus.name, kStatus.cdb, kStatus.variableBytes, 2, spt::kScsiIoctlDataIn, 8, false, kLoaderTimeOut, false,
     answerLoaderCommand},
    {kProgram.name, kProgram.cdb, kProgram.variableBytes, 2, spt::kScsiIoctlDataOut, 0, true, kLoaderTimeOut, true,
     answerLoaderCommand},
    {kVerify.name, kVerify.cdb, kVerify.variableBytes, 2, spt::kScsiIoctlDataOut, 0, true, kLoaderTimeOut, true,
     answerLoaderCommand},
};

const PassThroughCommand* findCommand(ConstBytes cdb) {
  for (const auto& row : kCommands) {
    if (std::equal(row.cdb.begin(), row.cdb.begin() + static_cast<std::ptrdiff_t>(row.selectorBytes), cdb.begin())) {
      return &row;
    }
  }
  return nullptr;
}

struct Expected {
  std::uint32_t transferLength;
  std::uint32_t inputSize;
  std::uint32_t outputSize;
};

Expected expectedFor(const PassThroughCommand& command, ConstBytes cdb) {
  const std::uint32_t transfer =
      command.paddedFromCdb ? paddedLength(getU16(cdb, send_isp_data::kLength)) : command.transferLength;
  const auto dataRequest = static_cast<std::uint32_t>(spt::kDataArea) + transfer;
  return {transfer, command.inputCarriesData ? dataRequest : kHeaderLength, dataRequest};
}

std::string checkHeader(const PassThroughCommand& command, const Expected& expected, ConstBytes input) {
  const FieldCheck checks[] = {
      {"Length", spt::kLength, 2, kHeaderLength},
      {"ScsiStatus", spt::kScsiStatus, 1, 0},
      {"PathId", spt::kPathId, 1, 0},
      {"TargetId", spt::kTargetId, 1, kTargetId},
      {"Lun", spt::kLun, 1, 0},
      {"CdbLength", spt::kCdbLength, 1, kCdbLength},
      {"SenseInfoLength", spt::kSenseInfoLength, 1, kSenseInfoLength},
      {"DataIn", spt::kDataIn, 1, command.dataIn},
      {"alignment byte 9", 9, 1, 0},
      {"alignment byte 10", 10, 1, 0},
      {"alignment byte 11", 11, 1, 0},
      {"DataTransferLength", spt::kDataTransferLength, 4, expected.transferLength},
      {"TimeOutValue", spt::kTimeOutValue, 4, command.timeOutSeconds},
      {"DataBufferOffset", spt::kDataBufferOffset, 4, static_cast<std::uint32_t>(spt::kDataArea)},
      {"SenseInfoOffset", spt::kSenseInfoOffset, 4, static_cast<std::uint32_t>(spt::kSenseArea)},
  };
  return firstDeviation(command.name, input, checks);
}

std::string checkCdb(const PassThroughCommand& command, ConstBytes field) {
  for (std::size_t i = 0; i < spt::kCdbFieldSize; ++i) {
    const bool variable = i < kCommandBlockLength && (command.variableBytes >> i & 1) != 0;
    const Byte expected = i < kCommandBlockLength ? command.cdb[i] : 0;
    if (!variable && field[i] != expected) {
      return deviation(command.name, "Cdb[" + std::to_string(i) + "]", field[i], expected);
    }
  }
  return {};
}

std::string checkSizes(const PassThroughCommand& command, const Expected& expected, ConstBytes input, Bytes output) {
  if (input.size() != expected.inputSize) {
    return deviation(command.name, "input size", static_cast<std::uint32_t>(input.size()), expected.inputSize);
  }
  if (output.size() != expected.outputSize) {
    return deviation(command.name, "output size", static_cast<std::uint32_t>(output.size()), expected.outputSize);
  }
  if (output.data() != input.data()) return std::string(command.name) + ": output buffer is not the input buffer";
  return {};
}

// What the program zeroed before the call: the filler, the sense area and,
// for data-in, the data area.
std::string checkZeroed(const PassThroughCommand& command, ConstBytes output) {
  const std::size_t end = command.dataIn == spt::kScsiIoctlDataIn ? output.size() : spt::kDataArea;
  for (std::size_t i = spt::kHeaderSize; i < end; ++i) {
    if (output[i] == 0) continue;
    const char* area = i < spt::kSenseArea ? "filler" : i < spt::kDataArea ? "sense area" : "data area";
    return deviation(command.name, std::string(area) + " byte " + std::to_string(i), output[i], 0);
  }
  return {};
}

std::string checkRequest(const PassThroughCommand& command, const Expected& expected, ConstBytes input, Bytes output) {
  std::string violation = checkHeader(command, expected, input);
  if (violation.empty()) violation = checkCdb(command, input.subspan(spt::kCdb, spt::kCdbFieldSize));
  if (violation.empty()) violation = checkSizes(command, expected, input, output);
  if (violation.empty()) violation = checkZeroed(command, output);
  return violation;
}

}  // namespace

std::string hexDigits(ConstBytes bytes) {
  std::string text;
  for (const Byte byte : bytes) appendPaddedHex(text, byte, 2);
  return text;
}

PassThroughCheck checkPassThrough(ConstBytes input, Bytes output) {
  PassThroughCheck check;
  if (input.size() < spt::kHeaderSize) {
    check.violation = "pass-through request: input size " + std::to_string(input.size()) + ", expected at least 44";
    return check;
  }
  const ConstBytes cdbField = input.subspan(spt::kCdb, kCommandBlockLength);
  const PassThroughCommand* command = findCommand(cdbField);
  if (command == nullptr) {
    check.violation = "pass-through request: unknown command block " + hexDigits(cdbField);
    return check;
  }
  const Expected expected = expectedFor(*command, cdbField);
  check.violation = checkRequest(*command, expected, input, output);
  if (!check.violation.empty()) return check;

  CheckedPassThrough request;
  request.command = command;
  std::copy(cdbField.begin(), cdbField.end(), request.cdb.begin());
  request.transferLength = expected.transferLength;
  if (command->dataIn == spt::kScsiIoctlDataIn) {
    request.dataIn = output.subspan(spt::kDataArea, expected.transferLength);
  } else {
    request.dataOut = input.subspan(spt::kDataArea, expected.transferLength);
  }
  check.request = request;
  return check;
}

PassThroughCheck checkCommandBlock(ConstBytes cdbField) {
  PassThroughCheck check;
  if (cdbField.size() != spt::kCdbFieldSize) {
    check.violation = "command block: " + std::to_string(cdbField.size()) + " bytes, expected 16";
    return check;
  }
  const PassThroughCommand* command = findCommand(cdbField.first(kCommandBlockLength));
  if (command == nullptr) {
    check.violation = "command block " + hexDigits(cdbField) + " is unknown";
    return check;
  }
  check.violation = checkCdb(*command, cdbField);
  if (!check.violation.empty()) return check;

  CheckedPassThrough request;
  request.command = command;
  std::copy_n(cdbField.begin(), kCommandBlockLength, request.cdb.begin());
  request.transferLength = expectedFor(*command, cdbField).transferLength;
  check.request = request;
  return check;
}

bool carriesDataIn(const CheckedPassThrough& request) { return request.command->dataIn == spt::kScsiIoctlDataIn; }

const char* requestName(const CheckedPassThrough& request) { return request.command->name; }

namespace {

PassThroughAnswer answerLive(SimReader& reader, const CheckedPassThrough& request) {
  if (const auto failure = reader.failures.next(requestName(request))) {
    const FailureAnswer& answer = failureAnswer(AccessRoute::PassThrough, *failure);
    PassThroughAnswer failed;
    failed.completed = !answer.callFails;
    failed.scsiStatus = answer.scsiStatus;
    return failed;
  }
  return request.command->answer(reader, request);
}

SessionRequest sessionRequest(const CheckedPassThrough& request) {
  return {requestName(request), {request.cdb.begin(), request.cdb.end()},
          {request.dataOut.begin(), request.dataOut.end()}};
}

SessionAnswer sessionAnswer(const CheckedPassThrough& request, const PassThroughAnswer& answer) {
  if (!answer.completed) return transportFailure();
  SessionAnswer seen;
  seen.status = answer.scsiStatus;
  const std::size_t received = std::min<std::size_t>(answer.dataBytes, request.dataIn.size());
  seen.dataIn.assign(request.dataIn.begin(), request.dataIn.begin() + static_cast<std::ptrdiff_t>(received));
  seen.sense = answer.sense;
  return seen;
}

PassThroughAnswer replayedAnswer(const CheckedPassThrough& request, const SessionAnswer& recorded) {
  PassThroughAnswer answer;
  if (recorded.transportFailure) return answer;
  answer.completed = true;
  answer.scsiStatus = recorded.status;
  answer.sense = recorded.sense;
  copyOut(request.dataIn, recorded.dataIn, answer);
  const bool statusRead = vendorRequestOf(request.cdb) == VendorRequest::GetIspStatus;
  if (statusRead && answer.dataBytes > 0) answer.ispStatus = request.dataIn[0];
  return answer;
}

}  // namespace

PassThroughAnswer answerFromReader(SimReader& reader, const CheckedPassThrough& request) {
  ++reader.requestCounts[requestName(request)];
  if (!reader.keepsSession()) return answerLive(reader, request);
  SessionRequest sent = sessionRequest(request);
  const std::optional<SessionAnswer> recorded = reader.replayed(sent);
  PassThroughAnswer answer = recorded ? replayedAnswer(request, *recorded) : answerLive(reader, request);
  reader.record(std::move(sent), sessionAnswer(request, answer));
  return answer;
}

PassThroughAnswer answerFromPlainDisk(const CheckedPassThrough& request) {
  if (request.command->answer != answerInquiry) return PassThroughAnswer{};
  PassThroughAnswer answer = completed();
  copyOut(request.dataIn, inquiryAnswer(plainDiskInquiry(), false), answer);
  return answer;
}

}  // namespace updater
