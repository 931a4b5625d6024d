#include "platform/linux/linux_host_port.h"

#include <sys/utsname.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>
#include <thread>

#include "platform/scsi_pass_through.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;

/// The version word of Windows XP (NT 5.1). The program does not read it on
/// a host that names itself, so it only keeps a reader of it on the XP path.
constexpr std::uint32_t kXpVersionWord = 0x0105;

/// The first letter that units get: A and B are floppy drives to the program.
constexpr char kFirstUnitLetter = 'C';

/// The SCSI generic driver's driver status: the low nibble is the fault,
/// and a fault of "sense" only says that sense data came back.
constexpr unsigned kDriverStatusMask = 0x0F;
constexpr unsigned kDriverSense = 0x08;

/// "\\.\E:" names drive E.
std::optional<char> driveLetterOf(std::string_view name) {
  constexpr std::string_view kPrefix = "\\\\.\\";
  if (name.size() != kPrefix.size() + 2 || !name.starts_with(kPrefix) || name.back() != ':') return std::nullopt;
  const char letter = name[kPrefix.size()];
  if (letter < 'A' || letter > 'Z') return std::nullopt;
  return letter;
}

/// What the request header asks for, checked against the two buffers.
struct PassThroughHeader {
  int direction = SG_DXFER_NONE;
  std::uint8_t cdbLength = 0;
  std::uint32_t dataLength = 0;
  std::uint32_t dataOffset = 0;
  std::uint8_t senseLength = 0;
  std::uint32_t senseOffset = 0;
  std::uint32_t timeoutMs = 0;
};

bool fitsIn(std::size_t size, std::uint32_t offset, std::uint32_t length) {
  return offset <= size && length <= size - offset;
}

std::optional<PassThroughHeader> readHeader(ConstBytes input, Bytes output) {
  if (input.size() < spt::kHeaderSize || output.size() < spt::kHeaderSize) return std::nullopt;
  if (getU16(input, spt::kLength) != spt::kHeaderSize) return std::nullopt;
  PassThroughHeader header;
  header.cdbLength = getU8(input, spt::kCdbLength);
  header.dataLength = getU32(input, spt::kDataTransferLength);
  header.dataOffset = getU32(input, spt::kDataBufferOffset);
  header.senseLength = getU8(input, spt::kSenseInfoLength);
  header.senseOffset = getU32(input, spt::kSenseInfoOffset);
  const std::uint64_t timeoutMs = std::uint64_t{getU32(input, spt::kTimeOutValue)} * 1000;
  header.timeoutMs = static_cast<std::uint32_t>(std::min<std::uint64_t>(timeoutMs, std::numeric_limits<unsigned>::max()));
  const std::uint8_t dataIn = getU8(input, spt::kDataIn);
  if (header.cdbLength == 0 || header.cdbLength > spt::kCdbFieldSize) return std::nullopt;
  if (dataIn != spt::kScsiIoctlDataIn && dataIn != spt::kScsiIoctlDataOut) return std::nullopt;
  if (header.dataLength > 0) header.direction = dataIn == spt::kScsiIoctlDataIn ? SG_DXFER_FROM_DEV : SG_DXFER_TO_DEV;
  const std::size_t dataBufferSize = dataIn == spt::kScsiIoctlDataIn ? output.size() : input.size();
  if (!fitsIn(dataBufferSize, header.dataOffset, header.dataLength)) return std::nullopt;
  if (!fitsIn(output.size(), header.senseOffset, header.senseLength)) return std::nullopt;
  return header;
}

}  // namespace

LinuxHostPort::LinuxHostPort(std::vector<HostReader> readers, ScsiGeneric& scsiGeneric, HostSystem system,
                             std::filesystem::path deviceFolder)
    : readers_(std::move(readers)),
      scsiGeneric_(scsiGeneric),
      system_(std::move(system)),
      deviceFolder_(std::move(deviceFolder)) {
  auto at = letters_.begin() + (kFirstUnitLetter - 'A');
  for (std::size_t reader = 0; reader < readers_.size(); ++reader) {
    for (const HostUnit& unit : readers_[reader].units) {
      if (at == letters_.end()) return;  // more units than letters: the rest stay unseen
      *at++ = LetterUnit{&unit, static_cast<int>(reader) + 1, (deviceFolder_ / unit.genericName).string()};
    }
  }
}

LinuxHostPort::~LinuxHostPort() {
  for (OpenNode& node : openNodes_) {
    if (node.descriptor >= 0) scsiGeneric_.close(node.descriptor);
  }
}

const HostUnit* LinuxHostPort::unitAt(char letter) const {
  if (letter < 'A' || letter > 'Z') return nullptr;
  return letters_[static_cast<std::size_t>(letter - 'A')].unit;
}

int LinuxHostPort::readerAt(char letter) const {
  if (letter < 'A' || letter > 'Z') return 0;
  return letters_[static_cast<std::size_t>(letter - 'A')].readerNumber;
}

std::size_t LinuxHostPort::openHandleCount() const {
  return static_cast<std::size_t>(
      std::count_if(openNodes_.begin(), openNodes_.end(), [](const OpenNode& node) { return node.descriptor >= 0; }));
}

std::uint32_t LinuxHostPort::versionWord() { return kXpVersionWord; }

void LinuxHostPort::sleep(std::uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LocalDateTime LinuxHostPort::localDateTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday}, local.tm_hour, local.tm_min, local.tm_sec};
}

void LinuxHostPort::consoleLine(std::string_view line) {
  if (console) console(line);
}

