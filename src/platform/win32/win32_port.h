#pragma once

// The port on the real Windows API, for the 32-bit and the 64-bit program.
// Each call is the Win32 call its contract in platform/port.h names, with
// the values converted to and from the Win32 types. On 64-bit Windows the
// SCSI pass-through request is carried in the native layout of
// SCSI_PASS_THROUGH (platform/pass_through_layout64.h); driver records and
// ASPI requests, which carry 32-bit addresses, cannot be sent there.
//
// Calls come from one thread at a time (the user-interface thread); only
// the ASPI layer's postings arrive on the layer's own thread.

#include <vector>

#include "platform/host_file_port.h"

namespace updater {

class Win32Port final : public HostFilePort {
 public:
  Win32Port();

  std::uint32_t versionWord() override;
  HostSystem hostSystem() override { return {}; }
  void sleep(std::uint32_t milliseconds) override;
  LocalDateTime localDateTime() override;
  void consoleLine(std::string_view line) override;

  std::uint32_t logicalDrives() override;
  std::string driveName(char letter) override { return {letter, ':'}; }
  HandleValue createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t disposition, std::uint32_t flags) override;
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override;
  bool closeHandle(HandleValue handle) override;
  DataAddress dataAddress(Bytes buffer) override;

  RegistryKeyValue openRegistryKey(std::string_view subKey, std::uint32_t access) override;
  RegistryValueResult queryRegistryValue(RegistryKeyValue key, std::string_view valueName, Bytes buffer) override;
  bool closeRegistryKey(RegistryKeyValue key) override;

  ModuleValue loadLibrary(std::string_view name) override;
  EntryPointValue procAddress(ModuleValue module, std::string_view name) override;
  bool freeLibrary(ModuleValue module) override;
  std::uint32_t getAspi32SupportInfo(EntryPointValue entry) override;
  std::uint32_t sendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) override;



 private:
  /// A pass-through request carried in the native 64-bit layout.
  DeviceIoResult nativePassThrough(HandleValue handle, ConstBytes input, Bytes output);

  /// The native copy of each pass-through request on 64-bit Windows, sized
  /// once so that no request allocates; empty on 32-bit Windows.
  std::vector<Byte> nativeRequest_;
};

}  // namespace updater
