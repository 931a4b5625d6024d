#pragma once

// The machine file: a simulated PC as one JSON object, the format the console
// front end takes with --machine. Every field is optional and has its
// default; an unknown or repeated field, a value of the wrong type or out of
// range, a text longer than its field, bad hexadecimal text or a file that
// cannot be read is an error that names the field and its path
// ("readers[0].inquiry.vendor: longer than 8 characters"). Nothing throws.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/machine_description.h"

namespace updater {

struct MachineFileResult {
  std::optional<MachineDescription> machine;
  /// Why there is no machine: "<path>: <what is wrong>".
  std::string error;
};

/// The machine file and each file it names (a reader's firmware) are read
/// only when they are plain files of at most this size (common/plain_file.h).
inline constexpr std::uintmax_t kMachineFileMaxBytes = 1 << 20;

/// Reads the machine file at `path`; relative file names in it are resolved
/// against the folder that holds it.
MachineFileResult loadMachineFile(const std::filesystem::path& path);

/// Reads a machine file's text; relative file names are resolved against `folder`.
MachineFileResult parseMachineFile(std::string_view text, const std::filesystem::path& folder);

}  // namespace updater
