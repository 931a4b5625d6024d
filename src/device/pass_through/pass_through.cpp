#include "device/pass_through/pass_through.h"

#include <algorithm>
#include <array>
#include <string>

#include "device/identify_record.h"
#include "device/route.h"
#include "device/slot_assignment.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;

constexpr std::uint32_t kIdentityTimeoutSeconds = 2;
constexpr std::uint32_t kVendorTimeoutSeconds = 30;
constexpr auto kInquiryLength = static_cast<std::uint32_t>(kInquiryAnswerLength);
constexpr std::uint32_t kDriverIdentifyLength = 512;

/// The inquiry identity the NT self driver's readers report: vendor, product
/// and revision (bytes 8..35 of the inquiry data).
constexpr std::string_view kSelfDriverNtIdentity = "        USB Reader      01.A";

/// The first drive letter examined: A and B are floppy drives.
constexpr char kFirstScannedLetter = 'C';

ScsiPassThroughRequest identityRequest(const CommandBlock& cdb, std::uint32_t dataLength) {
  ScsiPassThroughRequest request;
  request.cdb = cdb;
  request.dataLength = dataLength;
  request.timeoutSeconds = kIdentityTimeoutSeconds;
  request.outputSize = static_cast<std::uint32_t>(spt::kDataArea) + dataLength;
  return request;
}

void writeHeader(Bytes buffer, const ScsiPassThroughRequest& request) {
  putU16(buffer, spt::kLength, static_cast<std::uint16_t>(spt::kHeaderSize));
  putU8(buffer, spt::kPathId, 0);
  putU8(buffer, spt::kTargetId, 1);
  putU8(buffer, spt::kLun, 0);
  putU8(buffer, spt::kCdbLength, static_cast<std::uint8_t>(kCommandBlockLength));
  putU8(buffer, spt::kSenseInfoLength, 24);
  putU8(buffer, spt::kDataIn, request.dataIn);
  putU32(buffer, spt::kDataTransferLength, request.dataLength);
  putU32(buffer, spt::kTimeOutValue, request.timeoutSeconds);
  putU32(buffer, spt::kDataBufferOffset, static_cast<std::uint32_t>(spt::kDataArea));
  putU32(buffer, spt::kSenseInfoOffset, static_cast<std::uint32_t>(spt::kSenseArea));
  std::copy(request.cdb.begin(), request.cdb.end(), buffer.begin() + spt::kCdb);
}

std::string driveName(char letter) {
  std::string name = "\\\\.\\C:";
  name[4] = letter;
  return name;
}


template <std::size_t N>
bool sameBytes(ConstBytes bytes, const std::array<char, N>& text, std::size_t count) {
  return std::equal(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count), text.begin(),
                    [](Byte b, char c) { return b == static_cast<Byte>(c); });
}

bool identityAccepted(DriveScanIdentity wanted, const AcceptedIdentities& accepted, ConstBytes inquiryData) {
  const ConstBytes identity = inquiryData.subspan(8);
  if (wanted == DriveScanIdentity::SelfDriverNt) {
    return std::equal(kSelfDriverNtIdentity.begin(), kSelfDriverNtIdentity.end(), identity.begin(),
                      [](char c, Byte b) { return b == static_cast<Byte>(c); });
  }
  // Vendor and product only; the revision is not compared.
  constexpr std::size_t kVendorAndProduct = 24;
  return sameBytes(identity, accepted.fa, kVendorAndProduct) || sameBytes(identity, accepted.fb, kVendorAndProduct);
}

bool readIdentifyBlock(PassThroughDrive& drive, DeviceTable& table, DriveScanIdentity wanted) {
  Bytes identify(table.identifyData);
  if (wanted == DriveScanIdentity::Accepted) return drive.deviceIdentify(identify);
  // The NT self driver's readers answer the driver-level identify; older
  // firmware only its 0x03 form. Bytes past 512 keep the table's clearing.
  const Bytes driverPart = identify.first(kDriverIdentifyLength);
  return drive.driverIdentify(0x13, driverPart) || drive.driverIdentify(0x03, driverPart);
}

void examineDrive(PassThroughDrive& drive, DeviceTable& table, DriveScanIdentity wanted,
                  const AcceptedIdentities& accepted, char letter) {
  if (!drive.open(letter)) return;
  std::array<Byte, 528> inquiryData{};
  if (drive.inquiry(0, Bytes(inquiryData).first(kInquiryLength)) && identityAccepted(wanted, accepted, inquiryData) &&
      readIdentifyBlock(drive, table, wanted)) {
    assignSlot(table, ScannedUnit::atDrive(letter));
  }
  drive.close();
}

}  // namespace

