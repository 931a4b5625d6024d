#include "jobs/image_files.h"

#include <algorithm>
#include <fstream>

#include "common/plain_file.h"

namespace updater {
namespace {

constexpr std::uint32_t kBmpMapOffsetLowest = 0x1FF;
constexpr std::uint32_t kBmpMapOffsetHighest = 0xFE00;

// One file opened read-only in binary mode; closed when it goes.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::filesystem::path& path) {
    // A directory, FIFO or device does not open at all (see plain_file.h).
    if (isPlainFile(path)) stream_.open(path, std::ios::binary);
  }

  bool isOpen() const { return stream_.is_open(); }

  /// The file's length in bytes; none when it cannot be taken. Leaves the
  /// read position at the start.
  std::optional<std::uint64_t> length() {
    stream_.seekg(0, std::ios::end);
    const std::streamoff end = stream_.tellg();
    stream_.clear();
    stream_.seekg(0, std::ios::beg);
    if (end < 0 || !stream_) return std::nullopt;
    return static_cast<std::uint64_t>(end);
  }

  /// Reads up to out.size() bytes; returns how many came.
  std::size_t read(Bytes out) {
    stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()));
    const std::streamsize count = stream_.gcount();
    stream_.clear();
    return count > 0 ? static_cast<std::size_t>(count) : 0;
  }

 private:
  std::ifstream stream_;
};

ImageFileResult failure(ImageFileError error, std::string text) {
  // Braced initialisers run in order: the copy is taken before the move.
  return {error, text, std::move(text)};
}

ImageFileResult cannotOpen(std::string_view fileName, std::string_view what) {
  std::string text = "Error!!! Can Not Open ";
  text += fileName;
  text += what;
  return failure(ImageFileError::CannotOpen, std::move(text));
}

// A length that could not be taken prints as the C runtime's -1.
std::string lengthText(const std::optional<std::uint64_t>& length) {
  return length ? std::to_string(*length) : std::string("-1");
}

ImageFileResult tooLarge(const std::optional<std::uint64_t>& length) {
  return failure(ImageFileError::TooLarge, "Error!!! File too large !!!, " + lengthText(length));
}

std::optional<std::uint32_t> wordAt(ConstBytes contents, std::size_t index) {
  const std::size_t offset = index * kAddressWordSize;
  if (contents.size() < offset + kAddressWordSize) return std::nullopt;
  return getU32(contents, offset);
}

std::uint32_t acceptedBmpMapOffset(std::optional<std::uint32_t> word) {
  if (!word || *word < kBmpMapOffsetLowest || *word > kBmpMapOffsetHighest) return 0;
  return *word;
}

}  // namespace

ImageFileResult loadFirmwareImage(FirmwareImage& firmware, const std::filesystem::path& directory,
                                  std::string_view fileName, std::uint32_t limit) {
  ReadOnlyFile file(directory / fileName);
  if (!file.isOpen()) return cannotOpen(fileName, " ISP Binary ROM Code");
  const std::optional<std::uint64_t> length = file.length();
  if (!length) return failure(ImageFileError::LengthError, "Error!!! File length error !!!,-1");
  if (*length > std::min(limit, kImageBufferSize)) return tooLarge(length);

  Bytes buffer(firmware.image);
  const std::size_t wanted = static_cast<std::size_t>(*length);
  const std::size_t got = file.read(buffer.first(wanted));
  // Whatever the read did not fill, and everything after the image, is zero:
  // the transfer pads from this buffer on some routes.
  std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(got), buffer.end(), Byte{0});
  if (got == 0) {
    return {ImageFileError::ProblemReading, "Error!!! Problem reading file!!!",
            "Error!!! Problem reading ROM code file!!!"};
  }
  firmware.length = static_cast<std::uint32_t>(*length);
  return {};
}

std::optional<AddressRecord> parseAddressRecord(ConstBytes contents, AddressWords words) {
  const auto blockOffset = wordAt(contents, 0);
  const auto serialSlot = wordAt(contents, 1);
  const auto slotSize = wordAt(contents, 2);
  if (!blockOffset || !serialSlot || !slotSize) return std::nullopt;

  AddressRecord record{*blockOffset, *serialSlot, *slotSize, 0, 0};
  if (words == AddressWords::WithBmpMap) {
    record.plainLength = wordAt(contents, 3).value_or(0);
    record.bmpMapOffset = acceptedBmpMapOffset(wordAt(contents, 4));
  }
  return record;
}

ImageFileResult loadAddressFile(const std::filesystem::path& directory, std::string_view fileName,
                                AddressWords words, AddressRecord& record) {
  ReadOnlyFile file(directory / fileName);
  if (!file.isOpen()) return cannotOpen(fileName, " String address file.");
  std::array<Byte, kAddressFileMaxRead> contents{};
  const std::size_t wanted = words == AddressWords::WithBmpMap ? kAddressFileMaxRead : 3 * kAddressWordSize;
  // Reads until the words are in or the file ends.
  std::size_t got = 0;
  while (got < wanted) {
    const std::size_t count = file.read(Bytes(contents).subspan(got, wanted - got));
    if (count == 0) break;
    got += count;
  }
  const std::optional<AddressRecord> read = parseAddressRecord(ConstBytes(contents).first(got), words);
  if (!read) return failure(ImageFileError::ProblemReading, "Error!!! Problem reading file" + std::string(fileName));
  record = *read;
  return {};
}

ImageFileResult loadBmpMap(const std::filesystem::path& directory, std::string_view fileName,
                           std::array<Byte, kBmpMapSize>& bmpMap) {
  ReadOnlyFile file(directory / fileName);
  if (!file.isOpen()) return cannotOpen(fileName, "File");
  const std::optional<std::uint64_t> length = file.length();
  if (!length || *length != kBmpMapSize) return tooLarge(length);
  std::array<Byte, kBmpMapSize> read{};
  if (file.read(read) == 0) return tooLarge(length);
  bmpMap = read;
  return {};
}

}  // namespace updater
