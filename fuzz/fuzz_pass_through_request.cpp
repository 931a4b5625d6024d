// The drive-letter carrier's request buffer built from fuzzed values
// (PassThroughDrive::send): a request that does not fit the buffer is never
// sent; one that fits hands the port exactly the input and output sizes it
// asked for, both at the start of the one buffer, with every header field
// reading back as the value it was built from, the data area holding the
// data to send (at most its 64 KiB) and zeros after it, and nothing else
// set. What the port answers in the data area comes back into the caller's
// buffer, never more than the data length or the buffer holds, and only
// for a data-in request that succeeded.
//
// Input: 12 bytes command block, 1 byte direction (bit 0: in), 4 bytes each
// data length, timeout, input size and output size (little-endian; the
// three sizes taken modulo 2 x the buffer size), 1 byte choices (bit 0:
// needs good status; bit 1: the port fails the request; bit 2: the device
// answers check condition), 4 bytes caller's buffer size (modulo 64 KiB +
// 2), then the data to send.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "device/pass_through/pass_through.h"
#include "fuzz_input.h"
#include "platform/sim/sim_machine.h"
#include "platform/forwarding_port.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;
using fuzz::require;

constexpr std::uint32_t kSizeRange = 2 * spt::kBufferSize;
constexpr Byte kAnswerByte = 0xA7;

/// Takes the request as the driver would, checks it, and answers with
/// kAnswerByte over the whole data area of the output.
class CheckingPort : public ForwardingPort {
 public:
  CheckingPort(Port& inner, const ScsiPassThroughRequest& request, const std::vector<Byte>& dataOut, bool fails,
               bool checkCondition)
      : ForwardingPort(inner), request_(request), dataOut_(dataOut), fails_(fails), checkCondition_(checkCondition) {}

  DeviceIoResult deviceIoControl(HandleValue, std::uint32_t controlCode, ConstBytes input, Bytes output) override {
    ++calls;
    require(controlCode == spt::kControlCode);
    require(input.size() == request_.inputSize && output.size() == request_.outputSize);
    require(input.data() == output.data());
    checkHeader(input);
    checkDataArea(input);
    if (fails_) return {};
    if (output.size() > spt::kScsiStatus) output[spt::kScsiStatus] = checkCondition_ ? spt::kCheckCondition : 0;
    if (output.size() > spt::kDataArea) std::fill(output.begin() + spt::kDataArea, output.end(), kAnswerByte);
    return {true, static_cast<std::uint32_t>(output.size())};
  }

  int calls = 0;

 private:
  // The header is checked when the input holds it whole; the rest of the
  // input is checked byte by byte.
  void checkHeader(ConstBytes input) const {
    if (input.size() < spt::kHeaderSize) return;
    require(getU16(input, spt::kLength) == spt::kHeaderSize);
    require(getU8(input, spt::kScsiStatus) == 0);
    require(getU8(input, spt::kCdbLength) == kCommandBlockLength);
    require(getU8(input, spt::kSenseInfoLength) == 24);
    require(getU8(input, spt::kDataIn) == request_.dataIn);
    require(getU32(input, spt::kDataTransferLength) == request_.dataLength);
    require(getU32(input, spt::kTimeOutValue) == request_.timeoutSeconds);
    require(getU32(input, spt::kDataBufferOffset) == spt::kDataArea);
    require(getU32(input, spt::kSenseInfoOffset) == spt::kSenseArea);
    require(std::equal(request_.cdb.begin(), request_.cdb.end(), input.begin() + spt::kCdb));
    for (std::size_t i = spt::kCdb + kCommandBlockLength; i < spt::kDataArea && i < input.size(); ++i) {
      require(input[i] == 0);
    }
  }

  void checkDataArea(ConstBytes input) const {
    for (std::size_t i = spt::kDataArea; i < input.size(); ++i) {
      const std::size_t at = i - spt::kDataArea;
      require(input[i] == (at < dataOut_.size() ? dataOut_[at] : 0));
    }
  }

  const ScsiPassThroughRequest& request_;
  const std::vector<Byte>& dataOut_;
  bool fails_;
  bool checkCondition_;
};

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  fuzz::FuzzInput input(data, size);
  ScsiPassThroughRequest request;
  input.fill(request.cdb);
  request.dataIn = (input.u8() & 1) != 0 ? spt::kScsiIoctlDataIn : spt::kScsiIoctlDataOut;
  request.dataLength = input.u32() % kSizeRange;
  request.timeoutSeconds = input.u32();
  request.inputSize = input.u32() % kSizeRange;
  request.outputSize = input.u32() % kSizeRange;
  const std::uint8_t choices = input.u8();
  request.needsGoodStatus = (choices & 1) != 0;
  const bool fails = (choices & 2) != 0;
  const bool checkCondition = (choices & 4) != 0;
  const std::size_t callerSize = input.u32() % (spt::kDataAreaSize + 2);
  // A little more than the data area can take, to see it cut.
  const std::vector<Byte> dataOut = input.rest(spt::kDataAreaSize + 16);

  Transcript transcript;
  SimMachine machine(transcript);
  CheckingPort port(machine, request, dataOut, fails, checkCondition);
  PassThroughDrive drive(port);
  constexpr Byte kUntouched = 0x5C;
  std::vector<Byte> callerBuffer(callerSize, kUntouched);

  const bool sent = drive.send(request, dataOut, callerBuffer);

  const bool fits = request.dataLength <= spt::kDataAreaSize && request.inputSize <= spt::kBufferSize &&
                    request.outputSize <= spt::kBufferSize;
  fuzz::require(port.calls == (fits ? 1 : 0));
  const bool answered = fits && !fails && !(request.needsGoodStatus && checkCondition && request.outputSize > 2);
  fuzz::require(sent == answered);
  // What reaches the caller's buffer: the data area, up to the data length,
  // for a data-in request that went through, and nothing otherwise. The
  // data area holds the answer where the output reached, and what was sent
  // (or zeros) beyond it.
  const bool copies = sent && request.dataIn == spt::kScsiIoctlDataIn;
  const std::size_t copied = copies ? std::min<std::size_t>(callerSize, request.dataLength) : 0;
  for (std::size_t i = 0; i < callerSize; ++i) {
    Byte expected = kUntouched;
    if (i < copied) {
      const Byte sentByte = i < dataOut.size() ? dataOut[i] : Byte{0};
      expected = spt::kDataArea + i < request.outputSize ? kAnswerByte : sentByte;
    }
    fuzz::require(callerBuffer[i] == expected);
  }
  return 0;
}