bool PassThroughDrive::send(const ScsiPassThroughRequest& request, ConstBytes dataOut, Bytes dataIn) {
  Bytes buffer(buffer_);
  const bool fits = request.dataLength <= spt::kDataAreaSize && request.inputSize <= buffer.size() &&
                    request.outputSize <= buffer.size();
  if (!fits) return false;
  std::fill(buffer.begin(), buffer.end(), Byte{0});
  writeHeader(buffer, request);
  const std::size_t outCount = std::min<std::size_t>(dataOut.size(), spt::kDataAreaSize);
  std::copy_n(dataOut.begin(), outCount, buffer.begin() + spt::kDataArea);

  const DeviceIoResult result =
      port_.deviceIoControl(drive_.get(), spt::kControlCode, buffer.first(request.inputSize),
                            buffer.first(request.outputSize));
  if (!result.ok) return false;
  if (request.needsGoodStatus && buffer[spt::kScsiStatus] != 0) return false;
  if (request.dataIn == spt::kScsiIoctlDataIn) {
    const std::size_t count = std::min<std::size_t>(dataIn.size(), request.dataLength);
    std::copy_n(buffer.begin() + spt::kDataArea, count, dataIn.begin());
  }
  return true;
}

bool PassThroughDrive::inquiry(std::uint8_t unit, Bytes buffer) {
  CommandBlock cdb{kInquiryOpcode, 0, 0, 0, kInquiryLength, 0, 0, 0, 0, 0, 0, 0};
  cdb[1] = static_cast<Byte>(unit << 5);
  return send(identityRequest(cdb, kInquiryLength), {}, buffer);
}

bool PassThroughDrive::driverIdentify(std::uint8_t variant, Bytes buffer) {
  // Bytes 2..5: the identity signature 0x04A55A30, most significant first;
  // byte 8: one block.
  const CommandBlock cdb{kDriverIdentifyOpcode, variant, 0x04, 0xA5, 0x5A, 0x30, 0, 0, 0x01, 0, 0, 0};
  return send(identityRequest(cdb, kDriverIdentifyLength), {}, buffer);
}

bool PassThroughDrive::deviceIdentify(Bytes buffer) {
  const CommandBlock cdb{kVendorOpcode, kDeviceIdentifyCode, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0};
  return send(identityRequest(cdb, static_cast<std::uint32_t>(kIdentifyLength)), {}, buffer);
}

bool PassThroughDrive::open(char letter) {
  drive_.reset();
  drive_ = openOwned(port_, driveName(letter), kGenericRead | kGenericWrite, kFileShareRead | kFileShareWrite,
                     kOpenExisting, 0);
  return drive_.isOpen();
}

int scanDrives(PassThroughDrive& drive, DeviceTable& table, DriveScanIdentity identity,
               const AcceptedIdentities& accepted) {
  const std::uint32_t mask = drive.port().logicalDrives();
  for (char letter = kFirstScannedLetter; letter <= 'Z'; ++letter) {
    if ((mask >> (letter - 'A')) & 1u) examineDrive(drive, table, identity, accepted, letter);
  }
  return table.deviceCount == 0 ? 1 : kEnumerated;
}

int openSelectedDrive(PassThroughDrive& drive, const DeviceTable& table) {
  if (table.selectedIndex >= kDeviceSlots) return 1;
  const DeviceEntry& entry = table.entries[table.selectedIndex];
  if (entry.inUse == 0) return 1;
  return drive.open(entry.driveLetters[0]) ? 0 : 1;
}

bool PassThroughChannel::execute(VendorCommand& command) {
  ScsiPassThroughRequest request;
  request.cdb = command.cdb;
  request.needsGoodStatus = true;
  switch (command.direction) {
    case Direction::None:  // jumpToIsp
      request.timeoutSeconds = kIdentityTimeoutSeconds;
      request.outputSize = static_cast<std::uint32_t>(spt::kDataArea);
      return drive_.send(request, {}, {});
    case Direction::In:  // getIspStatus
      request.dataLength = command.transferLength;
      request.timeoutSeconds = kVendorTimeoutSeconds;
      request.outputSize = static_cast<std::uint32_t>(spt::kDataArea) + command.transferLength;
      return drive_.send(request, {}, command.data);
    case Direction::Out:  // sendIspData: the image, then zeros up to the padded length
      request.dataIn = spt::kScsiIoctlDataOut;
      request.dataLength = command.transferLength;
      request.timeoutSeconds = kVendorTimeoutSeconds;
      request.inputSize = static_cast<std::uint32_t>(spt::kDataArea) + command.transferLength;
      request.outputSize = request.inputSize;
      return drive_.send(request, command.data, {});
  }
  return false;
}

}  // namespace updater
