#include "platform/sim/sim_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/port_owned.h"
#include "testing/pass_through_request.h"
#include "testing/temporary_directory.h"

namespace updater {
namespace {

constexpr std::uint32_t kDriveAccess = kGenericRead | kGenericWrite;
constexpr std::uint32_t kDriveShare = kFileShareRead | kFileShareWrite;

MachineDescription twoReaders() {
  MachineDescription description;
  description.drives = "CD";
  ReaderDescription first;
  first.letters = "EF";
  ReaderDescription second;
  second.letters = "H";
  description.readers = {first, second};
  return description;
}

class SimMachineTest : public ::testing::Test {
 protected:
  explicit SimMachineTest(const MachineDescription& description = twoReaders()) : machine_(transcript_, description) {}

  std::vector<std::string> ioNames() const {
    std::vector<std::string> names;
    for (const auto& event : machine_.requests()) names.push_back(event.name);
    return names;
  }

  Transcript transcript_;
  SimMachine machine_;
};

TEST_F(SimMachineTest, LogicalDrivesHoldThePlainDrivesAndEveryReaderLetter) {
  EXPECT_EQ(machine_.logicalDrives(), (1u << 2) | (1u << 3) | (1u << 4) | (1u << 5) | (1u << 7));
}

TEST_F(SimMachineTest, HandlesAreCountedUntilClosed) {
  const HandleValue c = openDrive(machine_, 'C');
  const HandleValue f = openDrive(machine_, 'F');
  ASSERT_NE(c, HandleValue::Invalid);
  ASSERT_NE(f, HandleValue::Invalid);
  EXPECT_NE(c, f);
  EXPECT_EQ(machine_.openHandleCount(), 2u);
  EXPECT_TRUE(machine_.closeHandle(c));
  EXPECT_EQ(machine_.openHandleCount(), 1u);
  EXPECT_TRUE(machine_.closeHandle(f));
  EXPECT_EQ(machine_.openHandleCount(), 0u);
  EXPECT_TRUE(machine_.violations().empty());

  const auto closes = machine_.requests("close");
  ASSERT_EQ(closes.size(), 2u);
  EXPECT_EQ(closes[0].reader, 0) << "drive C holds no reader";
  EXPECT_EQ(closes[1].reader, 1);
  EXPECT_EQ(closes[1].route, "PassThrough");
}

TEST_F(SimMachineTest, ClosingTwiceOrUsingAClosedHandleIsAViolation) {
  const HandleValue drive = openDrive(machine_, 'E');
  machine_.closeHandle(drive);
  EXPECT_FALSE(machine_.closeHandle(drive));
  auto request = inquiryRequest();
  EXPECT_FALSE(sendPassThrough(machine_, drive, request).ok);
  ASSERT_EQ(machine_.violations().size(), 2u);
  EXPECT_EQ(machine_.violations()[0].rfind("CloseHandle: handle 0x", 0), 0u) << machine_.violations()[0];
  EXPECT_EQ(machine_.violations()[1].rfind("DeviceIoControl: handle 0x", 0), 0u) << machine_.violations()[1];
  EXPECT_EQ(machine_.reader(1).requestCount("inquiry"), 0);
}

TEST_F(SimMachineTest, OwnerClosesOnEveryPath) {
  {
    UniqueHandle drive = openOwned(machine_, "\\\\.\\E:", kDriveAccess, kDriveShare, kOpenExisting, 0);
    ASSERT_TRUE(drive.isOpen());
    EXPECT_EQ(machine_.openHandleCount(), 1u);
    UniqueHandle moved = std::move(drive);
    EXPECT_FALSE(drive.isOpen());  // NOLINT(bugprone-use-after-move): the moved-from owner must hold nothing
    EXPECT_EQ(machine_.openHandleCount(), 1u);
  }
  EXPECT_EQ(machine_.openHandleCount(), 0u);

  UniqueHandle failed = openOwned(machine_, "\\\\.\\Q:", kDriveAccess, kDriveShare, kOpenExisting, 0);
  EXPECT_FALSE(failed.isOpen());
  EXPECT_EQ(failed.get(), HandleValue::Null) << "a failed open is held as nothing";

  UniqueHandle reopened = openOwned(machine_, "\\\\.\\C:", kDriveAccess, kDriveShare, kOpenExisting, 0);
  reopened = openOwned(machine_, "\\\\.\\D:", kDriveAccess, kDriveShare, kOpenExisting, 0);
  EXPECT_EQ(machine_.openHandleCount(), 1u) << "assignment closed the first";
  const HandleValue kept = reopened.release();
  EXPECT_EQ(machine_.openHandleCount(), 1u);
  machine_.closeHandle(kept);
  EXPECT_TRUE(machine_.violations().empty());
}

TEST_F(SimMachineTest, DriveNamesOpenOnlyWhenTheDriveExists) {
  EXPECT_EQ(openDrive(machine_, 'G'), HandleValue::Invalid);
  EXPECT_EQ(machine_.createFile("E:", kDriveAccess, kDriveShare, kOpenExisting, 0), HandleValue::Invalid);
  EXPECT_EQ(machine_.createFile("\\\\.\\", kDriveAccess, kDriveShare, kOpenExisting, 0), HandleValue::Invalid);
  const HandleValue lower = machine_.createFile("\\\\.\\h:", kDriveAccess, kDriveShare, kOpenExisting, 0);
  EXPECT_NE(lower, HandleValue::Invalid) << "device names ignore case";
  machine_.closeHandle(lower);
  EXPECT_EQ(machine_.openHandleCount(), 0u);
  EXPECT_TRUE(machine_.violations().empty());
}

TEST_F(SimMachineTest, OpenArgumentsAreChecked) {
  struct Row {
    const char* name;
    std::uint32_t access, share, disposition, flags;
    const char* violation;
  };
  const Row rows[] = {
      {"read only", kGenericRead, kDriveShare, kOpenExisting, 0,
       "CreateFileA \\\\.\\E:: dwDesiredAccess 0x80000000, expected 0xc0000000"},
      {"no sharing", kDriveAccess, 0, kOpenExisting, 0, "CreateFileA \\\\.\\E:: dwShareMode 0x0, expected 0x3"},
      {"create", kDriveAccess, kDriveShare, 1, 0, "CreateFileA \\\\.\\E:: dwCreationDisposition 0x1, expected 0x3"},
      {"flags", kDriveAccess, kDriveShare, kOpenExisting, kFileFlagDeleteOnClose,
       "CreateFileA \\\\.\\E:: dwFlagsAndAttributes 0x4000000, expected 0x0"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(machine_.createFile("\\\\.\\E:", row.access, row.share, row.disposition, row.flags), HandleValue::Invalid)
        << row.name;
    EXPECT_EQ(machine_.violations().back(), row.violation) << row.name;
  }
  EXPECT_EQ(machine_.openHandleCount(), 0u);
  EXPECT_TRUE(machine_.requests("open").empty());
}

TEST_F(SimMachineTest, InjectedOpenFailureCountsPerReader) {
  machine_.reader(1).failures.failures = {{"open", 2, FailureKind::Transport}};
  const HandleValue first = openDrive(machine_, 'E');
  const HandleValue otherReader = openDrive(machine_, 'H');
  const HandleValue second = openDrive(machine_, 'F');
  const HandleValue third = openDrive(machine_, 'E');
  EXPECT_NE(first, HandleValue::Invalid);
  EXPECT_NE(otherReader, HandleValue::Invalid);
  EXPECT_EQ(second, HandleValue::Invalid) << "the second open of reader 1";
  EXPECT_NE(third, HandleValue::Invalid);

  const auto opens = machine_.requests("open");
  ASSERT_EQ(opens.size(), 4u);
  EXPECT_EQ(opens[1].reader, 2);
  EXPECT_EQ(opens[2].reader, 1);
  EXPECT_FALSE(opens[2].ok);
  EXPECT_EQ(machine_.openHandleCount(), 3u);
  for (const HandleValue handle : {first, otherReader, third}) machine_.closeHandle(handle);
  EXPECT_EQ(machine_.openHandleCount(), 0u);
  EXPECT_EQ(ioNames(), (std::vector<std::string>{"open", "open", "open", "open", "close", "close", "close"}));
}

TEST_F(SimMachineTest, AnUnpluggedReaderTakesItsLettersAndFailsItsOpenHandles) {
  machine_.reader(1).failures.failures = {{"inquiry", 1, FailureKind::Unplugged}};
  const HandleValue drive = openDrive(machine_, 'E');
  ASSERT_NE(drive, HandleValue::Invalid);
  auto request = inquiryRequest();
  EXPECT_FALSE(sendPassThrough(machine_, drive, request).ok) << "unplugged as the request went out";
  EXPECT_FALSE(sendPassThrough(machine_, drive, request).ok) << "and gone for the next one";
  EXPECT_EQ(machine_.logicalDrives(), (1u << 2) | (1u << 3) | (1u << 7));
  EXPECT_EQ(openDrive(machine_, 'F'), HandleValue::Invalid);
  EXPECT_NE(openDrive(machine_, 'H'), HandleValue::Invalid) << "the other reader stays";
  EXPECT_FALSE(machine_.reader(1).present());
  EXPECT_TRUE(machine_.closeHandle(drive)) << "a handle to a vanished drive still closes";
}

TEST_F(SimMachineTest, OutputMustBeTheInputBuffer) {
  const HandleValue drive = openDrive(machine_, 'E');
  auto request = inquiryRequest();
  std::vector<Byte> copy = request.buffer;
  const DeviceIoResult result = machine_.deviceIoControl(drive, 0x4D004, ConstBytes(copy).first(44), request.output());
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(machine_.violations().back(), "PassThrough inquiry: output buffer is not the input buffer");

  EXPECT_FALSE(machine_.deviceIoControl(drive, 0x41, request.input(), request.output()).ok);
  EXPECT_EQ(machine_.violations().back(), "DeviceIoControl \\\\.\\E:: control code 0x41, expected 0x4d004");
  machine_.closeHandle(drive);
}

// --- Clock, date, version, console ---------------------------------------------

TEST(SimMachine, VersionWordFollowsTheWindowsFields) {
  struct Row {
    const char* name;
    WindowsVersion windows;
    std::uint32_t word;
  };
  const Row rows[] = {
      {"XP", {true, 5, 1}, 0x00000105},   {"2000", {true, 5, 0}, 0x00000005}, {"Vista", {true, 6, 0}, 0x00000006},
      {"98", {false, 4, 10}, 0x80000A04}, {"ME", {false, 4, 90}, 0x80005A04},
  };
  for (const auto& row : rows) {
    Transcript transcript;
    MachineDescription description;
    description.windows = row.windows;
    SimMachine machine(transcript, description);
    EXPECT_EQ(machine.versionWord(), row.word) << row.name;
  }
}

TEST(SimMachine, DateDefaultsToTheHostDateAndSleepOnlyAdvancesTheClock) {
  Transcript transcript;
  SimMachine host(transcript);
  EXPECT_EQ(host.localDate(), hostLocalDate());

  MachineDescription description;
  description.date = LocalDate{2008, 2, 29};
  SimMachine machine(transcript, description);
  EXPECT_EQ(machine.localDate(), (LocalDate{2008, 2, 29}));
  machine.sleep(100);
  machine.sleep(3000);
  EXPECT_EQ(machine.elapsedMs(), 3100u);
  EXPECT_EQ(machine.sleeps(), (std::vector<std::uint32_t>{100, 3000}));
  machine.consoleLine("Loading UdskIO.Sys is Failed!");
  const auto console = transcript.ofKind(EventKind::Console);
  ASSERT_EQ(console.size(), 1u);
  EXPECT_EQ(console[0].text, "Loading UdskIO.Sys is Failed!");
  EXPECT_EQ(transcript.ofKind(EventKind::Sleep).size(), 2u);
}

// --- Self drivers, registry, ASPI ----------------------------------------------

TEST(SimMachine, SelfDriversOpenByTheirBaseNameWhenInstalled) {
  Transcript transcript;
  MachineDescription description;
  description.windows = {false, 4, 10};
  description.selfDrivers = {"UDSKIO", "KV20DISK"};
  SimMachine machine(transcript, description);

  EXPECT_EQ(machine.createFile("\\\\.\\QM_URDR", kDriveAccess, 0, kOpenExisting, 0), HandleValue::Invalid);
  const HandleValue port = machine.createFile("\\\\.\\UDSKIO", kDriveAccess, 0, kOpenExisting, 0);
  const HandleValue dynamic =
      machine.createFile("\\\\.\\KV20DISK", kDriveAccess, 0, kOpenExisting, kFileFlagDeleteOnClose);
  EXPECT_NE(port, HandleValue::Invalid);
  EXPECT_NE(dynamic, HandleValue::Invalid);
  EXPECT_EQ(machine.createFile("\\\\.\\UDSKIO", kDriveAccess, 0, kOpenExisting, kFileFlagDeleteOnClose),
            HandleValue::Invalid);
  EXPECT_EQ(machine.violations().back(), "CreateFileA \\\\.\\UDSKIO: dwFlagsAndAttributes 0x4000000, expected 0x0");
  EXPECT_EQ(machine.createFile("\\\\.\\UDSKIO", kDriveAccess, kDriveShare, kOpenExisting, 0), HandleValue::Invalid);
  EXPECT_EQ(machine.violations().back(), "CreateFileA \\\\.\\UDSKIO: dwShareMode 0x3, expected 0x0");

  const auto opens = machine.requests("open");
  ASSERT_EQ(opens.size(), 2u);
  EXPECT_EQ(opens[0].route, "SelfDriverPort");
  EXPECT_EQ(opens[1].route, "SelfDriverDynamic");
  EXPECT_EQ(machine.openHandleCount(), 2u);
  machine.closeHandle(port);
  machine.closeHandle(dynamic);
  EXPECT_EQ(machine.openHandleCount(), 0u);
}

TEST(SimMachine, RegistryAnswersWhatWasPutIntoIt) {
  Transcript transcript;
  SimMachine machine(transcript);
  const std::string key = "Enum\\SCSI\\Generic_USB_Reader_____1\\USBSTOR&DISK&000";
  machine.registry[key]["CurrentDriveLetterAssignment"] = {'E', 0};

  EXPECT_EQ(machine.openRegistryKey("Enum\\SCSI\\missing", kKeyAllAccess), RegistryKeyValue::None);
  UniqueRegistryKey opened(
      machine, machine.openRegistryKey("enum\\scsi\\GENERIC_USB_Reader_____1\\usbstor&disk&000", kKeyAllAccess));
  ASSERT_TRUE(opened.isOpen());
  EXPECT_EQ(machine.openRegistryKeyCount(), 1u);

  std::vector<Byte> buffer(5, 0xFF);
  const RegistryValueResult value = machine.queryRegistryValue(opened.get(), "CurrentDriveLetterAssignment", buffer);
  EXPECT_TRUE(value.ok);
  EXPECT_EQ(value.size, 2u);
  EXPECT_EQ(buffer, (std::vector<Byte>{'E', 0, 0xFF, 0xFF, 0xFF}));

  std::vector<Byte> small(1, 0xFF);
  const RegistryValueResult tooLarge = machine.queryRegistryValue(opened.get(), "CurrentDriveLetterAssignment", small);
  EXPECT_FALSE(tooLarge.ok);
  EXPECT_EQ(tooLarge.size, 2u);
  EXPECT_EQ(small[0], 0xFF) << "untouched";
  EXPECT_FALSE(machine.queryRegistryValue(opened.get(), "Other", buffer).ok);

  opened.reset();
  EXPECT_EQ(machine.openRegistryKeyCount(), 0u);
  EXPECT_TRUE(machine.violations().empty());
}

TEST(SimMachine, AspiLayerStatesShowInLoadAndSupportInfo) {
  struct Row {
    const char* name;
    AspiLayerState state;
    bool loads;
    bool sendEntry;
    std::uint32_t supportInfo;
  };
  const Row rows[] = {
      {"ready", AspiLayerState::Ready, true, true, 0x0103},
      {"missing", AspiLayerState::Missing, false, false, 0},
      {"missing entry point", AspiLayerState::MissingEntryPoint, true, false, 0x0103},
      {"no adapter", AspiLayerState::NoAdapter, true, true, 0x0100},
      {"bad status", AspiLayerState::BadStatus, true, true, 0xE403},
  };
  for (const auto& row : rows) {
    Transcript transcript;
    MachineDescription description;
    description.aspi = row.state;
    description.readers.resize(2);
    description.readers[1].aspiAdapter = 2;
    SimMachine machine(transcript, description);
    {
      UniqueModule module(machine, machine.loadLibrary("WNASPI32"));
      ASSERT_EQ(module.isOpen(), row.loads) << row.name;
      EXPECT_EQ(machine.loadedModuleCount(), row.loads ? 1 : 0) << row.name;
      if (!row.loads) continue;
      const EntryPointValue support = machine.procAddress(module.get(), "GetASPI32SupportInfo");
      const EntryPointValue send = machine.procAddress(module.get(), "SendASPI32Command");
      EXPECT_NE(support, EntryPointValue::None) << row.name;
      EXPECT_EQ(send != EntryPointValue::None, row.sendEntry) << row.name;
      EXPECT_EQ(machine.getAspi32SupportInfo(support), row.supportInfo) << row.name;
    }
    EXPECT_EQ(machine.loadedModuleCount(), 0) << row.name;
    EXPECT_TRUE(machine.violations().empty()) << row.name;
  }
}

TEST(SimMachine, DataAddressesLastForOneRequest) {
  Transcript transcript;
  SimMachine machine(transcript);
  std::vector<Byte> answer(8);
  std::vector<Byte> image(1000);
  const DataAddress first = machine.dataAddress(answer);
  EXPECT_NE(first, 0u);
  EXPECT_NE(machine.dataAddress(image), first);
  EXPECT_EQ(machine.dataAddress({}), 0u);

  const HandleValue drive = openDrive(machine, 'C');
  auto request = inquiryRequest();
  sendPassThrough(machine, drive, request);
  machine.closeHandle(drive);
  EXPECT_EQ(machine.dataAddress(image), first) << "the request dropped the earlier addresses";
}

TEST(SimMachine, FileLocksAreTheHostsSoTwoMachinesContend) {
  TemporaryDirectory directory;
  const std::filesystem::path path = directory.path() / "counter.lock";
  Transcript firstTranscript;
  Transcript secondTranscript;
  SimMachine first(firstTranscript);
  {
    SimMachine second(secondTranscript);
    const FileLockResult held = first.lockFile(path);
    ASSERT_EQ(held.status, FileLockStatus::Locked);
    EXPECT_EQ(first.heldFileLockCount(), 1u);
    EXPECT_EQ(second.lockFile(path).status, FileLockStatus::HeldElsewhere);
    EXPECT_EQ(second.heldFileLockCount(), 0u);

    EXPECT_TRUE(first.unlockFile(held.lock));
    EXPECT_EQ(first.heldFileLockCount(), 0u);
    ASSERT_EQ(second.lockFile(path).status, FileLockStatus::Locked);
    EXPECT_EQ(first.lockFile(path).status, FileLockStatus::HeldElsewhere);
  }
  // The second machine went away holding the lock, as a process may end.
  const FileLockResult after = first.lockFile(path);
  ASSERT_EQ(after.status, FileLockStatus::Locked);
  EXPECT_TRUE(first.unlockFile(after.lock));
  EXPECT_TRUE(first.violations().empty());
  EXPECT_TRUE(secondTranscript.ofKind(EventKind::Violation).empty());
}

TEST(SimMachine, ReleasingALockTwiceOrOneNeverTakenIsAViolation) {
  TemporaryDirectory directory;
  Transcript transcript;
  SimMachine machine(transcript);
  const FileLockResult held = machine.lockFile(directory.path() / "counter.lock");
  ASSERT_EQ(held.status, FileLockStatus::Locked);
  EXPECT_TRUE(machine.unlockFile(held.lock));
  EXPECT_FALSE(machine.unlockFile(held.lock));
  EXPECT_FALSE(machine.unlockFile(FileLockValue{0x7777}));
  ASSERT_EQ(machine.violations().size(), 2u);
  EXPECT_EQ(machine.violations()[0].rfind("unlockFile: lock 0x", 0), 0u) << machine.violations()[0];
  EXPECT_EQ(machine.violations()[1], "unlockFile: lock 0x7777 is not held");
  EXPECT_EQ(machine.heldFileLockCount(), 0u);
}

TEST(SimMachine, LockOwnerReleasesOnEveryPath) {
  TemporaryDirectory directory;
  const std::filesystem::path path = directory.path() / "counter.lock";
  Transcript transcript;
  SimMachine machine(transcript);
  {
    const UniqueFileLock lock(machine, machine.lockFile(path).lock);
    EXPECT_TRUE(lock.isOpen());
    const UniqueFileLock refused(machine, machine.lockFile(path).lock);
    EXPECT_FALSE(refused.isOpen()) << "a refused lock is held as nothing";
  }
  EXPECT_EQ(machine.heldFileLockCount(), 0u);
  EXPECT_TRUE(machine.violations().empty());
}

}  // namespace
}  // namespace updater
