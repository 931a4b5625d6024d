#pragma once

// A simulated controller's flash as a file: its bytes exactly, nothing
// around them, so that an image file and a flash written after a run compare
// with cmp. An empty flash gives an empty file.

#include <filesystem>
#include <vector>

#include "common/bytes.h"

namespace updater {

/// Creates or truncates `path` and writes `flash` into it. False when the
/// file cannot be made or not every byte was written.
bool writeFlashFile(const std::filesystem::path& path, const std::vector<Byte>& flash);

}  // namespace updater
