#pragma once

// The reader's hardware revision: two code bytes and a letter, named by the
// code's four lower-case hex digits ("3046"). Only the known controller
// revisions are kept in a device entry; the rest read as 00 00 00.

#include <array>
#include <string>
#include <string_view>

#include "common/bytes.h"

namespace updater {

using HardwareRevision = std::array<Byte, 3>;

/// The revisions known with any letter.
inline constexpr std::array<std::string_view, 16> kAnyLetterRevisionCodes = {
    "3086", "4053", "4057", "4013", "4113", "4129", "4161", "4023",
    "4064", "4137", "4165", "4166", "4147", "4168", "4148", "4391",
};

/// The revisions known only with one letter.
inline constexpr HardwareRevision kMemoryStickRevision = {0x30, 0x46, 'C'};  // "3046" 'C'
inline constexpr HardwareRevision kRevision3017G = {0x30, 0x17, 'G'};        // "3017" 'G'

/// The three bytes as six lower-case hex digits ("%02x" each).
std::string hardwareRevisionText(const HardwareRevision& revision);

/// The code: the first four characters of a revision text (all of it when
/// shorter).
std::string_view revisionCode(std::string_view hardwareRevisionText);

/// Whether `revision` is one a device entry keeps.
bool isListedHardwareRevision(const HardwareRevision& revision);

}  // namespace updater
