#pragma once

// The serial-number counter and its file SERIAL.TXT in the working
// directory: three hexadecimal numbers read as "%x %x %x" and written as
// "0x%x 0x%x 0x%x " (a blank after each, no line end). Every device the ISP
// job programs gets a 12-character serial number made from the counter and
// the date; the running number advances after each successful programming.

#include <array>
#include <filesystem>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/port.h"

namespace updater {

/// The counter, all 0 at start-up; kept in memory between jobs.
struct SerialCounter {
  std::uint32_t cem = 0;  // 0x00..0xFF: characters 1 and 2 of the serial number
  std::uint32_t pc = 0;   // 0x00..0xFF: characters 7 and 8
  std::uint32_t cnt = 0;  // 0x0000..0xFFFF: the running number, characters 9 to 12

  bool operator==(const SerialCounter&) const = default;
};

inline constexpr std::string_view kSerialFileName = "SERIAL.TXT";

/// The three numbers take a few dozen bytes. A larger file is no counter
/// (it is NotCorrect), and is never read.
inline constexpr std::uintmax_t kSerialFileMaxBytes = 1 << 20;

enum class SerialLoadResult { Ok, CannotOpen, NotCorrect };
enum class SerialSaveResult { Ok, CannotSave };

/// The operator's text for a result: empty for Ok.
std::string_view serialLoadMessage(SerialLoadResult result);
std::string_view serialSaveMessage(SerialSaveResult result);

/// Reads the text of a SERIAL.TXT as "%x %x %x" does: each number after
/// optional white space, with an optional sign and "0x"/"0X" prefix, in
/// either case. A number that cannot be read (the text ends, or something
/// else stands there) leaves its field and the ones after it at their value
/// in `counter`. The result is NotCorrect when `cem` or `pc` ends above 0xFF,
/// `cnt` above 0xFFFF, or a number needs more than 32 bits; `counter` then
/// keeps its values, so it only ever holds a counter that was accepted.
SerialLoadResult parseSerialCounter(std::string_view text, SerialCounter& counter);

/// Loads `counter` from SERIAL.TXT in `directory` (parseSerialCounter over
/// the file's text). CannotOpen when the file cannot
/// be opened for reading or is no plain file (see common/plain_file.h);
/// NotCorrect when it is larger than kSerialFileMaxBytes. The counter is then
/// unchanged.
SerialLoadResult loadSerialCounter(const std::filesystem::path& directory, SerialCounter& counter);

/// The written form: "0x%x 0x%x 0x%x " of `cem`, `pc` and `cnt`.
std::string serialCounterText(const SerialCounter& counter);

/// Writes `counter` to SERIAL.TXT in `directory`, in its written form,
/// through `port`'s file calls. The file is replaced whole (see
/// file_replacement.h): on CannotSave the previous SERIAL.TXT is still
/// there, unchanged, and no staging file is left.
SerialSaveResult saveSerialCounter(Port& port, const std::filesystem::path& directory, const SerialCounter& counter);

/// `cnt` + 1, wrapping from 0xFFFF to 0; `cem` and `pc` never change.
void advanceSerialCounter(SerialCounter& counter);

inline constexpr std::size_t kSerialNumberLength = 12;
/// Upper-case hexadecimal characters, not terminated.
using SerialNumber = std::array<char, kSerialNumberLength>;

/// The serial number of a device programmed on `date`, one hexadecimal digit
/// per 4 bits: `cem` (2), year - 2000 bits 3..0, month, year bits 6..4 with
/// day bit 4 below them, day bits 3..0, `pc` (2), `cnt` (4). 0x12, 0x34, 5 on
/// 25 December 2007 give "127C19340005". Years up to 2000 are refused by the
/// ISP job before it gets here.
SerialNumber makeSerialNumber(const SerialCounter& counter, const LocalDate& date);

}  // namespace updater
