#include "device/aspi/aspi_drive_letters.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/port_owned.h"

namespace updater {
namespace {

constexpr std::string_view kValueName = "CurrentDriveLetterAssignment";
/// The buffer the value is read into; a letter and its terminating zero fit.
constexpr std::size_t kValueBufferSize = 5;
/// The instance part of the key, by logical unit; a higher unit has none.
constexpr std::string_view kUnitSuffixes[] = {"&000", "&100", "&200", "&300", "&400", "&500"};

void appendKeyText(std::string& key, const char* begin, const char* end) {
  for (const char* c = begin; c != end; ++c) {
    if (*c == '\0') continue;
    key += *c == ' ' ? '_' : *c;
  }
}

template <std::size_t N>
void appendFull(std::string& key, const std::array<char, N>& field) {
  appendKeyText(key, field.data(), field.data() + N);
}

template <std::size_t N>
void appendTrimmed(std::string& key, const std::array<char, N>& field) {
  const char* end = field.data() + N;
  while (end != field.data() && (end[-1] == ' ' || end[-1] == '\0')) --end;
  appendKeyText(key, field.data(), end);
}

void readLetter(Port& port, DeviceEntry& entry, std::size_t unit) {
  const UniqueRegistryKey key(port, port.openRegistryKey(aspiDriveLetterKey(entry, unit), kKeyAllAccess));
  if (!key.isOpen()) return;
  // A buffer of its own: only the value's first character is the letter.
  std::array<Byte, kValueBufferSize> value{};
  if (port.queryRegistryValue(key.get(), kValueName, value).ok) entry.driveLetters[unit] = static_cast<char>(value[0]);
}

}  // namespace

std::string aspiDriveLetterKey(const DeviceEntry& entry, std::size_t unit) {
  std::string key = "Enum\\SCSI\\";
  appendFull(key, entry.inqManufacture);
  appendFull(key, entry.inqProduct);
  appendKeyText(key, entry.inqRevision.data(), entry.inqRevision.data() + 1);
  key += "\\USBSTOR&DISK&VEN_";
  appendTrimmed(key, entry.inqManufacture);
  key += "&PROD_";
  appendTrimmed(key, entry.inqProduct);
  key += "&REV_";
  appendTrimmed(key, entry.inqRevision);
  key += '&';
  appendKeyText(key, entry.strSerial.data(), entry.strSerial.data() + entry.strSerial.size());
  if (unit < std::size(kUnitSuffixes)) key += kUnitSuffixes[unit];
  return key;
}

void readAspiDriveLetters(Port& port, DeviceTable& table) {
  const std::size_t recorded = std::min<std::size_t>(table.deviceCount, kDeviceSlots);
  for (std::size_t slot = 0; slot < recorded; ++slot) {
    DeviceEntry& entry = table.entries[slot];
    // An entry never holds more than five units; a sixth would have no letter.
    const std::size_t units = std::min<std::size_t>(entry.letterCount, kMaxDriveLetters);
    for (std::size_t unit = 0; unit < units; ++unit) readLetter(port, entry, unit);
  }
}

}  // namespace updater
