#pragma once

// Loading the three files of a firmware image from a directory: the ROM code
// file, its address file and the BmpMap. Files are opened read-only in binary
// mode and closed on every way out. A failure comes back with the texts the
// operator sees; how they are shown is the job's.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "jobs/firmware_image.h"

namespace updater {

enum class ImageFileError {
  None,
  CannotOpen,
  LengthError,     // the file's length could not be taken
  TooLarge,        // a ROM code file above 65,536 bytes; a BmpMap not of 640
  ProblemReading,  // a read returned no byte
};

struct ImageFileResult {
  ImageFileError error = ImageFileError::None;
  /// The text of the stop box; empty when the file loaded.
  std::string boxText;
  /// The StatusLog line: the box text, except for a ROM code file that
  /// reads no byte.
  std::string logText;

  bool ok() const { return error == ImageFileError::None; }
};

/// Reads the ROM code file `fileName` into `firmware.image` and sets
/// `firmware.length`; the buffer beyond the image is zero-filled. Files of up
/// to `limit` bytes (at most the buffer's 65,536) load, a larger one is
/// TooLarge; an empty file is ProblemReading. On a failure `length` is
/// unchanged.
ImageFileResult loadFirmwareImage(FirmwareImage& firmware, const std::filesystem::path& directory,
                                  std::string_view fileName, std::uint32_t limit = kImageBufferSize);

/// How much of an address file a revision reads.
enum class AddressWords {
  IdentityOnly,  // words 0 to 2
  WithBmpMap,    // words 0 to 4 ("4023", "4064")
};

inline constexpr std::size_t kAddressWordSize = 4;
inline constexpr std::size_t kAddressFileMaxRead = 5 * kAddressWordSize;

/// An address file's contents as a record: little-endian 32-bit words. A
/// word cut short by the end of the contents is absent. Without any of words
/// 0 to 2 there is no record. Absent words 3 and 4 read as 0, and so does a
/// `bmpMapOffset` outside 0x1FF..0xFE00. With IdentityOnly, words 3 and 4 are
/// not read at all.
std::optional<AddressRecord> parseAddressRecord(ConstBytes contents, AddressWords words);

/// Reads the address file `fileName` into `record` (parseAddressRecord over
/// its first words). On a failure `record` is unchanged.
ImageFileResult loadAddressFile(const std::filesystem::path& directory, std::string_view fileName,
                                AddressWords words, AddressRecord& record);

/// Reads the BmpMap file `fileName`, which must be exactly 640 bytes long,
/// into `bmpMap`.
ImageFileResult loadBmpMap(const std::filesystem::path& directory, std::string_view fileName,
                           std::array<Byte, kBmpMapSize>& bmpMap);

}  // namespace updater
