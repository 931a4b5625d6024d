#include "device/self_driver/self_driver_scan.h"

#include <algorithm>
#include <array>

#include "device/identify_record.h"
#include "device/self_driver/self_driver_commands.h"
#include "platform/port_owned.h"
#include "common/text_format.h"

namespace updater {
namespace {

constexpr std::uint8_t kMostDevices = 127;
constexpr std::size_t kUsb20RevisionMarkByte = 6;
constexpr Byte kUsb20RevisionMark = 0x07;
/// The value's first character is the letter; the buffer is the scan's own,
/// so a longer value never reaches the entry.
constexpr std::size_t kDriveLetterValueSize = 5;

constexpr std::string_view kPortKeyHead = "Enum\\SCSI\\________USB_DISK_DRIVER_0\\KVSYSDRV&DISK&0000USB&";
constexpr std::string_view kDynamicKeyHead = "Enum\\SCSI\\";
constexpr std::string_view kDynamicKeyMiddle = "\\KV20SYSD&DISK&0000USB&";

// A zero byte contributes nothing; with `blanksAsUnderscores` a blank is '_'.
template <std::size_t N>
void appendField(std::string& text, const std::array<char, N>& field, std::size_t count, bool blanksAsUnderscores) {
  for (std::size_t i = 0; i < count && i < N; ++i) {
    const char c = field[i];
    if (c == '\0') continue;
    text += (blanksAsUnderscores && c == ' ') ? '_' : c;
  }
}

void appendDeviceTail(std::string& key, const DeviceEntry& entry, std::size_t unit) {
  key += "VID_";
  appendPaddedHex(key, entry.vidPid[0], 2);
  appendPaddedHex(key, entry.vidPid[1], 2);
  key += "&PID_";
  appendPaddedHex(key, entry.vidPid[2], 2);
  appendPaddedHex(key, entry.vidPid[3], 2);
  key += '&';
  appendField(key, entry.strSerial, entry.strSerial.size(), false);
  key += static_cast<char>('0' + unit / 10 % 10);
  key += static_cast<char>('0' + unit % 10);
}

char readDriveLetter(Port& port, const std::string& key) {
  UniqueRegistryKey opened(port, port.openRegistryKey(key, kKeyAllAccess));
  if (!opened.isOpen()) return 0;
  std::array<Byte, kDriveLetterValueSize> value{};
  port.queryRegistryValue(opened.get(), kDriveLetterValue, value);
  return static_cast<char>(value[0]);
}

void readDriveLetters(Port& port, AccessRoute route, DeviceEntry& entry) {
  for (std::size_t unit = 0; unit < entry.letterCount && unit < kMaxDriveLetters; ++unit) {
    entry.driveLetters[unit] = readDriveLetter(port, driveLetterKey(route, entry, unit));
  }
}

/// How the identify of one device went.
enum class Identified { Yes, NoIdentity, Silent };

// The port driver: identify A, else B; a device that answers neither but
// answers the revision query is there without an identity.
Identified identifyPortDevice(Driver9x& driver, std::uint32_t device, IdentifyData& identify) {
  clearIdentifyData(identify);
  FwRevisionAnswer revision{};
  if (identifyOnPort(driver, device, PortIdentify::A, identify) ||
      identifyOnPort(driver, device, PortIdentify::B, identify)) {
    // The query's own result is not examined: an unanswered query leaves the mark byte 0.
    readFwRevision(driver, device, revision);
    if (revision[kUsb20RevisionMarkByte] == kUsb20RevisionMark) {
      std::copy(revision.begin(), revision.end(), identify.begin() + identify_block::kUsb20FwRevision);
    }
    return Identified::Yes;
  }
  clearIdentifyData(identify);
  return readFwRevision(driver, device, revision) ? Identified::NoIdentity : Identified::Silent;
}

Identified identifyDynamicDevice(Driver9x& driver, std::uint32_t device, IdentifyData& identify) {
  identify.fill(0);
  return identifyOnDynamic(driver, device, identify) ? Identified::Yes : Identified::Silent;
}

/// The scan result when a device stays silent, by route.
int silentResult(AccessRoute route) {
  return route == AccessRoute::SelfDriverDynamic ? kScanIdentifyFailed : kScanDeviceSilent;
}

}  // namespace

std::string driveLetterKey(AccessRoute route, const DeviceEntry& entry, std::size_t unit) {
  std::string key;
  if (route == AccessRoute::SelfDriverDynamic) {
    key = kDynamicKeyHead;
    appendField(key, entry.inqManufacture, entry.inqManufacture.size(), true);
    appendField(key, entry.inqProduct, entry.inqProduct.size(), true);
    appendField(key, entry.inqRevision, 1, true);
    key += kDynamicKeyMiddle;
  } else {
    key = kPortKeyHead;
  }
  appendDeviceTail(key, entry, unit);
  return key;
}

int scanSelfDriver(Driver9x& driver, AccessRoute route, DeviceTable& table) {
  table.deviceCount = 0;
  table.selectedLetterCount = 0;

  const std::uint8_t reported = countDevices(driver, route);
  const bool oneDeviceOneUnit = reported == 0 || reported > kMostDevices;
  // The table has ten slots; a driver's further devices are not examined.
  table.deviceCount = oneDeviceOneUnit ? 1 : std::min<std::uint32_t>(reported, kDeviceSlots);
  if (oneDeviceOneUnit) table.selectedLetterCount = 1;

  for (std::uint32_t j = 0; j < table.deviceCount; ++j) {
    // The selection follows the device examined, as the report of a scan
    // that stops early shows.
    table.selectedIndex = j;
    if (!oneDeviceOneUnit) table.selectedLetterCount = countUnits(driver, route, j);
    if (table.selectedLetterCount == 0 || table.selectedLetterCount > kMaxDriveLetters) continue;
    table.entries[j].letterCount = static_cast<std::uint8_t>(table.selectedLetterCount);

    const Identified identified =
        route == AccessRoute::SelfDriverDynamic ? identifyDynamicDevice(driver, j, table.identifyData)
                                                : identifyPortDevice(driver, j, table.identifyData);
    if (identified == Identified::Silent) {
      driver.close();
      return silentResult(route);
    }
    if (identified == Identified::NoIdentity) continue;
    decodeIdentify(table, j);
    readDriveLetters(driver.port(), route, table.entries[j]);
  }
  table.selectedIndex = 0;
  if (route == AccessRoute::SelfDriverDynamic) driver.close();
  return kScanCompleted;
}

}  // namespace updater
