#pragma once

// A simulated PC as data: its Windows version and date, its drives, the self
// drivers and ASPI layer installed, and the card readers attached. The
// machine file is read into this record; tests fill it in code. Every field
// has the machine file's default.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/bytes.h"
#include "platform/port.h"
#include "platform/sim/failure_plan.h"
#include "platform/reader_session.h"
#include "platform/sim/sim_loader.h"

namespace updater {

struct WindowsVersion {
  bool nt = true;
  int major = 5;  // 0..255
  int minor = 1;  // 0..255
};

/// GetVersion's word for `windows` (build number 0).
std::uint32_t versionWord(const WindowsVersion& windows);

/// The three texts of an INQUIRY answer, without their blank padding; each
/// at most 8, 16 and 4 characters.
struct ReaderInquiry {
  std::string vendor = "Generic";
  std::string product = "USB Reader";
  std::string revision = "1.00";
};

/// What a drive that holds no reader answers to INQUIRY.
ReaderInquiry plainDiskInquiry();

/// Scripted answers of the Memory Stick controller's loader, per kind of the
/// last command, as LoaderScript.
struct MsLoaderScript {
  std::vector<Byte> jump;
  std::vector<Byte> transfer;
  std::vector<Byte> back;
};

enum class AspiLayerState { Ready, Missing, MissingEntryPoint, NoAdapter, BadStatus };

/// The machine file's word for each state.
inline constexpr std::pair<const char*, AspiLayerState> kAspiStateNames[] = {
    {"ready", AspiLayerState::Ready},
    {"missing", AspiLayerState::Missing},
    {"missingEntryPoint", AspiLayerState::MissingEntryPoint},
    {"noAdapter", AspiLayerState::NoAdapter},
    {"badStatus", AspiLayerState::BadStatus}};

inline constexpr std::size_t kIdentifyBlockSize = 528;
using IdentifyBlock = std::array<Byte, kIdentifyBlockSize>;

struct ReaderDescription {
  /// Drive letters of its logical units, unit 0 first, upper case.
  std::string letters;
  /// On a host without drive letters, the names of the units at those
  /// letters ("sdb"), one per letter; empty on Windows.
  std::vector<std::string> unitNames;
  /// What the self drivers' unit-count command answers; none: the number of letters.
  std::optional<int> units;
  ReaderInquiry inquiry;

  // Identity: the identify block is built from these, unless `identify` is given.
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string manufacturer;  // up to 24
  std::string product;       // up to 16
  std::string serial;        // up to 12
  /// The inquiry texts inside the identify block; none: the same as `inquiry`.
  std::optional<ReaderInquiry> identifyInquiry;
  std::array<Byte, 8> fwRevision{};
  std::array<Byte, 8> usb20FwRevision{};
  std::array<Byte, 4> fwRevisionOrg{};
  std::array<Byte, 3> hwRevision{};
  std::string msRevision;        // up to 8, while the Memory Stick controller runs its main program
  std::string msLoaderRevision;  // up to 8, while it runs its loader
  std::optional<IdentifyBlock> identify;

  /// The firmware the controllers hold (the contents of the machine file's
  /// `firmware` and `msFirmware` files); empty: an empty flash.
  std::vector<Byte> firmware;
  std::vector<Byte> msFirmware;
  LoaderScript answers;
  MsLoaderScript msAnswers;
  std::vector<InjectedFailure> failures;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> compareSkips;
  int aspiAdapter = 0;
  std::vector<int> aspiTargets{0};
  /// A recorded session to answer from instead of the controller; none:
  /// the reader answers live.
  std::optional<ReaderSession> session;
};

struct MachineDescription {
  WindowsVersion windows;
  /// A host that is not Windows (its name and release); empty: Windows.
  HostSystem host;
  /// None: the host's local date when the machine is built.
  std::optional<LocalDate> date;
  /// Letters of drives that hold no reader, upper case.
  std::string drives = "C";
  /// Device base names of the installed self drivers ("UDSKIO", ...).
  std::vector<std::string> selfDrivers;
  /// What the self drivers' device-count command answers; none: the number of readers.
  std::optional<int> selfDriverDeviceCount;
  AspiLayerState aspi = AspiLayerState::Ready;
  /// In the order the self drivers number them; reader N of the transcript is readers[N-1].
  std::vector<ReaderDescription> readers;
};

/// The self drivers a machine may have, by the base name the program opens.
inline constexpr std::array<const char*, 4> kSelfDriverNames = {"UDSKIO", "KVDKPDRV", "QM_URDR", "KV20DISK"};

/// The request names of the failure list and of the transcript's io events.
inline constexpr std::array<const char*, 14> kRequestNames = {
    "open",       "inquiry",   "deviceIdentify", "driverIdentify13", "driverIdentify03",
    "identifyA",  "identifyB", "fwRevision",     "deviceCount",      "unitCount",
    "blockWrite", "jumpToIsp", "getIspStatus",   "sendIspData"};

}  // namespace updater
