#include "platform/sim/sim_machine.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <utility>

#include "common/text_format.h"
#include "platform/aspi_srb.h"
#include "platform/file_lock.h"
#include "platform/host_file.h"
#include "platform/scsi_pass_through.h"
#include "platform/sim/drive_letter_keys.h"
#include "platform/sim/sim_aspi.h"
#include "platform/sim/sim_pass_through.h"
#include "platform/sim/sim_self_driver.h"

namespace updater {
namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";
constexpr std::string_view kAspiModuleName = "WNASPI32";
constexpr std::string_view kSupportInfoName = "GetASPI32SupportInfo";
constexpr std::string_view kSendCommandName = "SendASPI32Command";
constexpr ModuleValue kAspiModule{0x10000000};
constexpr EntryPointValue kSupportInfoEntry{0x10001000};
constexpr EntryPointValue kSendCommandEntry{0x10002000};
constexpr std::uint32_t kAspiReady = aspi_srb::kComplete;
constexpr std::uint32_t kAspiFailedInit = aspi_srb::kFailedInit;
constexpr std::uint32_t kAspiError = aspi_srb::kError;
constexpr std::string_view kDriveLetterValue = "CurrentDriveLetterAssignment";
constexpr std::uint32_t kDriveAccess = kGenericRead | kGenericWrite;
constexpr std::uint32_t kDriveShare = kFileShareRead | kFileShareWrite;

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

char upper(char letter) { return static_cast<char>(std::toupper(static_cast<unsigned char>(letter))); }

bool isDriveLetter(char letter) { return letter >= 'A' && letter <= 'Z'; }

template <typename Map>
auto findNoCase(Map& map, std::string_view key) {
  return std::find_if(map.begin(), map.end(), [key](const auto& entry) { return equalNoCase(entry.first, key); });
}

std::string hexValue(std::uint32_t value) { return "0x" + hexText(value); }

std::string handleText(HandleValue handle) { return hexValue(static_cast<std::uint32_t>(handle)); }

TranscriptEvent ioEvent(AccessRoute route, std::string command, int reader, bool ok) {
  TranscriptEvent event;
  event.kind = EventKind::Io;
  event.route = routeName(route);
  event.name = std::move(command);
  event.reader = reader;
  event.ok = ok;
  return event;
}

// The route a self driver's requests belong to: the NT driver on the NT
// family; on Windows 98/ME the dynamic driver is the one opened delete-on-close.
AccessRoute selfDriverRoute(bool nt, std::uint32_t flags) {
  if (nt) return AccessRoute::SelfDriverNt;
  return flags == kFileFlagDeleteOnClose ? AccessRoute::SelfDriverDynamic : AccessRoute::SelfDriverPort;
}

struct ArgumentCheck {
  const char* name;
  std::uint32_t actual;
  std::uint32_t expected;
};

std::string checkArguments(std::string_view call, std::initializer_list<ArgumentCheck> checks) {
  for (const auto& check : checks) {
    if (check.actual != check.expected) {
      return std::string(call) + ": " + check.name + ' ' + hexValue(check.actual) + ", expected " +
             hexValue(check.expected);
    }
  }
  return {};
}

}  // namespace

LocalDate hostLocalDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

SimMachine::SimMachine(Transcript& transcript, const MachineDescription& description)
    : version(updater::versionWord(description.windows)),
      host(description.host),
      date(description.date.value_or(hostLocalDate())),
      transcript_(transcript),
      description_(description) {
  readers_.reserve(description.readers.size());
  for (const auto& reader : description.readers) {
    readers_.emplace_back(static_cast<int>(readers_.size()) + 1, reader);
  }
  addDriveLetterKeys();
}

SimMachine::~SimMachine() {
  for (const FileLockValue lock : fileLocks_) unlockHostFile(lock);
  for (const NewFileValue file : newFiles_) closeHostFile(file);
}

void SimMachine::addDriveLetterKeys() {
  for (const auto& reader : readers_) {
    for (const auto& key : driveLetterKeys(reader.identify, reader.description.letters)) {
      registry[key.key][std::string(kDriveLetterValue)] = {static_cast<Byte>(key.letter), 0};
    }
  }
}

