#include "device/recording/recording_port.h"

#include <algorithm>
#include <array>

#include "device/device_table.h"
#include "device/inquiry_identity.h"
#include "device/recording/request_name.h"
#include "platform/scsi_pass_through.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;

/// The drive letter that `name` opens ("\\.\E:"), upper case; none for
/// any other name.
std::optional<char> driveLetterOf(std::string_view name) {
  constexpr std::string_view kPrefix = "\\\\.\\";
  if (name.size() != kPrefix.size() + 2 || name.substr(0, kPrefix.size()) != kPrefix || name.back() != ':') {
    return std::nullopt;
  }
  const char letter = name[kPrefix.size()];
  if (letter >= 'A' && letter <= 'Z') return letter;
  if (letter >= 'a' && letter <= 'z') return static_cast<char>(letter - 'a' + 'A');
  return std::nullopt;
}

std::uint32_t letterBit(char letter) { return 1u << (letter - 'A'); }

/// `count` bytes of `bytes` from `offset`, fewer where it ends.
std::vector<Byte> bytesAt(ConstBytes bytes, std::size_t offset, std::size_t count) {
  if (offset >= bytes.size()) return {};
  const ConstBytes part = bytes.subspan(offset, std::min(count, bytes.size() - offset));
  return {part.begin(), part.end()};
}

/// The request as the reader receives it, read from the program's request
/// before the call (the answer may overwrite it: input and output are one
/// buffer). None when it is no request the simulated reader would know.
std::optional<SessionRequest> requestOf(ConstBytes input) {
  if (input.size() < spt::kHeaderSize) return std::nullopt;
  CommandBlock cdb{};
  std::copy_n(input.begin() + spt::kCdb, cdb.size(), cdb.begin());
  const std::optional<std::string_view> name = passThroughRequestName(cdb);
  if (!name) return std::nullopt;
  SessionRequest request{std::string(*name), {cdb.begin(), cdb.end()}, {}};
  if (getU8(input, spt::kDataIn) == spt::kScsiIoctlDataOut) {
    request.dataOut = bytesAt(input, spt::kDataArea, getU32(input, spt::kDataTransferLength));
  }
  return request;
}

/// The sense bytes the answer left, without the zeros after them: the
/// program clears the sense area before every request, so a replay that
/// gives it these bytes gives it the same area.
std::vector<Byte> senseOf(ConstBytes output) {
  const std::size_t length = std::min<std::size_t>(getU8(output, spt::kSenseInfoLength), spt::kSenseAreaSize);
  std::vector<Byte> sense = bytesAt(output, spt::kSenseArea, length);
  while (!sense.empty() && sense.back() == 0) sense.pop_back();
  return sense;
}

/// The answer of a completed request. Data-in counts what the device
/// transferred: no more than was asked, than DataTransferLength says after
/// the call (the system lowers it to the bytes transferred) or than the
/// returned-bytes word reaches past the data area's offset.
SessionAnswer answerOf(ConstBytes input, ConstBytes output, const DeviceIoResult& result) {
  SessionAnswer answer;
  if (output.size() < spt::kHeaderSize) return answer;
  answer.status = getU8(output, spt::kScsiStatus);
  answer.sense = senseOf(output);
  if (getU8(input, spt::kDataIn) != spt::kScsiIoctlDataIn) return answer;
  const std::size_t returned = result.bytesReturned > spt::kDataArea ? result.bytesReturned - spt::kDataArea : 0;
  const std::size_t count = std::min({static_cast<std::size_t>(getU32(input, spt::kDataTransferLength)),
                                      static_cast<std::size_t>(getU32(output, spt::kDataTransferLength)), returned});
  answer.dataIn = bytesAt(output, spt::kDataArea, count);
  return answer;
}

bool isIdentifyAnswer(const SessionExchange& exchange) {
  return exchange.request.name == "deviceIdentify" && !exchange.answer.transportFailure &&
         exchange.answer.status == 0 && exchange.answer.dataIn.size() == kIdentifyLength;
}

bool isInquiryAnswer(const SessionExchange& exchange) {
  return exchange.request.name == "inquiry" && !exchange.answer.transportFailure && exchange.answer.status == 0 &&
         exchange.answer.dataIn.size() == kInquiryAnswerLength;
}

/// What tells one reader from another: its first identify block of any
/// kind that came back whole.
bool isIdentityAnswer(const SessionExchange& exchange) {
  const std::string& name = exchange.request.name;
  const bool identify = name == "deviceIdentify" || name == "driverIdentify13" || name == "driverIdentify03";
  return identify && !exchange.answer.transportFailure && exchange.answer.status == 0 &&
         !exchange.answer.dataIn.empty();
}

}  // namespace

