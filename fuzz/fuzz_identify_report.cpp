// Identify blocks as readers might answer them, scanned into the device
// table and shown in the device report. Input: a 4-byte version word, one
// byte of choices, one byte selecting the device, then any number of
// 528-byte identify blocks (the last one may be short; the rest reads as 0).
// Besides the sanitizers, checks what must hold for every block.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/device_report.h"
#include "app/windows_family.h"
#include "app/program.h"
#include "device/hardware_revision.h"
#include "device/identify_record.h"
#include "device/slot_assignment.h"
#include "platform/sim/recording_main_view.h"
#include "platform/sim/recording_status_view.h"
#include "platform/sim/sim_machine.h"
#include "platform/sim/transcript.h"

namespace updater {
namespace {

constexpr std::size_t kHeaderLength = 6;
constexpr std::size_t kMaxBlocks = 12;  // enough to overflow the ten slots

void require(bool holds) {
  if (!holds) __builtin_trap();
}

bool isLowerHex(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

void checkTable(const DeviceTable& table) {
  require(table.deviceCount <= kDeviceSlots);
  require(table.hardwareRevisionText.size() == 6 && isLowerHex(table.hardwareRevisionText));
  for (const DeviceEntry& entry : table.entries) {
    require(entry.letterCount <= kMaxDriveLetters);
    if (entry.inUse == 0) continue;
    const HardwareRevision zero{};
    require(entry.usbHwRevision == zero || isListedHardwareRevision(entry.usbHwRevision));
    if (entry.usbHwRevision != kMemoryStickRevision) require(entry.msFwRevision == std::array<char, 8>{});
  }
}

void checkReport(const Program& program, const RecordingMainView& view) {
  const std::string report = view.controlText(kReportAreaControl);
  const std::string name = view.controlText(kDeviceNameControl);
  require(report.find('\0') == std::string::npos);
  require(name.find('\0') == std::string::npos);
  require(report.compare(0, program.statusLog.size(), program.statusLog) == 0);
  require(report.find("\n The Device Select Now is : ") != std::string::npos);
  const DeviceTable& table = program.deviceTable;
  const std::uint32_t letters = table.selectedIndex < kDeviceSlots ? table.entries[table.selectedIndex].letterCount : 0;
  require(table.selectedLetterCount == letters);
  checkTable(table);
}

std::uint8_t byteAt(const std::uint8_t* data, std::size_t size, std::size_t offset) {
  return offset < size ? data[offset] : 0;
}

void loadBlock(DeviceTable& table, const std::uint8_t* data, std::size_t size, std::size_t offset) {
  clearIdentifyData(table.identifyData);
  const std::size_t available = offset < size ? std::min(size - offset, kIdentifyLength) : 0;
  std::copy(data + offset, data + offset + available, table.identifyData.begin());
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  Transcript transcript;
  transcript.keepTrace = false;
  SimMachine port(transcript);
  RecordingMainView mainView(transcript);
  RecordingStatusView statusView(transcript);
  Program program(port, mainView, statusView);

  const std::uint32_t versionWord = static_cast<std::uint32_t>(byteAt(data, size, 0)) |
                                    static_cast<std::uint32_t>(byteAt(data, size, 1)) << 8 |
                                    static_cast<std::uint32_t>(byteAt(data, size, 2)) << 16 |
                                    static_cast<std::uint32_t>(byteAt(data, size, 3)) << 24;
  const std::uint8_t choices = byteAt(data, size, 4);
  const std::uint8_t selector = byteAt(data, size, 5);
  program.osMode = detectWindowsFamily(versionWord).osMode;
  program.selfDriverChosen = (choices & 1) != 0;
  const bool aspiScan = (choices & 2) != 0;
  if ((choices & 4) != 0) program.statusLog = "\nERROR: Device Not Ready when GET DEVICE VERSION!! ";

  DeviceTable& table = program.deviceTable;
  clearDeviceTable(table);
  const std::size_t body = size > kHeaderLength ? size - kHeaderLength : 0;
  const std::size_t blocks = std::clamp<std::size_t>((body + kIdentifyLength - 1) / kIdentifyLength, 1, kMaxBlocks);
  for (std::size_t i = 0; i < blocks; ++i) {
    const std::size_t offset = kHeaderLength + i * kIdentifyLength;
    loadBlock(table, data, size, offset);
    const auto unit = aspiScan ? ScannedUnit::atAspi(static_cast<std::uint8_t>(i), selector)
                               : ScannedUnit::atDrive(static_cast<char>('C' + i));
    assignSlot(table, unit);
    checkTable(table);
  }

  table.selectedIndex = selector % (kDeviceSlots + 2);  // two past the table
  showDeviceReport(program);
  checkReport(program, mainView);

  // The ASPI device check decodes straight into a slot, whatever it held.
  decodeIdentify(table, selector % kDeviceSlots);
  checkTable(table);
  showDeviceReport(program);
  checkReport(program, mainView);
  return 0;
}
