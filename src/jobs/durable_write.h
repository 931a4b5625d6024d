#pragma once

// Writing a new file so that it survives a crash or a power cut once the
// call returns, through the port's file calls: made only where nothing
// stands, written whole, flushed to the disk, closed. Each of those steps
// may fail, and a write may take fewer bytes than it was given; only a file
// that went through all of them whole counts as written.

#include <filesystem>
#include <string_view>

#include "platform/port.h"

namespace updater {

/// Writes all of `contents` to `file`. After a short write it goes on with
/// the bytes that did not go in. False when a write fails, or takes no byte
/// at all (repeating it could go on for ever): the file then holds some
/// first part of `contents`, or anything, and is no use.
bool writeWhole(Port& port, NewFileValue file, std::string_view contents);

enum class NewFileWrite {
  Written,       // made, written whole, flushed and closed
  AlreadyThere,  // something stands at the path (a file, a link, a directory): nothing was touched
  Failed,        // not made, or made but not written whole, flushed and closed: the caller removes it
};

/// Makes a file at `path` where nothing stands (see Port::createNewFile),
/// writes `contents` whole, flushes it and closes it. The file is closed on
/// every path; a failed close counts as a failed write, since it may report
/// a write the system had delayed.
NewFileWrite writeNewFile(Port& port, const std::filesystem::path& path, std::string_view contents);

}  // namespace updater