std::uint32_t RecordingPort::versionWord() {
  const std::uint32_t word = inner().versionWord();
  if (!versionWord_) versionWord_ = word;
  return word;
}

LocalDateTime RecordingPort::localDateTime() {
  const LocalDateTime now = inner().localDateTime();
  if (!date_) date_ = now.date;
  return now;
}

std::uint32_t RecordingPort::logicalDrives() {
  const std::uint32_t mask = inner().logicalDrives();
  drivesSeen_ |= mask;
  return mask;
}

HandleValue RecordingPort::createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                                      std::uint32_t disposition, std::uint32_t flags) {
  const HandleValue handle = inner().createFile(name, access, shareMode, disposition, flags);
  const std::optional<char> letter = driveLetterOf(name);
  if (letter && handle != HandleValue::Invalid && handle != HandleValue::Null) {
    driveHandles_[handle] = *letter;
    drivesSeen_ |= letterBit(*letter);
  }
  return handle;
}

DeviceIoResult RecordingPort::deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                              Bytes output) {
  const auto drive = driveHandles_.find(handle);
  if (drive == driveHandles_.end() || controlCode != spt::kControlCode) {
    return inner().deviceIoControl(handle, controlCode, input, output);
  }
  std::optional<SessionRequest> request = requestOf(input);
  // The request's fields are read again after the call from a copy of the
  // header: the answer may overwrite the input's.
  const std::vector<Byte> header = bytesAt(input, 0, spt::kHeaderSize);
  const DeviceIoResult result = inner().deviceIoControl(handle, controlCode, input, output);
  if (!request) return result;
  SessionAnswer answer = result.ok ? answerOf(header, output, result) : transportFailure();
  exchanges_.push_back({drive->second, {std::move(*request), std::move(answer)}});
  return result;
}

bool RecordingPort::closeHandle(HandleValue handle) {
  driveHandles_.erase(handle);
  return inner().closeHandle(handle);
}

RecordedMachine RecordingPort::recording() {
  RecordedMachine machine;
  machine.versionWord = versionWord_.value_or(inner().versionWord());
  machine.date = date_.value_or(inner().localDate());
  const std::array<int, kLetterCount> readerOf = assignReaders(machine);
  for (const LetterExchange& seen : exchanges_) {
    const int reader = readerOf[static_cast<std::size_t>(seen.letter - 'A')];
    if (reader < 0) continue;
    RecordedReader& recorded = machine.readers[static_cast<std::size_t>(reader)];
    if (recorded.inquiryData.empty() && isInquiryAnswer(seen.exchange)) {
      recorded.inquiryData = seen.exchange.answer.dataIn;
    }
    if (recorded.identify.empty() && isIdentifyAnswer(seen.exchange)) recorded.identify = seen.exchange.answer.dataIn;
    recorded.session.push_back(seen.exchange);
  }
  return machine;
}

std::array<RecordingPort::LetterFacts, RecordingPort::kLetterCount> RecordingPort::letterFacts() const {
  std::array<LetterFacts, kLetterCount> facts{};
  for (const LetterExchange& seen : exchanges_) {
    LetterFacts& letter = facts[static_cast<std::size_t>(seen.letter - 'A')];
    if (seen.exchange.request.name != "inquiry") letter.holdsReader = true;
    if (!letter.identity && isIdentityAnswer(seen.exchange)) letter.identity = seen.exchange.answer.dataIn;
  }
  return facts;
}

std::array<int, RecordingPort::kLetterCount> RecordingPort::assignReaders(RecordedMachine& machine) const {
  const std::array<LetterFacts, kLetterCount> facts = letterFacts();
  std::array<int, kLetterCount> readerOf{};
  readerOf.fill(-1);
  // The identity of each reader so far; none for one whose letter gave none.
  std::vector<std::optional<std::vector<Byte>>> identities;
  for (std::size_t at = 0; at < kLetterCount; ++at) {
    const char letter = static_cast<char>('A' + at);
    if (!facts[at].holdsReader) {
      if ((drivesSeen_ & letterBit(letter)) != 0) machine.drives += letter;
      continue;
    }
    const auto same = std::find_if(identities.begin(), identities.end(), [&](const auto& identity) {
      return facts[at].identity && identity == facts[at].identity;
    });
    if (same != identities.end()) {
      readerOf[at] = static_cast<int>(same - identities.begin());
    } else {
      readerOf[at] = static_cast<int>(identities.size());
      identities.push_back(facts[at].identity);
      machine.readers.emplace_back();
    }
    machine.readers[static_cast<std::size_t>(readerOf[at])].letters += letter;
  }
  return readerOf;
}

}  // namespace updater
