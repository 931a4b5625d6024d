#pragma once

// The simulated PC: the port the program runs on in tests and in the console
// front end. It is built from a MachineDescription (in code, or read from a
// machine file) and keeps its state readable: the readers with their flash,
// every request that reached a device, the violations, the open handles.
//
// Drive letters open by their device names ("\\.\E:") and answer SCSI
// pass-through requests; self drivers open by theirs and answer their request
// records (platform/sim/sim_self_driver.h). Every request is
// checked against the exact layout the program must send; one that deviates
// is rejected (the call fails) with a `violation` event naming the field.
// Requests that reach a device are written to the transcript as `io` events.
// Pauses only advance a virtual clock.
//
// A reader that plays back a recorded session answers from it; a request
// that differs from the one recorded is answered as a failed transfer and
// gives a `violation` event naming the request's place in the session and
// the first byte that differs.
//
// A reader unplugged by its failure plan (FailureKind::Unplugged) is gone
// from then on: its drive letters no longer exist (opens fail, handles
// already open fail every request), its ASPI target answers "no device", and
// the self drivers no longer count or reach it.
//
// The self drivers and the ASPI layer are simulated. The ASPI layer carries
// each request when it is sent and posts it on a thread of its own
// (platform/sim/aspi_posting_thread.h) after `aspiPostingDelayMs` of virtual
// time. The registry starts with the drive-letter keys of every reader
// (platform/sim/drive_letter_keys.h); a test may change it.
//
// File locks are the host's own (platform/file_lock.h) on the host folder
// the program works in, so two machines, in one process or in two, really
// contend for them. A machine that goes away releases the locks it still
// holds, as the end of a process does.
//
// The files the program writes are the host's own as well
// (platform/host_file.h), and any of those calls can be made to fail, or a
// write to go in short, by the machine's file fault plan
// (platform/sim/file_fault_plan.h). A file left open is closed when the
// machine goes away.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "device/access_route.h"
#include "platform/port.h"
#include "platform/sim/aspi_posting_thread.h"
#include "platform/sim/data_address_table.h"
#include "platform/sim/file_fault_plan.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/sim_reader.h"
#include "platform/sim/transcript.h"

namespace updater {

class SimMachine : public Port {
 public:
  explicit SimMachine(Transcript& transcript, const MachineDescription& description = {});
  ~SimMachine() override;
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  std::uint32_t versionWord() override { return version; }
  HostSystem hostSystem() override { return host; }
  void sleep(std::uint32_t milliseconds) override;
  /// The machine's date; its day starts at 09:00:00 when the program does
  /// and runs with the virtual clock.
  LocalDateTime localDateTime() override;
  void consoleLine(std::string_view line) override;

  std::uint32_t logicalDrives() override;
  std::string driveName(char letter) override;
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

  FileLockResult lockFile(const std::filesystem::path& path) override;
  bool unlockFile(FileLockValue lock) override;

  NewFileResult createNewFile(const std::filesystem::path& path) override;
  AppendFileResult openFileForAppend(const std::filesystem::path& path) override;
  FileWriteResult writeFile(NewFileValue file, std::string_view data) override;
  bool flushFile(NewFileValue file) override;
  bool closeFile(NewFileValue file) override;
  bool renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override;
  bool removeFile(const std::filesystem::path& path) override;
  bool isReadOnlyFile(const std::filesystem::path& path) override;

  /// Injected failures of the file calls; a test arms them. Its counts say
  /// which file calls were made.
  FileFaultPlan fileFaults;

  /// What the program reads at start-up; a test may change them.
  std::uint32_t version;
  HostSystem host;
  LocalDate date;

  /// Registry values under HKEY_LOCAL_MACHINE: key -> value name -> bytes.
  /// Key and value names match without regard to case, as Windows does.
  std::map<std::string, std::map<std::string, std::vector<Byte>>> registry;

  /// Virtual milliseconds from an ASPI request's send to its posting: 0
  /// posts it before SendASPI32Command returns; a later one is posted during
  /// the first pause that reaches its time. Requests still unposted when the
  /// module is unloaded are posted then, as aborted.
  std::uint32_t aspiPostingDelayMs = 0;
  /// ASPI postings queued and not yet run.
  std::size_t pendingAspiPostings() const { return aspiPosting_.pendingCount(); }

