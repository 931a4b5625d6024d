#include "device/hardware_revision.h"

#include <algorithm>

#include "common/text_format.h"

namespace updater {

std::string hardwareRevisionText(const HardwareRevision& revision) {
  std::string text;
  for (Byte byte : revision) appendPaddedHex(text, byte, 2);
  return text;
}

std::string_view revisionCode(std::string_view hardwareRevisionText) { return hardwareRevisionText.substr(0, 4); }

bool isListedHardwareRevision(const HardwareRevision& revision) {
  if (revision == kMemoryStickRevision || revision == kRevision3017G) return true;
  const std::string text = hardwareRevisionText(revision);
  return std::find(kAnyLetterRevisionCodes.begin(), kAnyLetterRevisionCodes.end(), revisionCode(text)) !=
         kAnyLetterRevisionCodes.end();
}

}  // namespace updater
