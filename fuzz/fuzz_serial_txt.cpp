// Any SERIAL.TXT text through the reader. An accepted counter is in range,
// survives its own written form unchanged and makes a serial number of
// upper-case hexadecimal digits; a refused one leaves the counter as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "jobs/serial_counter.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool isUpperHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const SerialCounter before{0x12, 0x34, 0x5678};
  SerialCounter counter = before;

  const SerialLoadResult result = parseSerialCounter(text, counter);
  if (result != SerialLoadResult::Ok) {
    require(result == SerialLoadResult::NotCorrect);
    require(counter == before);
    return 0;
  }
  require(counter.cem <= 0xFF && counter.pc <= 0xFF && counter.cnt <= 0xFFFF);

  SerialCounter reread{};
  require(parseSerialCounter(serialCounterText(counter), reread) == SerialLoadResult::Ok);
  require(reread == counter);

  for (const char c : makeSerialNumber(counter, LocalDate{2007, 12, 25})) require(isUpperHexDigit(c));
  return 0;
}
