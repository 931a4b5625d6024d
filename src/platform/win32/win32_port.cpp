#include "platform/win32/win32_port.h"

#include <windows.h>
// After windows.h, which they build on; lean windows.h leaves out winioctl.h.
#include <winioctl.h>
#include <ntddscsi.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/pass_through_layout64.h"
#include "platform/scsi_pass_through.h"
#include "platform/win32/win32_aspi.h"
#include "platform/win32/win32_values.h"

namespace updater {
namespace {

namespace spt = scsi_pass_through;
namespace native64 = pass_through_layout64;

// The program's byte layouts of SCSI_PASS_THROUGH must be the system's own.
#if defined(_WIN64)
constexpr bool kPassThroughNeedsConversion = true;
static_assert(sizeof(SCSI_PASS_THROUGH) == native64::kHeaderSize);
static_assert(offsetof(SCSI_PASS_THROUGH, Length) == native64::kLength);
static_assert(offsetof(SCSI_PASS_THROUGH, ScsiStatus) == native64::kScsiStatus);
static_assert(offsetof(SCSI_PASS_THROUGH, PathId) == native64::kPathId);
static_assert(offsetof(SCSI_PASS_THROUGH, TargetId) == native64::kTargetId);
static_assert(offsetof(SCSI_PASS_THROUGH, Lun) == native64::kLun);
static_assert(offsetof(SCSI_PASS_THROUGH, CdbLength) == native64::kCdbLength);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == native64::kSenseInfoLength);
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == native64::kDataIn);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == native64::kDataTransferLength);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == native64::kTimeOutValue);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == native64::kDataBufferOffset);
static_assert(sizeof(SCSI_PASS_THROUGH::DataBufferOffset) == 8);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == native64::kSenseInfoOffset);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == native64::kCdb);
#else
constexpr bool kPassThroughNeedsConversion = false;
static_assert(sizeof(SCSI_PASS_THROUGH) == spt::kHeaderSize);
static_assert(offsetof(SCSI_PASS_THROUGH, Length) == spt::kLength);
static_assert(offsetof(SCSI_PASS_THROUGH, ScsiStatus) == spt::kScsiStatus);
static_assert(offsetof(SCSI_PASS_THROUGH, PathId) == spt::kPathId);
static_assert(offsetof(SCSI_PASS_THROUGH, TargetId) == spt::kTargetId);
static_assert(offsetof(SCSI_PASS_THROUGH, Lun) == spt::kLun);
static_assert(offsetof(SCSI_PASS_THROUGH, CdbLength) == spt::kCdbLength);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == spt::kSenseInfoLength);
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == spt::kDataIn);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == spt::kDataTransferLength);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == spt::kTimeOutValue);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == spt::kDataBufferOffset);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == spt::kSenseInfoOffset);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == spt::kCdb);
#endif
static_assert(IOCTL_SCSI_PASS_THROUGH == spt::kControlCode);
static_assert(sizeof(SCSI_PASS_THROUGH::Cdb) == spt::kCdbFieldSize);

// The port's copies of the Windows values.
static_assert(GENERIC_READ == kGenericRead && GENERIC_WRITE == kGenericWrite);
static_assert(FILE_SHARE_READ == kFileShareRead && FILE_SHARE_WRITE == kFileShareWrite);
static_assert(OPEN_EXISTING == kOpenExisting && FILE_FLAG_DELETE_ON_CLOSE == kFileFlagDeleteOnClose);
static_assert(KEY_ALL_ACCESS == kKeyAllAccess);

bool fitsInDword(std::size_t size) { return size <= MAXDWORD; }

DeviceIoResult callDeviceIoControl(HANDLE handle, DWORD controlCode, ConstBytes input, Bytes output) {
  if (!fitsInDword(input.size()) || !fitsInDword(output.size())) return {};
  DWORD returned = 0;
  // The system only reads the input; its declaration just lacks the const.
  const BOOL ok = DeviceIoControl(handle, controlCode, const_cast<Byte*>(input.data()),
                                  static_cast<DWORD>(input.size()), output.data(), static_cast<DWORD>(output.size()),
                                  &returned, nullptr);
  if (!ok) return {};
  return {true, returned};
}

}  // namespace

Win32Port::Win32Port() {
  if constexpr (kPassThroughNeedsConversion) nativeRequest_.resize(native64::kBufferSize);
}

// --- System information, time and console -----------------------------------

std::uint32_t Win32Port::versionWord() { return GetVersion(); }

void Win32Port::sleep(std::uint32_t milliseconds) { Sleep(milliseconds); }

LocalDateTime Win32Port::localDateTime() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {{now.wYear, now.wMonth, now.wDay}, now.wHour, now.wMinute, now.wSecond};
}

