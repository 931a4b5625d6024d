#pragma once

// The working folder of one case: the demo's files, then the case's own files
// over them, then the machine file it gives inline, then the entries it makes
// (files built from parts, directories, FIFOs, links, removals, modes).

#include <filesystem>

#include "hostile_case.h"

namespace updater::hostile {

/// Fills the empty folder `work`. Throws std::runtime_error when an entry
/// cannot be made.
void prepareCaseFolder(const HostileCase& hostile, const std::filesystem::path& demoFolder,
                       const std::filesystem::path& work);

/// A file's bytes from parts: {"text": characters U+0000..U+00FF, one byte
/// each}, {"hex": "06 fe"}, {"file": a file of `work`}, each repeated
/// "repeat" times (default once).
std::string bytesOfParts(const nlohmann::json& parts, const std::filesystem::path& work);

}  // namespace updater::hostile