LocalDateTime SimMachine::localDateTime() {
  constexpr std::uint64_t kStartSecond = std::uint64_t{9} * 3600;
  constexpr std::uint64_t kLastSecond = std::uint64_t{24} * 3600 - 1;
  // The day does not turn over: a run long enough to reach midnight stays
  // at its last second.
  const std::uint64_t second = std::min(kStartSecond + elapsedMs_ / 1000, kLastSecond);
  return {date, static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60), static_cast<int>(second % 60)};
}

void SimMachine::sleep(std::uint32_t milliseconds) {
  elapsedMs_ += milliseconds;
  sleeps_.push_back(milliseconds);
  TranscriptEvent event;
  event.kind = EventKind::Sleep;
  event.ms = milliseconds;
  transcript_.add(std::move(event));
  // The ASPI layer posts what came due while the caller slept.
  aspiPosting_.runUntil(elapsedMs_);
}

void SimMachine::consoleLine(std::string_view line) { transcript_.add(consoleEvent(line)); }

std::vector<TranscriptEvent> SimMachine::requests(std::string_view command) const {
  std::vector<TranscriptEvent> matching;
  for (const auto& event : requests_) {
    if (event.name == command) matching.push_back(event);
  }
  return matching;
}

// A request that left a replayed session shows its violation right after
// its io event.
void SimMachine::recordIo(TranscriptEvent event) {
  requests_.push_back(event);
  transcript_.add(std::move(event));
  reportSessionDeviations();
}

void SimMachine::violation(std::string text, TranscriptEvent event) {
  violations_.push_back(text);
  event.kind = EventKind::Violation;
  event.text = std::move(text);
  transcript_.add(std::move(event));
}

void SimMachine::recordSessions() {
  for (auto& reader : readers_) {
    if (!reader.recorded) reader.recorded.emplace();
  }
}

void SimMachine::reportSessionDeviations() {
  for (auto& reader : readers_) {
    if (!reader.replay) continue;
    for (const SessionDeviation& deviation : reader.replay->takeDeviations()) {
      TranscriptEvent where;
      where.reader = reader.number;
      where.requestIndex = static_cast<int>(deviation.index);
      where.byteOffset = static_cast<int>(deviation.offset);
      violation("reader " + std::to_string(reader.number) + ' ' + deviation.text, std::move(where));
    }
  }
}

// --- Drives and drivers -------------------------------------------------------

std::uint32_t SimMachine::logicalDrives() {
  std::uint32_t mask = 0;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (driveExists(letter)) mask |= 1u << (letter - 'A');
  }
  return mask;
}

std::string SimMachine::driveName(char letter) {
  for (const auto& reader : readers_) {
    const std::string& letters = reader.description.letters;
    const std::size_t unit = letters.find(letter);
    if (unit != std::string::npos && unit < reader.description.unitNames.size()) {
      return reader.description.unitNames[unit];
    }
  }
  return {letter, ':'};
}

// An unplugged reader's letters are gone with it.
bool SimMachine::driveExists(char letter) const {
  if (description_.drives.find(letter) != std::string::npos) return true;
  return std::any_of(readers_.begin(), readers_.end(), [letter](const SimReader& reader) {
    return reader.present() && reader.description.letters.find(letter) != std::string::npos;
  });
}

SimReader* SimMachine::readerOnLetter(char letter) {
  for (auto& reader : readers_) {
    if (reader.present() && reader.description.letters.find(letter) != std::string::npos) return &reader;
  }
  return nullptr;
}

HandleValue SimMachine::createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                                   std::uint32_t disposition, std::uint32_t flags) {
  if (name.substr(0, kDevicePrefix.size()) != kDevicePrefix) return HandleValue::Invalid;
  const std::string_view device = name.substr(kDevicePrefix.size());
  if (device.size() == 2 && device[1] == ':' && isDriveLetter(upper(device[0]))) {
    return openDrive(name, upper(device[0]), access, shareMode, disposition, flags);
  }
  return openSelfDriver(name, device, access, shareMode, disposition, flags);
}