void Win32Port::consoleLine(std::string_view line) {
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  // A window program usually has no standard output at all.
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  std::string text(line);
  text += "\r\n";
  DWORD written = 0;
  WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// --- Devices ------------------------------------------------------------------

std::uint32_t Win32Port::logicalDrives() { return GetLogicalDrives(); }

HandleValue Win32Port::createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                                  std::uint32_t disposition, std::uint32_t flags) {
  const std::string path(name);
  const HANDLE handle = CreateFileA(path.c_str(), access, shareMode, nullptr, disposition, flags, nullptr);
  // A null handle is no open handle either; the port's Null means "nothing open".
  if (handle == nullptr) return HandleValue::Invalid;
  return win32::fromHandle(handle);
}

DeviceIoResult Win32Port::deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                          Bytes output) {
  if (!win32::isOpenHandle(handle)) return {};
  if (kPassThroughNeedsConversion && controlCode == spt::kControlCode) {
    return nativePassThrough(handle, input, output);
  }
  return callDeviceIoControl(win32::toHandle(handle), controlCode, input, output);
}

DeviceIoResult Win32Port::nativePassThrough(HandleValue handle, ConstBytes input, Bytes output) {
  const Bytes native(nativeRequest_);
  const std::optional<native64::NativeExtents> extents = native64::toNative(input, output.size(), native);
  if (!extents) return {};
  const DeviceIoResult result = callDeviceIoControl(win32::toHandle(handle), spt::kControlCode,
                                                    native.first(extents->inputSize),
                                                    native.first(extents->outputSize));
  if (!result.ok) return {};
  native64::fromNative(native.first(extents->outputSize), output);
  return {true, native64::bytesReturnedFor(result.bytesReturned)};
}

bool Win32Port::closeHandle(HandleValue handle) {
  if (!win32::isOpenHandle(handle)) return false;
  return CloseHandle(win32::toHandle(handle)) != 0;
}

DataAddress Win32Port::dataAddress(Bytes buffer) {
  if (buffer.empty()) return 0;
#if defined(_WIN64)
  // The drivers and layers that take 32-bit addresses do not exist on
  // 64-bit Windows; a buffer that happens to lie below 4 GiB would only
  // send a request nobody can carry.
  return 0;
#else
  return static_cast<DataAddress>(reinterpret_cast<std::uintptr_t>(buffer.data()));
#endif
}

// --- Registry, under HKEY_LOCAL_MACHINE ---------------------------------------

RegistryKeyValue Win32Port::openRegistryKey(std::string_view subKey, std::uint32_t access) {
  const std::string name(subKey);
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, name.c_str(), 0, access, &key) != ERROR_SUCCESS) {
    return RegistryKeyValue::None;
  }
  return win32::fromKey(key);
}

RegistryValueResult Win32Port::queryRegistryValue(RegistryKeyValue key, std::string_view valueName, Bytes buffer) {
  if (key == RegistryKeyValue::None) return {};
  const HKEY hkey = win32::toKey(key);
  const std::string name(valueName);
  // The size first: a buffer that is too small is left undefined by the
  // system, and the caller's must stay untouched.
  DWORD size = 0;
  if (RegQueryValueExA(hkey, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return {};
  if (size > buffer.size()) return {false, size};
  std::vector<BYTE> value(std::max<DWORD>(size, 1));
  DWORD read = static_cast<DWORD>(value.size());
  const LONG status = RegQueryValueExA(hkey, name.c_str(), nullptr, nullptr, value.data(), &read);
  // The value may have changed between the two calls.
  if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && read > buffer.size())) return {false, read};
  if (status != ERROR_SUCCESS) return {};
  std::copy_n(value.begin(), read, buffer.begin());
  return {true, read};
}

bool Win32Port::closeRegistryKey(RegistryKeyValue key) {
  if (key == RegistryKeyValue::None) return false;
  return RegCloseKey(win32::toKey(key)) == ERROR_SUCCESS;
}

// --- The ASPI module ----------------------------------------------------------

ModuleValue Win32Port::loadLibrary(std::string_view name) {
  const std::string file(name);
  return win32::fromModule(LoadLibraryA(file.c_str()));
}

EntryPointValue Win32Port::procAddress(ModuleValue module, std::string_view name) {
  if (module == ModuleValue::None) return EntryPointValue::None;
  const std::string entry(name);
  return win32::fromEntryPoint(GetProcAddress(win32::toModule(module), entry.c_str()));
}

bool Win32Port::freeLibrary(ModuleValue module) {
  if (module == ModuleValue::None) return false;
  return FreeLibrary(win32::toModule(module)) != 0;
}

std::uint32_t Win32Port::getAspi32SupportInfo(EntryPointValue entry) { return win32::callGetAspi32SupportInfo(entry); }

std::uint32_t Win32Port::sendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) {
  return win32::callSendAspi32Command(entry, requestBlock, posting);
}

}  // namespace updater
