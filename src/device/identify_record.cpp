#include "device/identify_record.h"

#include "device/hardware_revision.h"

namespace updater {
namespace {

template <typename Element, std::size_t N>
void copyField(const IdentifyData& identifyData, std::size_t offset, std::array<Element, N>& field) {
  for (std::size_t i = 0; i < N; ++i) field[i] = static_cast<Element>(identifyData[offset + i]);
}

std::array<Byte, 4> decodeVidPid(const IdentifyData& identifyData) {
  const std::uint16_t vendorId = getU16(identifyData, identify_block::kVendorId);
  const std::uint16_t productId = getU16(identifyData, identify_block::kProductId);
  return {static_cast<Byte>(vendorId >> 8), static_cast<Byte>(vendorId), static_cast<Byte>(productId >> 8),
          static_cast<Byte>(productId)};
}

/// Unknown revisions are not kept; the text still tells what was read.
void classifyHardwareRevision(HardwareRevision& revision) {
  if (!isListedHardwareRevision(revision)) revision.fill(0);
}

/// The Memory Stick revision comes as 16-bit words with the first character
/// in the high byte, so each pair is swapped into reading order.
void decodeMsFwRevision(const IdentifyData& identifyData, std::array<char, 8>& msFwRevision) {
  for (std::size_t i = 0; i < msFwRevision.size(); i += 2) {
    const std::uint16_t word = getU16(identifyData, identify_block::kMsFwRevision + i);
    msFwRevision[i] = static_cast<char>(word >> 8);
    msFwRevision[i + 1] = static_cast<char>(word & 0xFF);
  }
}

}  // namespace

SerialNumber identifySerial(const IdentifyData& identifyData) {
  SerialNumber serial{};
  for (std::size_t i = 0; i < serial.size(); ++i) {
    serial[i] = static_cast<char>(identifyData[identify_block::kSerial + 2 * i]);
  }
  return serial;
}

void decodeIdentify(DeviceTable& table, std::size_t slot) {
  if (slot >= kDeviceSlots) return;
  const IdentifyData& data = table.identifyData;
  DeviceEntry& entry = table.entries[slot];

  entry.inUse = 1;
  copyField(data, identify_block::kManufacturer, entry.strManufacture);
  copyField(data, identify_block::kProduct, entry.strProduct);
  entry.strSerial = identifySerial(data);
  entry.vidPid = decodeVidPid(data);
  copyField(data, identify_block::kInqVendor, entry.inqManufacture);
  copyField(data, identify_block::kInqProduct, entry.inqProduct);
  copyField(data, identify_block::kInqRevision, entry.inqRevision);
  copyField(data, identify_block::kFwRevision, entry.usbFwRevision);
  copyField(data, identify_block::kReserved, entry.reservedIdentify);
  copyField(data, identify_block::kHwRevision, entry.usbHwRevision);

  table.hardwareRevisionText = hardwareRevisionText(entry.usbHwRevision);
  classifyHardwareRevision(entry.usbHwRevision);

  copyField(data, identify_block::kUsb20FwRevision, entry.usb20FwRevision);
  copyField(data, identify_block::kFwRevisionOrg, entry.usbFwRevisionOrg);
  // Only the Memory Stick controller has the revision; any other reader
  // decoded into a slot that held one must not inherit it.
  entry.msFwRevision = {};
  if (entry.usbHwRevision == kMemoryStickRevision) decodeMsFwRevision(data, entry.msFwRevision);
}

}  // namespace updater