HandleValue SimMachine::openDrive(std::string_view name, char letter, std::uint32_t access, std::uint32_t shareMode,
                                  std::uint32_t disposition, std::uint32_t flags) {
  if (!driveExists(letter)) return HandleValue::Invalid;
  const std::string problem =
      checkArguments("CreateFileA " + std::string(name), {{"dwDesiredAccess", access, kDriveAccess},
                                                          {"dwShareMode", shareMode, kDriveShare},
                                                          {"dwCreationDisposition", disposition, kOpenExisting},
                                                          {"dwFlagsAndAttributes", flags, 0}});
  if (!problem.empty()) {
    violation(problem);
    return HandleValue::Invalid;
  }
  SimReader* reader = readerOnLetter(letter);
  bool ok = true;
  if (reader != nullptr) {
    ++reader->requestCounts["open"];
    ok = !reader->failures.next("open");
  }
  recordIo(ioEvent(AccessRoute::PassThrough, "open", reader != nullptr ? reader->number : 0, ok));
  if (!ok) return HandleValue::Invalid;
  return newHandle({std::string(name), reader, true, AccessRoute::PassThrough});
}

HandleValue SimMachine::openSelfDriver(std::string_view name, std::string_view baseName, std::uint32_t access,
                                       std::uint32_t shareMode, std::uint32_t disposition, std::uint32_t flags) {
  const auto& installed = description_.selfDrivers;
  const bool found = std::any_of(installed.begin(), installed.end(),
                                 [baseName](const std::string& driver) { return equalNoCase(driver, baseName); });
  if (!found) return HandleValue::Invalid;
  // Only the dynamic driver of Windows 98/ME is opened delete-on-close.
  const bool deleteOnCloseAllowed = !description_.windows.nt && equalNoCase(baseName, "KV20DISK");
  const std::uint32_t expectedFlags = deleteOnCloseAllowed && flags == kFileFlagDeleteOnClose ? flags : 0;
  const std::string problem =
      checkArguments("CreateFileA " + std::string(name), {{"dwDesiredAccess", access, kDriveAccess},
                                                          {"dwShareMode", shareMode, 0},
                                                          {"dwCreationDisposition", disposition, kOpenExisting},
                                                          {"dwFlagsAndAttributes", flags, expectedFlags}});
  if (!problem.empty()) {
    violation(problem);
    return HandleValue::Invalid;
  }
  const AccessRoute route = selfDriverRoute(description_.windows.nt, flags);
  recordIo(ioEvent(route, "open", 0, true));
  return newHandle({std::string(name), nullptr, false, route});
}

HandleValue SimMachine::newHandle(OpenDevice device) {
  const auto handle = static_cast<HandleValue>(nextHandle_);
  nextHandle_ += 4;
  handles_.emplace(handle, std::move(device));
  return handle;
}

bool SimMachine::closeHandle(HandleValue handle) {
  const auto found = handles_.find(handle);
  if (found == handles_.end()) {
    violation("CloseHandle: handle " + handleText(handle) + " is not open");
    return false;
  }
  const OpenDevice& device = found->second;
  recordIo(ioEvent(device.route, "close", device.reader != nullptr ? device.reader->number : 0, true));
  handles_.erase(found);
  return true;
}

DeviceIoResult SimMachine::deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                           Bytes output) {
  DeviceIoResult result;
  const auto found = handles_.find(handle);
  if (found == handles_.end()) {
    violation("DeviceIoControl: handle " + handleText(handle) + " is not open");
  } else if (found->second.isDrive) {
    result = passThrough(found->second, controlCode, input, output);
  } else {
    result = selfDriverRequest(found->second, controlCode, input, output);
  }
  // A data address is good for the request it was made for.
  dataAddresses_.clear();
  return result;
}

