#include "app/identity_text.h"

#include <algorithm>

#include "common/text_format.h"

namespace updater {

void appendPiece(std::string& text, std::string_view piece) { text.append(piece.substr(0, piece.find('\0'))); }

void appendDecimal2(std::string& text, std::uint32_t value) {
  if (value < 10) text += '0';
  appendDecimal(text, value);
}

void appendFwRevision(std::string& text, const std::array<Byte, 8>& revision) {
  appendHex(text, revision[0]);
  text += '.';
  appendPaddedHex(text, revision[1], 2);
  text += '.';
  appendPaddedHex(text, revision[2], 2);
  text += "-200";
  appendHex(text, revision[3]);
  text += '-';
  appendDecimal2(text, revision[4]);
  text += '-';
  appendDecimal2(text, revision[5]);
  text += "[OEM-";
  appendPaddedHex(text, revision[6], 2);
  text += "][CEM-";
  appendPaddedHex(text, revision[7], 2);
  text += ']';
}

std::string firmwareRevisionText(const std::array<Byte, 8>& revision) {
  std::string text;
  appendFwRevision(text, revision);
  return text;
}

namespace {

/// Two bytes, high first, as four hex digits.
std::string wordText(Byte high, Byte low) {
  std::string text;
  appendPaddedHex(text, high, 2);
  appendPaddedHex(text, low, 2);
  return text;
}

}  // namespace

std::string vendorIdText(const DeviceEntry& entry) { return wordText(entry.vidPid[0], entry.vidPid[1]); }

std::string productIdText(const DeviceEntry& entry) { return wordText(entry.vidPid[2], entry.vidPid[3]); }

std::string usbSerialText(const DeviceEntry& entry) {
  std::string text;
  appendChars(text, entry.strSerial);
  return text;
}

std::vector<std::string> driveNames(Port& port, const DeviceEntry& entry) {
  std::vector<std::string> names;
  const std::size_t letters = std::min<std::size_t>(entry.letterCount, kMaxDriveLetters);
  for (std::size_t unit = 0; unit < letters; ++unit) names.push_back(port.driveName(entry.driveLetters[unit]));
  return names;
}

std::string hardwareRevisionField(const DeviceEntry& entry) {
  std::string text;
  appendPaddedHex(text, entry.usbHwRevision[0], 2);
  appendPaddedHex(text, entry.usbHwRevision[1], 2);
  appendPiece(text, std::string_view(reinterpret_cast<const char*>(&entry.usbHwRevision[2]), 1));
  return text;
}

}  // namespace updater