std::uint32_t LinuxHostPort::logicalDrives() {
  std::uint32_t mask = 0;
  for (std::size_t i = 0; i < letters_.size(); ++i) {
    if (letters_[i].unit != nullptr) mask |= 1u << i;
  }
  return mask;
}

std::string LinuxHostPort::driveName(char letter) {
  const HostUnit* unit = unitAt(letter);
  return unit != nullptr ? unit->displayName() : std::string{letter, ':'};
}

HandleValue LinuxHostPort::createFile(std::string_view name, std::uint32_t, std::uint32_t, std::uint32_t,
                                      std::uint32_t) {
  const std::optional<char> letter = driveLetterOf(name);
  if (!letter || unitAt(*letter) == nullptr) return HandleValue::Invalid;
  const LetterUnit& at = letters_[static_cast<std::size_t>(*letter - 'A')];
  const auto freeSlot =
      std::find_if(openNodes_.begin(), openNodes_.end(), [](const OpenNode& node) { return node.descriptor < 0; });
  if (freeSlot == openNodes_.end()) return HandleValue::Invalid;
  const int descriptor = scsiGeneric_.open(at.node);
  if (descriptor < 0) return HandleValue::Invalid;
  *freeSlot = OpenNode{descriptor, &at};
  return static_cast<HandleValue>(static_cast<std::uintptr_t>(freeSlot - openNodes_.begin()) + 1);
}

LinuxHostPort::OpenNode* LinuxHostPort::openNode(HandleValue handle) {
  const auto value = static_cast<std::uintptr_t>(handle);
  if (value == 0 || value > openNodes_.size()) return nullptr;
  OpenNode& node = openNodes_[value - 1];
  return node.descriptor >= 0 ? &node : nullptr;
}

bool LinuxHostPort::closeHandle(HandleValue handle) {
  OpenNode* node = openNode(handle);
  if (node == nullptr) return false;
  scsiGeneric_.close(node->descriptor);
  *node = OpenNode{};
  return true;
}

DeviceIoResult LinuxHostPort::deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                              Bytes output) {
  OpenNode* node = openNode(handle);
  if (node == nullptr || controlCode != spt::kControlCode) return {};
  return carry(*node, input, output);
}

// The command block, the data and the sense stay where the request buffer
// holds them: the driver reads the block and the data-out from the input,
// and writes the data-in and the sense into the output.
DeviceIoResult LinuxHostPort::carry(OpenNode& node, ConstBytes input, Bytes output) {
  const std::optional<PassThroughHeader> request = readHeader(input, output);
  if (!request) return {};
  sg_io_hdr_t header{};
  header.interface_id = 'S';
  header.dxfer_direction = request->direction;
  header.cmd_len = request->cdbLength;
  header.mx_sb_len = request->senseLength;
  header.dxfer_len = request->dataLength;
  // The driver only reads through these two pointers.
  header.cmdp = const_cast<Byte*>(input.data() + spt::kCdb);  // NOLINT(cppcoreguidelines-pro-type-const-cast): read only
  if (request->direction == SG_DXFER_TO_DEV) {
    header.dxferp = const_cast<Byte*>(input.data() + request->dataOffset);  // NOLINT(cppcoreguidelines-pro-type-const-cast): read only
  } else if (request->direction == SG_DXFER_FROM_DEV) {
    header.dxferp = output.data() + request->dataOffset;
  }
  header.sbp = output.data() + request->senseOffset;
  header.timeout = request->timeoutMs;

  const int error = scsiGeneric_.sgIo(node.descriptor, header);
  const bool hostFault = header.host_status != 0;
  const bool driverFault = (header.driver_status & kDriverStatusMask & ~kDriverSense) != 0;
  const bool carried = error == 0 && !hostFault && !driverFault;
  const std::size_t senseBytes = carried ? std::min<std::size_t>(header.sb_len_wr, request->senseLength) : 0;
  const auto residue =
      static_cast<std::uint32_t>(std::clamp<int>(header.resid, 0, static_cast<int>(request->dataLength)));

  if (traceRequest) {
    char failure[96] = "";
    if (error != 0) {
      (void)std::snprintf(failure, sizeof failure, "SG_IO: %s", std::strerror(-error));
    } else if (!carried) {
      (void)std::snprintf(failure, sizeof failure, "host status 0x%02x, driver status 0x%02x", header.host_status,
                    header.driver_status);
    }
    const ConstBytes data = request->direction == SG_DXFER_TO_DEV ? input : ConstBytes(output);
    const ConstBytes dataArea = data.subspan(request->dataOffset, request->dataLength);
    const bool received = carried && request->direction == SG_DXFER_FROM_DEV;
    traceRequest(CarriedRequest{*node.at->unit, node.at->readerNumber, input.subspan(spt::kCdb, request->cdbLength), request->dataLength,
                                carried, static_cast<Byte>(header.status),
                                ConstBytes(output).subspan(request->senseOffset, senseBytes), failure,
                                request->direction == SG_DXFER_TO_DEV ? dataArea : ConstBytes(),
                                received ? dataArea.first(dataArea.size() - residue) : ConstBytes()});
  }
  if (!carried) return {};
  putU8(output, spt::kScsiStatus, static_cast<std::uint8_t>(header.status));
  putU8(output, spt::kSenseInfoLength, static_cast<std::uint8_t>(senseBytes));
  putU32(output, spt::kDataTransferLength, request->dataLength - residue);
  return {true, static_cast<std::uint32_t>(output.size())};
}

HostSystem linuxHostSystem() {
  utsname name{};
  if (uname(&name) != 0) return {"Linux", ""};
  return {name.sysname, name.release};
}

}  // namespace updater