DeviceIoResult SimMachine::passThrough(const OpenDevice& device, std::uint32_t controlCode, ConstBytes input,
                                       Bytes output) {
  namespace spt = scsi_pass_through;
  if (controlCode != spt::kControlCode) {
    violation("DeviceIoControl " + device.name + ": control code " + hexValue(controlCode) + ", expected " +
              hexValue(spt::kControlCode));
    return {};
  }
  const PassThroughCheck check = checkPassThrough(input, output);
  if (!check.request) {
    violation(std::string(routeName(AccessRoute::PassThrough)) + ' ' + check.violation);
    return {};
  }
  const CheckedPassThrough& request = *check.request;
  const PassThroughAnswer answer =
      device.reader != nullptr ? answerFromReader(*device.reader, request) : answerFromPlainDisk(request);

  TranscriptEvent event =
      ioEvent(device.route, requestName(request), device.reader != nullptr ? device.reader->number : 0,
              answer.completed && answer.scsiStatus == 0);
  event.cdb = hexDigits(request.cdb);
  event.length = request.transferLength;
  event.status = answer.ispStatus;
  recordIo(std::move(event));

  if (!answer.completed) return {};
  putU8(output, spt::kScsiStatus, answer.scsiStatus);
  const std::size_t senseBytes = std::min<std::size_t>(answer.sense.size(), getU8(input, spt::kSenseInfoLength));
  std::copy_n(answer.sense.begin(), senseBytes, output.begin() + static_cast<std::ptrdiff_t>(spt::kSenseArea));
  const bool dataIn = !request.dataIn.empty();
  return {true, static_cast<std::uint32_t>(spt::kDataArea) + (dataIn ? answer.dataBytes : 0)};
}

DeviceIoResult SimMachine::selfDriverRequest(const OpenDevice& device, std::uint32_t controlCode, ConstBytes input,
                                             Bytes output) {
  struct RouteDriver {
    AccessRoute route;
    SimDriverKind kind;
  };
  constexpr RouteDriver kDrivers[] = {{AccessRoute::SelfDriverPort, SimDriverKind::Port},
                                      {AccessRoute::SelfDriverDynamic, SimDriverKind::Dynamic},
                                      {AccessRoute::SelfDriverNt, SimDriverKind::Nt}};
  const auto* driver = std::find_if(std::begin(kDrivers), std::end(kDrivers),
                                    [&device](const RouteDriver& row) { return row.route == device.route; });
  if (driver == std::end(kDrivers)) return {};
  const int deviceCount = description_.selfDriverDeviceCount.value_or(static_cast<int>(readers_.size()));
  SelfDriverBus bus{readers_, static_cast<std::uint8_t>(deviceCount), dataAddresses_};
  DriverOutcome outcome = driverRequest(driver->kind, bus, controlCode, input, output);
  if (!outcome.violation.empty()) {
    violation(std::move(outcome.violation));
    return {};
  }
  outcome.io.route = routeName(device.route);
  const bool ok = outcome.io.ok;
  recordIo(std::move(outcome.io));
  if (!ok) return {};
  return {true, static_cast<std::uint32_t>(output.size())};
}

DataAddress SimMachine::dataAddress(Bytes buffer) { return dataAddresses_.add(buffer); }

// --- Registry -----------------------------------------------------------------

RegistryKeyValue SimMachine::openRegistryKey(std::string_view subKey, std::uint32_t access) {
  const std::string problem = checkArguments("RegOpenKeyExA", {{"samDesired", access, kKeyAllAccess}});
  if (!problem.empty()) {
    violation(problem);
    return RegistryKeyValue::None;
  }
  const auto found = findNoCase(registry, subKey);
  if (found == registry.end()) return RegistryKeyValue::None;
  const auto key = static_cast<RegistryKeyValue>(nextRegistryKey_);
  nextRegistryKey_ += 4;
  registryKeys_.emplace(key, found->first);
  return key;
}

RegistryValueResult SimMachine::queryRegistryValue(RegistryKeyValue key, std::string_view valueName, Bytes buffer) {
  const auto open = registryKeys_.find(key);
  if (open == registryKeys_.end()) {
    violation("RegQueryValueExA: key " + hexValue(static_cast<std::uint32_t>(key)) + " is not open");
    return {};
  }
  auto& values = registry[open->second];
  const auto value = findNoCase(values, valueName);
  if (value == values.end()) return {};
  const auto size = static_cast<std::uint32_t>(value->second.size());
  if (value->second.size() > buffer.size()) return {false, size};
  std::copy(value->second.begin(), value->second.end(), buffer.begin());
  return {true, size};
}

