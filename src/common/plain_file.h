#pragma once

// Every file the program reads as input — DEVICE.TXT, SERIAL.TXT, the image
// files, the machine file — is read only when it is a plain file: a regular
// file (directly or through links) of a bounded size. A FIFO would make the
// open itself wait for a writer forever; a device such as /dev/zero never
// ends, so reading it whole fills the memory; a directory opens on some
// systems and then reads nothing. None of them is what an operator meant, so
// each is treated like a file that cannot be opened, before it is opened.

#include <cstdint>
#include <filesystem>
#include <limits>

namespace updater {

enum class PlainFileCheck {
  Readable,  // a regular file within the size limit
  NotAFile,  // nothing there, or a directory, FIFO, device, socket, broken link
  TooLarge,  // a regular file above the size limit
};

/// No limit: for readers that take only as many bytes as they need.
inline constexpr std::uintmax_t kNoSizeLimit = std::numeric_limits<std::uintmax_t>::max();

/// What stands at `path`, for a reader that takes at most `maxBytes` bytes.
/// The check comes before the open; a file swapped between the two is not
/// caught, which a production bench does not do.
PlainFileCheck checkPlainFile(const std::filesystem::path& path, std::uintmax_t maxBytes = kNoSizeLimit);

/// Whether `path` is a regular file, directly or through links.
inline bool isPlainFile(const std::filesystem::path& path) {
  return checkPlainFile(path) == PlainFileCheck::Readable;
}

}  // namespace updater
