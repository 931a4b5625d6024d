#include "app/device_report.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "app/identity_text.h"
#include "app/program.h"
#include "common/text_format.h"
#include "device/route_registry.h"
#include "device/device_table.h"
#include "device/hardware_revision.h"

namespace updater {
namespace {

/// Revisions whose report shows no USB 2.0 firmware revision, besides "3017".
constexpr std::array<std::string_view, 15> kNoUsb20RevisionCodes = {
    "4053", "4057", "4013", "4113", "4129", "4161", "4023", "4064",
    "4137", "4165", "4166", "4147", "4168", "4148", "4391",
};

constexpr std::string_view kHeading = "\n====  Device String And Inquiry Information     =====";
constexpr std::size_t kSeparatorWidth = 53;

template <std::size_t N>
void appendCharsWithBlanks(std::string& text, const std::array<char, N>& field) {
  for (char c : field) appendPiece(text, std::string{c, ' '});
}

/// "%x.%02x-200%x-%02d-%02d" with year and month from one byte's nibbles.
void appendFwRevisionOrg(std::string& text, const std::array<Byte, 4>& revision) {
  appendHex(text, revision[0]);
  text += '.';
  appendPaddedHex(text, revision[1], 2);
  text += "-200";
  appendHex(text, static_cast<std::uint32_t>(revision[2] >> 4));
  text += '-';
  appendDecimal2(text, static_cast<std::uint32_t>(revision[2] & 0x0F));
  text += '-';
  appendDecimal2(text, revision[3]);
}

void appendSeparator(std::string& text) {
  text += '\n';
  text.append(kSeparatorWidth, '=');
}

void appendIdentityBlock(std::string& text, const DeviceEntry& entry) {
  text += "\n Str Manufacture Name :";
  appendChars(text, entry.strManufacture);
  text += "\n Str Product Name     :";
  appendChars(text, entry.strProduct);
  text += "\n Str Serial Number    :";
  appendCharsWithBlanks(text, entry.strSerial);
  text += "\n Device VID-PID       :[";
  text += vendorIdText(entry);
  text += "]-[";
  text += productIdText(entry);
  text += ']';
  text += "\n Inq Manufacture Name :";
  appendChars(text, entry.inqManufacture);
  text += "\n Inq Product Name     :";
  appendChars(text, entry.inqProduct);
  text += "\n Inq Revision         :";
  appendChars(text, entry.inqRevision);
}

/// Only the Memory Stick controller revision carries a Memory Stick firmware
/// revision; the decoder fills it for no other.
void appendMsFwRevisionLine(std::string& text, const DeviceEntry& entry) {
  if (entry.usbHwRevision != kMemoryStickRevision) {
    text += "\n MS F/W Revision      :N/A";
    return;
  }
  std::string line = "\n MS F/W Revision      :";
  line.append(entry.msFwRevision.begin(), entry.msFwRevision.end());
  appendPiece(text, line);
}

void appendHwRevisionLine(std::string& text, const DeviceEntry& entry) {
  text += "\n USB H/W Revision     :";
  text += hardwareRevisionField(entry);
}

bool showsUsb20Revision(const DeviceEntry& entry, std::string_view revisionText) {
  const bool is3017 = entry.usbHwRevision[0] == kRevision3017G[0] && entry.usbHwRevision[1] == kRevision3017G[1];
  const std::string_view code = revisionCode(revisionText);
  const bool listed = std::find(kNoUsb20RevisionCodes.begin(), kNoUsb20RevisionCodes.end(), code) !=
                      kNoUsb20RevisionCodes.end();
  return !is3017 && !listed;
}

void appendFirmwareBlock(std::string& text, const DeviceEntry& entry, std::string_view revisionText) {
  text += "\n USB F/W Revision :";
  appendFwRevision(text, entry.usbFwRevision);
  text += "\n USB F/W RevisionOrg  :";
  appendFwRevisionOrg(text, entry.usbFwRevisionOrg);
  appendMsFwRevisionLine(text, entry);
  appendHwRevisionLine(text, entry);
  text += "\n USB20 F/W Revision   :";
  if (showsUsb20Revision(entry, revisionText)) {
    appendFwRevision(text, entry.usb20FwRevision);
  } else {
    text += "N/A";
  }
}

void appendCountBlock(std::string& text, const Program& program, const DeviceEntry& entry) {
  const DeviceTable& table = program.deviceTable;
  text += "\n Total Device Plug In : ";
  appendHex(text, table.deviceCount);
  text += ' ';
  text += "\n The Device Select Now is : ";
  appendHex(text, table.selectedIndex + 1);
  text += " with ";
  appendHex(text, entry.letterCount);
  text += " slot.";
  if (accessRoute(program.osMode, program.selfDriverChosen, program.driverKind) == AccessRoute::Aspi) {
    text += "\n Locate [Adapter:Target] : [";
    appendHex(text, entry.aspiAdapter);
    text += ':';
    appendHex(text, entry.aspiTarget);
    text += ']';
  }
}

std::string reportText(const Program& program, const DeviceEntry& entry) {
  std::string text = program.statusLog;
  appendSeparator(text);
  text += kHeading;
  appendSeparator(text);
  appendIdentityBlock(text, entry);
  appendFirmwareBlock(text, entry, program.deviceTable.hardwareRevisionText);
  appendSeparator(text);
  text += '\n';
  appendCountBlock(text, program, entry);
  return text;
}

/// The product name and the reader's drives as the port names them ("[E:] ").
std::string deviceNameText(Port& port, const DeviceEntry& entry) {
  std::string text;
  appendChars(text, entry.inqProduct);
  for (const std::string& drive : driveNames(port, entry)) appendPiece(text, '[' + drive + "] ");
  return text;
}

}  // namespace

void showDeviceReport(Program& program) {
  DeviceTable& table = program.deviceTable;
  const DeviceEntry& entry = selectedEntry(table);
  table.hardwareRevisionText = hardwareRevisionText(entry.usbHwRevision);
  table.selectedLetterCount = entry.letterCount;
  program.mainView.setControlText(kReportAreaControl, reportText(program, entry));
  program.mainView.setControlText(kDeviceNameControl, deviceNameText(program.port, entry));
}

}  // namespace updater