bool SimMachine::closeRegistryKey(RegistryKeyValue key) {
  if (registryKeys_.erase(key) == 0) {
    violation("RegCloseKey: key " + hexValue(static_cast<std::uint32_t>(key)) + " is not open");
    return false;
  }
  return true;
}

// --- ASPI ---------------------------------------------------------------------

ModuleValue SimMachine::loadLibrary(std::string_view name) {
  const bool isAspi = equalNoCase(name, kAspiModuleName) || equalNoCase(name, "WNASPI32.DLL");
  if (!isAspi || description_.aspi == AspiLayerState::Missing) return ModuleValue::None;
  ++moduleLoads_;
  return kAspiModule;
}

EntryPointValue SimMachine::procAddress(ModuleValue module, std::string_view name) {
  if (module != kAspiModule || moduleLoads_ == 0) return EntryPointValue::None;
  if (name == kSupportInfoName) return kSupportInfoEntry;
  if (name == kSendCommandName && description_.aspi != AspiLayerState::MissingEntryPoint) return kSendCommandEntry;
  return EntryPointValue::None;
}

bool SimMachine::freeLibrary(ModuleValue module) {
  if (module != kAspiModule || moduleLoads_ == 0) {
    violation("FreeLibrary: module " + hexValue(static_cast<std::uint32_t>(module)) + " is not loaded");
    return false;
  }
  --moduleLoads_;
  // An unloaded layer gives back the requests it still held.
  if (moduleLoads_ == 0) aspiPosting_.postAllNow(aspi_srb::kAborted);
  return true;
}

std::uint32_t SimMachine::aspiAdapterCount() const {
  if (description_.aspi == AspiLayerState::NoAdapter) return 0;
  std::uint32_t adapters = 1;
  for (const auto& reader : readers_) {
    adapters = std::max(adapters, static_cast<std::uint32_t>(reader.description.aspiAdapter) + 1);
  }
  return adapters;
}

std::uint32_t SimMachine::getAspi32SupportInfo(EntryPointValue entry) {
  if (entry != kSupportInfoEntry || moduleLoads_ == 0) {
    violation("GetASPI32SupportInfo: called without a loaded ASPI module");
    return 0;
  }
  const std::uint32_t status = description_.aspi == AspiLayerState::BadStatus ? kAspiFailedInit : kAspiReady;
  return status << 8 | (aspiAdapterCount() & 0xFF);
}

std::uint32_t SimMachine::sendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) {
  if (entry != kSendCommandEntry || moduleLoads_ == 0) {
    violation("SendASPI32Command: called without a loaded ASPI module");
    return kAspiError;
  }
  if (requestBlock.size() < aspi_srb::kStructureSize) {
    // Too short to carry a status: the layer cannot post it.
    violation(std::string(routeName(AccessRoute::Aspi)) + " request block: size " +
              std::to_string(requestBlock.size()) + ", expected 256");
    dataAddresses_.clear();
    return kAspiError;
  }
  const AspiCompletion completion = carryAspiRequest(requestBlock);
  // A data address is good for the request it was made for.
  dataAddresses_.clear();
  aspiPosting_.queue(requestBlock, posting, completion, elapsedMs_ + aspiPostingDelayMs);
  aspiPosting_.runUntil(elapsedMs_);
  return aspi_srb::kPending;
}

SimReader* SimMachine::readerAtAspi(std::uint8_t adapter, std::uint8_t target) {
  for (auto& reader : readers_) {
    if (!reader.present()) continue;  // its target is empty now
    const auto& targets = reader.description.aspiTargets;
    const bool atTarget = std::find(targets.begin(), targets.end(), target) != targets.end();
    if (reader.description.aspiAdapter == adapter && atTarget) return &reader;
  }
  return nullptr;
}

