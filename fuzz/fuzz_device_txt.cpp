// Random contents as DEVICE.TXT, loaded into a program on the simulated
// platform: no read or write out of bounds, no hang, a record within its
// widths, and a summary that depends only on the file (a second load shows
// the same text).
//
// The contents go in from memory, as `readDeviceTxt` hands them over after
// reading the file: writing and reading a real file per input made the
// target three times slower without reaching any more of the parser.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/load_user_isp_data.h"
#include "testing/program_harness.h"

namespace {

using namespace updater;

void require(bool condition) {
  if (!condition) std::abort();
}

std::string loadAndSummarise(ProgramHarness& harness, const DeviceTxt& file) {
  harness.transcript.clear();
  loadUserIspDataFrom(*harness.program, file, SystemInformation{1, false, "KVDKPDRV.PDR", ""});
  const auto boxes = harness.messageBoxes();
  require(boxes.size() == 1);
  require(boxes.back().caption == kUserIspDataCaption);
  return boxes.back().text;
}

void checkRecord(const UserIspData& data) {
  require(data.manufacturerLength <= kUsbStringWidth);
  require(data.productLength <= kUsbStringWidth);
  for (const FileName& name : {data.romCodeFile, data.addressFile, data.msRomCodeFile, data.bmpMapFile}) {
    require(name.back() == '\0');
  }
  // An address file name is only ever derived from a ROM code file name.
  require(!fieldText(data.romCodeFile).empty() || fieldText(data.addressFile).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ProgramHarness harness;
  const DeviceTxt file = deviceTxtFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string first = loadAndSummarise(harness, file);
  checkRecord(harness.program->userIspData);
  require(loadAndSummarise(harness, file) == first);
  return 0;
}
