#include "testing/operator_fixture.h"

#include "app/program.h"
#include "testing/job_fixture.h"

namespace updater {

const char* const kOperatorDeviceTxt =
    "VID = \"1234\";\n"
    "String_Manufacture = \"Maker\";\n"
    "ISP_ROMCODE = \"FW.BIN\";\n"
    "FA_Inquiry_Manufacture = \"Generic\";\n"
    "FA_Inquiry_Product = \"USB Reader\";\n"
    "FA_Inquiry_Version = \"1.00\";\n";

ReaderDescription operatorReader(std::string letters, std::string serial, std::array<Byte, 3> hwRevision) {
  ReaderDescription reader;
  reader.letters = std::move(letters);
  reader.serial = std::move(serial);
  reader.hwRevision = hwRevision;
  return reader;
}

MachineDescription operatorMachine(WindowsVersion windows, std::vector<ReaderDescription> readers) {
  MachineDescription machine = harnessMachine();
  machine.windows = windows;
  machine.readers = std::move(readers);
  return machine;
}

OperatorFixture::OperatorFixture(const MachineDescription& machine) : harness(machine) {
  program().workingDirectory = directory.path();
  directory.writeFile("DEVICE.TXT", kOperatorDeviceTxt);
  directory.writeFile("SERIAL.TXT", "12 7c 4\n");
  const std::vector<Byte> image = headedImage(5, 0xFE, 4000, 3);
  directory.writeFile("FW.BIN", std::string(image.begin(), image.end()));
  // blockOffset, serialSlot, slotSize, plainLength, bmpMapOffset
  std::string address;
  for (std::uint32_t word : {0x100u, 4u, 64u, 0x200u, 0u}) {
    for (int i = 0; i < 4; ++i) address += static_cast<char>((word >> (8 * i)) & 0xFF);
  }
  directory.writeFile("FW.adr", address);
  routes = std::make_unique<RouteSet>(harness.machine);
}

}  // namespace updater
