#pragma once

// SHA-256 (FIPS 180-4), for the digest of an image file in the history of
// runs: a production record names exactly which image went into a reader.

#include <string>

#include "common/bytes.h"

namespace updater {

/// The SHA-256 digest of `data` as 64 lower-case hexadecimal digits.
std::string sha256Hex(ConstBytes data);

}  // namespace updater