// The device's part happens at once; only the posting waits for its time.
AspiCompletion SimMachine::carryAspiRequest(Bytes requestBlock) {
  const SimAspiCheck check = checkAspiRequest(requestBlock, dataAddresses_);
  if (!check.request) {
    violation(std::string(routeName(AccessRoute::Aspi)) + ' ' + check.violation);
    return {aspi_srb::kError, 0, 0};
  }
  const SimAspiRequest& request = *check.request;
  const std::uint32_t adapters = aspiAdapterCount();
  SimReader* reader = request.adapter < adapters ? readerAtAspi(request.adapter, request.target) : nullptr;
  const SimAspiAnswer answer =
      reader != nullptr ? answerAspiFromReader(*reader, request) : answerAspiNoReader(request, adapters);

  TranscriptEvent event = ioEvent(AccessRoute::Aspi, aspiRequestName(request), reader != nullptr ? reader->number : 0,
                                  answer.completion.srbStatus == aspi_srb::kComplete);
  event.cdb = hexDigits(ConstBytes(request.cdb).first(request.cdbLength));
  event.length = request.bufLen;
  event.status = answer.ispStatus;
  recordIo(std::move(event));
  return answer.completion;
}

FileLockResult SimMachine::lockFile(const std::filesystem::path& path) {
  const FileLockResult result = lockHostFile(path);
  if (result.status == FileLockStatus::Locked) fileLocks_.insert(result.lock);
  return result;
}

bool SimMachine::unlockFile(FileLockValue lock) {
  if (fileLocks_.erase(lock) == 0) {
    violation("unlockFile: lock " + hexValue(static_cast<std::uint32_t>(lock)) + " is not held");
    return false;
  }
  return unlockHostFile(lock);
}

// --- Files ---------------------------------------------------------------------------

bool SimMachine::isOpenNewFile(std::string_view call, NewFileValue file) {
  if (newFiles_.contains(file)) return true;
  violation(std::string(call) + ": file " + hexValue(static_cast<std::uint32_t>(file)) + " is not open");
  return false;
}

NewFileResult SimMachine::createNewFile(const std::filesystem::path& path) {
  if (fileFaults.next(FileCall::CreateNewFile)) return {};
  const NewFileResult result = createNewHostFile(path);
  if (result.status == NewFileStatus::Created) newFiles_.insert(result.file);
  return result;
}

AppendFileResult SimMachine::openFileForAppend(const std::filesystem::path& path) {
  if (fileFaults.next(FileCall::OpenForAppend)) return {};
  const AppendFileResult result = openHostFileForAppend(path);
  if (result.ok) newFiles_.insert(result.file);
  return result;
}

FileWriteResult SimMachine::writeFile(NewFileValue file, std::string_view data) {
  const std::optional<FileFault> fault = fileFaults.next(FileCall::WriteFile);
  if (!isOpenNewFile("writeFile", file)) return {};
  if (!fault) return writeHostFile(file, data);
  const std::string_view firstHalf = data.substr(0, data.size() / 2);
  switch (*fault) {
    case FileFault::ShortWrite:
    case FileFault::ShortWriteThenFails:
      return writeHostFile(file, firstHalf.empty() ? data.substr(0, 1) : firstHalf);
    case FileFault::DiskFull:
      // The part that found room stays in the file; the call still fails.
      writeHostFile(file, firstHalf);
      return {};
    default: return {};
  }
}

bool SimMachine::flushFile(NewFileValue file) {
  const bool fails = fileFaults.next(FileCall::FlushFile).has_value();
  return isOpenNewFile("flushFile", file) && !fails && flushHostFile(file);
}

bool SimMachine::closeFile(NewFileValue file) {
  const bool fails = fileFaults.next(FileCall::CloseFile).has_value();
  if (!isOpenNewFile("closeFile", file)) return false;
  newFiles_.erase(file);
  // Closed either way, as the system does.
  const bool closed = closeHostFile(file);
  return closed && !fails;
}

bool SimMachine::renameFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (fileFaults.next(FileCall::RenameFile)) return false;
  return renameHostFile(from, to);
}

bool SimMachine::removeFile(const std::filesystem::path& path) { return removeHostFile(path); }

bool SimMachine::isReadOnlyFile(const std::filesystem::path& path) { return isReadOnlyHostFile(path); }

}  // namespace updater
