#pragma once

// A reader's identity as the device report writes it: the pieces that the
// report and the history of runs share.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "device/device_table.h"
#include "platform/port.h"

namespace updater {

/// A formatted piece lands in the window text as a C string: it ends at its
/// first NUL, so a NUL character adds nothing, nor does whatever follows it
/// in the same piece.
void appendPiece(std::string& text, std::string_view piece);

/// A fixed-width text field, one character (one piece) at a time.
template <std::size_t N>
void appendChars(std::string& text, const std::array<char, N>& field) {
  for (char c : field) appendPiece(text, std::string_view(&c, 1));
}

/// "%x.%02x.%02x-200%x-%02d-%02d[OEM-%02x][CEM-%02x]"
void appendFwRevision(std::string& text, const std::array<Byte, 8>& revision);
std::string firmwareRevisionText(const std::array<Byte, 8>& revision);

/// "%02d"
void appendDecimal2(std::string& text, std::uint32_t value);

/// "1234": the vendor id, and the product id, as four hex digits each.
std::string vendorIdText(const DeviceEntry& entry);
std::string productIdText(const DeviceEntry& entry);

/// The USB serial string's characters.
std::string usbSerialText(const DeviceEntry& entry);

/// "4023A": the two code bytes in hex and the letter.
std::string hardwareRevisionField(const DeviceEntry& entry);

/// The reader's drives as the port names them ("E:", or "sdb" on a Linux
/// host), one per logical unit.
std::vector<std::string> driveNames(Port& port, const DeviceEntry& entry);

}  // namespace updater
