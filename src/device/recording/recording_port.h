#pragma once

// A port that hands every call to the port it wraps and writes down what
// the program's readers saw on the pass-through route: each
// IOCTL_SCSI_PASS_THROUGH request sent on a drive-letter handle
// ("\\.\E:"), at the reader's level (its request name, command block and
// data-out bytes), with the answer it got (a failed call, or the SCSI
// status, the data-in bytes and the sense data). The requests are read from
// the program's own 32-bit request layout (platform/scsi_pass_through.h),
// above any conversion the port below makes for a 64-bit Windows.
//
// Opening a drive is not a request of the session: the simulated machine
// answers opens itself and keeps only the control calls in a reader's
// session, and a replay must meet the same list. The self-driver and ASPI
// routes (Windows 98 and ME, and the NT self driver's own handle) are
// carried but not written down; the recording then holds the PC alone.
//
// Which letters are one reader: the letters whose first identify blocks
// are the same bytes, as a reader answers the same block on each of its
// units (the drive scan tells readers apart by the serial inside it). A
// letter that got nothing but INQUIRY requests held no reader the program
// took, and is recorded as a plain drive.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "device/recording/recorded_machine.h"
#include "platform/forwarding_port.h"

namespace updater {

class RecordingPort : public ForwardingPort {
 public:
  explicit RecordingPort(Port& inner) : ForwardingPort(inner) {}

  /// What the program saw so far. The date is the first the program read,
  /// or today's when it has read none yet.
  RecordedMachine recording();

  std::uint32_t versionWord() override;
  LocalDateTime localDateTime() override;
  std::uint32_t logicalDrives() override;
  HandleValue createFile(std::string_view name, std::uint32_t access, std::uint32_t shareMode,
                         std::uint32_t disposition, std::uint32_t flags) override;
  DeviceIoResult deviceIoControl(HandleValue handle, std::uint32_t controlCode, ConstBytes input,
                                 Bytes output) override;
  bool closeHandle(HandleValue handle) override;

 private:
  /// One request to the unit at a drive letter, with its answer.
  struct LetterExchange {
    char letter = 0;
    SessionExchange exchange;
  };

  static constexpr std::size_t kLetterCount = 26;

  /// What the exchanges say of one drive letter.
  struct LetterFacts {
    bool holdsReader = false;
    std::optional<std::vector<Byte>> identity;
  };

  std::array<LetterFacts, kLetterCount> letterFacts() const;
  /// Puts each letter that holds a reader into machine.readers (a new
  /// reader, or the one with the same identity) and every other letter seen
  /// into machine.drives; gives each letter's reader index, -1 for none.
  std::array<int, kLetterCount> assignReaders(RecordedMachine& machine) const;

  std::optional<std::uint32_t> versionWord_;
  std::optional<LocalDate> date_;
  /// The letters logicalDrives has reported, and those opened.
  std::uint32_t drivesSeen_ = 0;
  std::map<HandleValue, char> driveHandles_;
  std::vector<LetterExchange> exchanges_;
};

}  // namespace updater
