#include "platform/sim/sim_aspi.h"

#include <algorithm>

#include "common/text_format.h"
#include "platform/aspi_srb.h"
#include "platform/sim/failure_answers.h"
#include "platform/sim/field_checks.h"
#include "platform/sim/reader_identity.h"
#include "platform/sim/sim_pass_through.h"
#include "platform/sim/sim_reader.h"
#include "platform/sim/vendor_blocks.h"

namespace updater {

namespace srb = aspi_srb;

using AspiHandler = SimAspiAnswer (*)(SimReader&, const SimAspiRequest&);

struct SimAspiCommand {
  const char* name;
  CommandBlock cdb;
  std::uint8_t cdbLength;
  /// Bit i set: command block byte i varies and is the device's to judge.
  std::uint16_t variableBytes;
  /// Leading command block bytes that select the row.
  std::size_t selectorBytes;
  Byte flags;
  /// SRB_BufLen; 0 with `paddedFromCdb`: the padded length of the block's length field.
  std::uint32_t bufLen;
  bool paddedFromCdb;
  /// Bytes the named buffer must hold; 0: as many as SRB_BufLen.
  std::uint32_t bufferSize;
  bool dataOut;
  AspiHandler answer;
};

namespace {

constexpr Byte kDataIn = srb::kDirIn | srb::kPosting;
constexpr Byte kDataOut = srb::kDirOut | srb::kPosting;
constexpr std::size_t kExtraBytes = srb::kBlockSize - srb::kStructureSize;

SimAspiAnswer completedWith(Byte srbStatus) { return {{srbStatus, 0, 0}, -1}; }

void copyIn(Bytes to, ConstBytes from) { std::copy_n(from.begin(), std::min(to.size(), from.size()), to.begin()); }

SimAspiAnswer answerInquiry(SimReader& reader, const SimAspiRequest& request) {
  copyIn(request.dataIn, inquiryAnswer(reader.description.inquiry, true));
  return completedWith(srb::kComplete);
}

SimAspiAnswer answerIdentify(SimReader& reader, const SimAspiRequest& request) {
  copyIn(request.dataIn, reader.identify);
  return completedWith(srb::kComplete);
}

SimAspiAnswer answerLoaderCommand(SimReader& reader, const SimAspiRequest& request) {
  const bool completed = reader.loader.execute(request.cdb, request.dataOut, request.bufLen, request.dataIn);
  SimAspiAnswer answer = completedWith(completed ? srb::kComplete : srb::kError);
  const bool statusRead = vendorRequestOf(request.cdb) == VendorRequest::GetIspStatus;
  if (statusRead && completed && !request.dataIn.empty()) {
    answer.ispStatus = request.dataIn[0];
  }
  return answer;
}

constexpr CommandBlock kInquiryBlock = {0x12, 0, 0, 0, 0x28, 0, 0, 0, 0, 0, 0, 0};
constexpr const VendorBlock& kIdentify = vendorBlock(VendorRequest::DeviceIdentify);
constexpr const VendorBlock& kJump = vendorBlock(VendorRequest::JumpToIsp);
constexpr const VendorBlock& kStatus = vendorBlock(VendorRequest::GetIspStatus);
constexpr const VendorBlock& kProgram = vendorBlock(VendorRequest::ProgramData);
constexpr const VendorBlock& kVerify = vendorBlock(VendorRequest::VerifyData);

constexpr SimAspiCommand kCommands[] = {
    {"inquiry", kInquiryBlock, 6, 0, 1, kDataIn, 40, false, 0, false, answerInquiry},
    {kIdentify.name, kIdentify.cdb, 12, kIdentify.variableBytes, 2, kDataIn, 528, false, 0, false, answerIdentify},
    // No data moves, but the block names a 40-byte buffer all the same.
    {kJump.name, jumpBlockWithByte5(0x08), 12, kJump.variableBytes, 2, kDataIn, 0, false, 40, false,
     answerLoaderCommand},
    {kStatus.name, kStatus.cdb, 12, kStatus.variableBytes, 2, kDataIn, 28, false, 0, false, answerLoaderCommand},
    {kProgram.name, kProgram.cdb, 12, kProgram.variableBytes, 2, kDataOut, 0, true, 0, true, answerLoaderCommand},
    {kVerify.name, kVerify.cdb, 12, kVerify.variableBytes, 2, kDataOut, 0, true, 0, true, answerLoaderCommand},
};

const SimAspiCommand* findCommand(ConstBytes cdb) {
  for (const auto& row : kCommands) {
    if (std::equal(row.cdb.begin(), row.cdb.begin() + static_cast<std::ptrdiff_t>(row.selectorBytes), cdb.begin())) {
      return &row;
    }
  }
  return nullptr;
}

std::uint32_t expectedBufLen(const SimAspiCommand& command, ConstBytes cdb) {
  return command.paddedFromCdb ? paddedLength(getU16(cdb, send_isp_data::kLength)) : command.bufLen;
}

std::string checkFields(const SimAspiCommand& command, ConstBytes block, std::uint32_t bufLen) {
  const FieldCheck checks[] = {
      {"SRB_Cmd", srb::kCmd, 1, srb::kExecScsiCmd},
      {"SRB_Status", srb::kStatus, 1, srb::kPending},
      {"SRB_Flags", srb::kFlags, 1, command.flags},
      {"SRB_Hdr_Rsvd", srb::kHdrRsvd, 4, 0},
      {"SRB_Lun", srb::kLun, 1, 0},
      {"SRB_Rsvd1", srb::kRsvd1, 2, 0},
      {"SRB_BufLen", srb::kBufLen, 4, bufLen},
      {"SRB_SenseLen", srb::kSenseLen, 1, srb::kSenseLength},
      {"SRB_CDBLen", srb::kCdbLen, 1, command.cdbLength},
      {"SRB_HaStat", srb::kHaStat, 1, 0},
      {"SRB_TargStat", srb::kTargStat, 1, 0},
      // The port puts its own routine there.
      {"SRB_PostProc", srb::kPostProc, 4, 0},
  };
  return firstDeviation(command.name, block, checks);
}

std::string checkCdb(const SimAspiCommand& command, ConstBytes field) {
  for (std::size_t i = 0; i < srb::kCdbFieldSize; ++i) {
    const bool inBlock = i < command.cdbLength;
    const bool variable = inBlock && (command.variableBytes >> i & 1) != 0;
    const Byte expected = inBlock ? command.cdb[i] : 0;
    if (!variable && field[i] != expected) {
      return deviation(command.name, "CDBByte[" + std::to_string(i) + "]", field[i], expected);
    }
  }
  return {};
}

// What the program zeroed: the reserved bytes, the sense area and the rest
// of the 256-byte block.
std::string checkZeroed(const SimAspiCommand& command, ConstBytes block) {
  struct Area {
    const char* name;
    std::size_t offset;
    std::size_t size;
  };
  const Area areas[] = {{"SRB_Rsvd2", srb::kRsvd2, srb::kRsvd2Size},
                        {"SenseArea", srb::kSenseArea, srb::kSenseAreaSize},
                        {"block", srb::kStructureSize, kExtraBytes}};
  for (const auto& area : areas) {
    for (std::size_t i = area.offset; i < area.offset + area.size; ++i) {
      if (block[i] == 0) continue;
      return deviation(command.name, std::string(area.name) + " byte " + std::to_string(i), block[i], 0);
    }
  }
  return {};
}

std::string checkBlock(const SimAspiCommand& command, ConstBytes block, std::uint32_t bufLen) {
  std::string violation = checkFields(command, block, bufLen);
  if (violation.empty()) violation = checkCdb(command, block.subspan(srb::kCdbByte, srb::kCdbFieldSize));
  if (violation.empty()) violation = checkZeroed(command, block);
  return violation;
}

}  // namespace

SimAspiCheck checkAspiRequest(Bytes block, const DataAddressTable& addresses) {
  SimAspiCheck check;
  if (block.size() != srb::kBlockSize) {
    check.violation = "request block: size " + std::to_string(block.size()) + ", expected 256";
    return check;
  }
  const ConstBytes cdbField = ConstBytes(block).subspan(srb::kCdbByte, srb::kCdbFieldSize);
  const SimAspiCommand* command = findCommand(cdbField);
  if (command == nullptr) {
    check.violation = "request block: unknown command block " + hexDigits(cdbField);
    return check;
  }
  const std::uint32_t bufLen = expectedBufLen(*command, cdbField);
  check.violation = checkBlock(*command, block, bufLen);
  if (!check.violation.empty()) return check;

  const std::uint32_t bufferSize = command->bufferSize != 0 ? command->bufferSize : bufLen;
  const DataAddress address = getU32(block, srb::kBufPointer);
  const std::optional<Bytes> buffer = addresses.resolve(address, bufferSize);
  if (!buffer) {
    check.violation = std::string(command->name) + ": SRB_BufPointer " + std::to_string(address) +
                      " names no buffer of " + std::to_string(bufferSize) + " bytes";
    return check;
  }

  SimAspiRequest request;
  request.command = command;
  request.adapter = getU8(block, srb::kHaId);
  request.target = getU8(block, srb::kTarget);
  std::copy_n(cdbField.begin(), command->cdbLength, request.cdb.begin());
  request.cdbLength = command->cdbLength;
  request.bufLen = bufLen;
  if (command->dataOut) {
    request.dataOut = buffer->first(bufLen);
  } else {
    request.dataIn = buffer->first(bufLen);
  }
  check.request = request;
  return check;
}

const char* aspiRequestName(const SimAspiRequest& request) { return request.command->name; }

namespace {

SimAspiAnswer answerLive(SimReader& reader, const SimAspiRequest& request) {
  if (const auto failure = reader.failures.next(aspiRequestName(request))) {
    const FailureAnswer& answer = failureAnswer(AccessRoute::Aspi, *failure);
    return {{answer.srbStatus, answer.hostStatus, answer.scsiStatus}, -1};
  }
  return request.command->answer(reader, request);
}

SessionRequest sessionRequest(const SimAspiRequest& request) {
  const ConstBytes cdb = ConstBytes(request.cdb).first(request.cdbLength);
  return {aspiRequestName(request), {cdb.begin(), cdb.end()}, {request.dataOut.begin(), request.dataOut.end()}};
}

// A request that ended with a SCSI status completed on the bus; any other
// error is the transport's.
SessionAnswer sessionAnswer(const SimAspiRequest& request, const SimAspiAnswer& answer) {
  const AspiCompletion& completion = answer.completion;
  if (completion.srbStatus != srb::kComplete && completion.targStat == 0) return transportFailure();
  SessionAnswer seen;
  seen.status = completion.targStat;
  if (completion.srbStatus == srb::kComplete) seen.dataIn.assign(request.dataIn.begin(), request.dataIn.end());
  return seen;
}

SimAspiAnswer replayedAnswer(const SimAspiRequest& request, const SessionAnswer& recorded) {
  if (recorded.transportFailure) {
    const FailureAnswer& failed = failureAnswer(AccessRoute::Aspi, FailureKind::Transport);
    return {{failed.srbStatus, failed.hostStatus, failed.scsiStatus}, -1};
  }
  if (recorded.status != 0) return {{srb::kError, 0, recorded.status}, -1};
  copyIn(request.dataIn, recorded.dataIn);
  SimAspiAnswer answer = completedWith(srb::kComplete);
  const bool statusRead = vendorRequestOf(request.cdb) == VendorRequest::GetIspStatus;
  if (statusRead && !request.dataIn.empty() && !recorded.dataIn.empty()) answer.ispStatus = request.dataIn[0];
  return answer;
}

}  // namespace

SimAspiAnswer answerAspiFromReader(SimReader& reader, const SimAspiRequest& request) {
  ++reader.requestCounts[aspiRequestName(request)];
  if (!reader.keepsSession()) return answerLive(reader, request);
  SessionRequest sent = sessionRequest(request);
  const std::optional<SessionAnswer> recorded = reader.replayed(sent);
  const SimAspiAnswer answer = recorded ? replayedAnswer(request, *recorded) : answerLive(reader, request);
  reader.record(std::move(sent), sessionAnswer(request, answer));
  return answer;
}

SimAspiAnswer answerAspiNoReader(const SimAspiRequest& request, std::uint32_t adapterCount) {
  return completedWith(request.adapter < adapterCount ? srb::kNoDevice : srb::kInvalidHa);
}

}  // namespace updater
