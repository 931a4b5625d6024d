#pragma once

// The port on a Linux host. The program's pass-through route runs unchanged:
// each unit of the USB readers found through sysfs appears at a drive letter
// of its own (C, D, ... in reader order), opening that drive opens the
// unit's SCSI generic node, and each SCSI pass-through request the core
// built is carried as one SG_IO request (version 3 header) whose command
// block, data and sense live in the request's own buffer. Nothing else of
// Windows exists here: no registry, no self drivers, no ASPI layer.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/scsi_generic.h"
#include "platform/linux/usb_reader_scan.h"
#include "platform/host_file_port.h"

namespace updater {

/// One request as it crossed the SCSI generic driver, for a trace.
struct CarriedRequest {
  const HostUnit& unit;
  /// The unit's reader, 1-based in the order the port was given them.
  int readerNumber = 0;
  ConstBytes cdb;
  std::uint32_t dataLength = 0;
  /// The request reached the device and came back: its status is the
  /// device's. False: the system or the USB transport failed it.
  bool carried = false;
  Byte scsiStatus = 0;
  ConstBytes sense;
  /// Why the request was not carried: the system's error, or the SCSI
  /// generic driver's host and driver status; empty when carried.
  std::string_view failure;
  /// The data sent (a data-out request) and the data received (a data-in
  /// request that was carried: the bytes the device transferred).
  ConstBytes dataOut;
  ConstBytes dataIn;
};

class LinuxHostPort final : public HostFilePort {
 public:
  LinuxHostPort(std::vector<HostReader> readers, ScsiGeneric& scsiGeneric, HostSystem system,
                std::filesystem::path deviceFolder = "/dev");
  ~LinuxHostPort() override;
  LinuxHostPort(const LinuxHostPort&) = delete;
  LinuxHostPort& operator=(const LinuxHostPort&) = delete;

  /// Called after each request; none: no trace (and no allocation).
  std::function<void(const CarriedRequest&)> traceRequest;
  /// Where console lines go; none: nowhere.
  std::function<void(std::string_view)> console;

  /// The unit shown at `letter`; none when no unit is there.
  const HostUnit* unitAt(char letter) const;
  /// The reader of that unit, 1-based in the order the port was given them;
  /// 0 when no unit is there.
  int readerAt(char letter) const;
  std::size_t openHandleCount() const;

  std::uint32_t versionWord() override;
  HostSystem hostSystem() override { return system_; }
  void sleep(std::uint32_t milliseconds) override;
  LocalDateTime localDateTime() override;
  void consoleLine(std::string_view line) override;

  std::uint32_t logicalDrives() override;
  std::string driveName(char letter) override;
  HandleValue createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t disposition, std::uint32_t flags) override;
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override;
  bool closeHandle(HandleValue handle) override;
  DataAddress dataAddress(Bytes) override { return 0; }

  RegistryKeyValue openRegistryKey(std::string_view, std::uint32_t) override { return RegistryKeyValue::None; }
  RegistryValueResult queryRegistryValue(RegistryKeyValue, std::string_view, Bytes) override { return {}; }
  bool closeRegistryKey(RegistryKeyValue) override { return false; }

  ModuleValue loadLibrary(std::string_view) override { return ModuleValue::None; }
  EntryPointValue procAddress(ModuleValue, std::string_view) override { return EntryPointValue::None; }
  bool freeLibrary(ModuleValue) override { return false; }
  std::uint32_t getAspi32SupportInfo(EntryPointValue) override { return 0; }
  std::uint32_t sendAspi32Command(EntryPointValue, Bytes, AspiPostingRoutine&) override { return 0; }



 private:
  /// What stands at one drive letter: made once, so that opening a unit
  /// allocates nothing.
  struct LetterUnit {
    const HostUnit* unit = nullptr;  // none: no unit at the letter
    int readerNumber = 0;
    std::string node;  // the SCSI generic node's path
  };
  struct OpenNode {
    int descriptor = -1;  // -1: the slot is free
    const LetterUnit* at = nullptr;
  };
  /// Handles are 1 + the slot's index.
  static constexpr std::size_t kOpenNodeSlots = 32;

  OpenNode* openNode(HandleValue handle);
  DeviceIoResult carry(OpenNode& node, ConstBytes input, Bytes output);

  std::vector<HostReader> readers_;
  /// The unit at each letter, 'A' first.
  std::array<LetterUnit, 26> letters_{};
  ScsiGeneric& scsiGeneric_;
  HostSystem system_;
  std::filesystem::path deviceFolder_;
  std::array<OpenNode, kOpenNodeSlots> openNodes_{};
};

/// The running kernel, as uname names it: "Linux" and its release.
HostSystem linuxHostSystem();

}  // namespace updater