  const MachineDescription& description() const { return description_; }
  /// Reader `number` (1-based, machine-file order).
  SimReader& reader(int number) { return readers_.at(static_cast<std::size_t>(number - 1)); }
  std::vector<SimReader>& readers() { return readers_; }

  std::uint64_t elapsedMs() const { return elapsedMs_; }
  const std::vector<std::uint32_t>& sleeps() const { return sleeps_; }
  /// Every request that reached a device or driver, as its `io` event, kept
  /// whether or not the transcript keeps its trace.
  const std::vector<TranscriptEvent>& requests() const { return requests_; }
  /// The requests of one name ("sendIspData", "close", ...), in order.
  std::vector<TranscriptEvent> requests(std::string_view command) const;
  const std::vector<std::string>& violations() const { return violations_; }

  /// From now on every reader writes down its session (SimReader::recorded).
  void recordSessions();

  std::size_t openHandleCount() const { return handles_.size(); }
  std::size_t openRegistryKeyCount() const { return registryKeys_.size(); }
  /// Loads of the ASPI module not yet freed.
  int loadedModuleCount() const { return moduleLoads_; }
  /// File locks taken and not yet released.
  std::size_t heldFileLockCount() const { return fileLocks_.size(); }
  /// Files made by createNewFile or opened by openFileForAppend and not yet
  /// closed.
  std::size_t openNewFileCount() const { return newFiles_.size(); }

 private:
  struct OpenDevice {
    std::string name;   // as opened, for violation texts
    SimReader* reader;  // the reader on a drive letter; none for a plain drive or a driver
    bool isDrive;
    AccessRoute route;  // of its io events
  };

  HandleValue openDrive(std::string_view name, char letter, std::uint32_t access, std::uint32_t shareMode,
                        std::uint32_t disposition, std::uint32_t flags);
  HandleValue openSelfDriver(std::string_view name, std::string_view baseName, std::uint32_t access,
                             std::uint32_t shareMode, std::uint32_t disposition, std::uint32_t flags);
  HandleValue newHandle(OpenDevice device);
  DeviceIoResult passThrough(const OpenDevice& device, std::uint32_t controlCode, ConstBytes input, Bytes output);
  DeviceIoResult selfDriverRequest(const OpenDevice& device, std::uint32_t controlCode, ConstBytes input,
                                   Bytes output);
  void addDriveLetterKeys();
  bool driveExists(char letter) const;
  SimReader* readerOnLetter(char letter);
  void recordIo(TranscriptEvent event);
  /// A violation with `text`; `event` carries what it names besides.
  void violation(std::string text, TranscriptEvent event = {});
  /// The violation events of the requests that left a replayed session.
  void reportSessionDeviations();
  std::uint32_t aspiAdapterCount() const;
  SimReader* readerAtAspi(std::uint8_t adapter, std::uint8_t target);
  AspiCompletion carryAspiRequest(Bytes requestBlock);
  bool isOpenNewFile(std::string_view call, NewFileValue file);

  Transcript& transcript_;
  MachineDescription description_;
  std::vector<SimReader> readers_;
  std::uint64_t elapsedMs_ = 0;
  std::vector<std::uint32_t> sleeps_;
  std::vector<TranscriptEvent> requests_;
  std::vector<std::string> violations_;
  std::map<HandleValue, OpenDevice> handles_;
  std::uintptr_t nextHandle_ = 0x100;
  std::map<RegistryKeyValue, std::string> registryKeys_;
  std::uintptr_t nextRegistryKey_ = 0x200;
  int moduleLoads_ = 0;
  std::set<FileLockValue> fileLocks_;
  std::set<NewFileValue> newFiles_;
  DataAddressTable dataAddresses_;
  // Declared last, so destroyed first: its thread stops before anything it
  // might touch goes away.
  AspiPostingThread aspiPosting_;
};

/// The host's local calendar date.
LocalDate hostLocalDate();

}  // namespace updater
