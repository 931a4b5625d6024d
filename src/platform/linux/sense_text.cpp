#include "platform/linux/sense_text.h"

#include <scsi/sg_lib.h>

#include <array>

namespace updater {

std::string senseText(ConstBytes sense) {
  if (sense.empty()) return {};
  sg_scsi_sense_hdr header{};
  if (!sg_scsi_normalize_sense(sense.data(), static_cast<int>(sense.size()), &header)) return "unreadable sense data";
  std::array<char, 128> keyText{};
  sg_get_sense_key_str(header.sense_key, static_cast<int>(keyText.size()), keyText.data());
  std::array<char, 160> codeText{};
  sg_get_asc_ascq_str(header.asc, header.ascq, static_cast<int>(codeText.size()), codeText.data());
  return std::string(keyText.data()) + ": " + codeText.data();
}

}  // namespace updater
