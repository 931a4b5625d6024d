#pragma once

// What a run on a real Windows PC saw, in the form a machine file keeps it:
// the PC as the program read it and, per reader, every request the program
// sent it with the answer it got (device/recording/recording_port.h makes
// it, device/recording/recording_text.h writes it).

#include <cstdint>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "platform/clock.h"
#include "platform/reader_session.h"

namespace updater {

struct RecordedReader {
  /// Its drive letters, upper case, in alphabetical order.
  std::string letters;
  /// The first whole INQUIRY answer (36 bytes) it gave; empty when none.
  std::vector<Byte> inquiryData;
  /// The first whole identify block (528 bytes) it gave; empty when none.
  std::vector<Byte> identify;
  ReaderSession session;
};

struct RecordedMachine {
  /// GetVersion's word as the program read it.
  std::uint32_t versionWord = 0;
  /// The first date the program read.
  LocalDate date;
  /// Letters of drives that exist and hold no reader, upper case, in order.
  std::string drives;
  /// In the order of their first letters, as a drive scan finds them.
  std::vector<RecordedReader> readers;
};

}  // namespace updater
