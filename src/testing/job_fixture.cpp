#include "testing/job_fixture.h"

#include <algorithm>

#include "device/hardware_revision.h"
#include "jobs/isp_job.h"
#include "jobs/verify_job.h"

namespace updater {
namespace {

template <std::size_t N>
void setName(std::array<char, N>& field, std::string_view name) {
  field.fill('\0');
  std::copy(name.begin(), name.end(), field.begin());
}

std::string asText(const std::vector<Byte>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

JobFixture::JobFixture() {
  Program& p = program();
  p.workingDirectory = directory.path();
  p.osMode = OsMode::WinXp;
  setName(p.userIspData.romCodeFile, kJobImageFile);
  setName(p.userIspData.addressFile, kJobAddressFile);
  setName(p.userIspData.bmpMapFile, kJobBmpMapFile);
  p.userIspData.bmpMapActive = true;
}

void JobFixture::selectReader(const HardwareRevision& revision) {
  DeviceTable& table = program().deviceTable;
  table.entries[0].inUse = 1;
  table.entries[0].usbHwRevision = revision;
  table.deviceCount = 1;
  table.selectedIndex = 0;
  table.hardwareRevisionText = hardwareRevisionText(revision);
}

void JobFixture::writeImage(const std::vector<Byte>& image) const {
  directory.writeFile(kJobImageFile, asText(image));
}

void JobFixture::writeAddressFile(std::initializer_list<std::uint32_t> words) const {
  std::vector<Byte> bytes(words.size() * 4);
  std::size_t at = 0;
  for (std::uint32_t word : words) {
    putU32(bytes, at, word);
    at += 4;
  }
  directory.writeFile(kJobAddressFile, asText(bytes));
}

void JobFixture::writeBmpMap(const std::vector<Byte>& map) const { directory.writeFile(kJobBmpMapFile, asText(map)); }

void JobFixture::writeSerialFile(std::string_view contents) const {
  directory.writeFile(kSerialFileName, contents);
}

std::string JobFixture::serialFile() const { return directory.readFile(kSerialFileName); }

bool JobFixture::anythingSent() const {
  return loader.jumpCount() + loader.programCount() + loader.verifyCount() + loader.statusReadCount() != 0;
}

JobContext JobFixture::job(RunSink& sink) {
  return program().jobContext(sink, routes.selected(program().routeInputs()));
}

void JobFixture::runIsp() {
  RunSink sink = program().sink();
  JobContext context = job(sink);
  runIspJob(context, program().tally, program().serialCounter);
}

void JobFixture::runVerify() {
  RunSink sink = program().sink();
  JobContext context = job(sink);
  runVerifyJob(context);
}

std::vector<Byte> headedImage(Byte type, Byte mark, std::size_t length, Byte seed) {
  std::vector<Byte> image = testImage(length, seed);
  if (length > 0) image[0] = type;
  if (length > 1) image[1] = mark;
  return image;
}

}  // namespace updater
