#include "jobs/image_compatibility.h"

#include <algorithm>
#include <array>
#include <span>

namespace updater {
namespace {

constexpr std::string_view kWrongHardware = "nError!!! HardWare version not correct!!!";
constexpr std::string_view kWrongFirmware = "nError!!! This Firmware not correct!!!";
constexpr std::string_view kWrongEncoding = "nError!!! Firmware encoding not correct!!!";

// A kind of image: the masked type is one of `types`, with `mark`.
struct ImageKind {
  Byte typeMask;
  std::span<const Byte> types;
  Byte mark;

  bool matches(ImageHead head) const {
    const Byte type = static_cast<Byte>(head.imageType & typeMask);
    return head.encodingMark == mark && std::find(types.begin(), types.end(), type) != types.end();
  }
};

// A set of readers: by the three revision bytes when `revisions` is not
// empty, else by the code of the revision text.
struct ReaderSet {
  std::span<const std::string_view> codes;
  std::span<const HardwareRevision> revisions;

  bool contains(std::string_view code, const HardwareRevision& usbHwRevision) const {
    if (!revisions.empty()) return std::find(revisions.begin(), revisions.end(), usbHwRevision) != revisions.end();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
  }
};

struct CompatibilityRow {
  ImageKind image;
  ReaderSet readers;
  std::string_view otherImageText;  // a reader of the row with another image
};

constexpr Byte kType2[] = {2};
constexpr Byte kType3[] = {3};
constexpr Byte kType4[] = {4};
constexpr Byte kType7[] = {7};
constexpr Byte kType9[] = {9};
constexpr Byte kType8[] = {8};
constexpr Byte kTypes5And6[] = {5, 6};

constexpr HardwareRevision kLetterCReaders[] = {{0x30, 0x46, 'C'}, {0x30, 0x86, 'C'}};
constexpr std::string_view k4053Readers[] = {"4053", "4057"};
constexpr std::string_view k4013Readers[] = {"4013", "4113", "4129", "4161"};
constexpr std::string_view k4137Readers[] = {"4137", "4165", "4168"};
constexpr std::string_view k4166Readers[] = {"4166", "4147"};
constexpr std::string_view k4391Readers[] = {"4391"};
constexpr std::string_view k4023Readers[] = {"4023", "4064"};

constexpr Byte kAllBits = 0xFF;
constexpr Byte kLowNibble = 0x0F;

const CompatibilityRow kCompatibilityTable[] = {
    {{kLowNibble, kType2, kScrambledMark}, {{}, kLetterCReaders}, kWrongEncoding},
    {{kAllBits, kType3, kScrambledMark}, {k4053Readers, {}}, kWrongFirmware},
    {{kAllBits, kType4, kPlainMark}, {k4013Readers, {}}, kWrongFirmware},
    {{kAllBits, kType7, kScrambledMark}, {k4137Readers, {}}, kWrongFirmware},
    {{kAllBits, kType9, kScrambledMark}, {k4166Readers, {}}, kWrongFirmware},
    {{kAllBits, kType8, kScrambledMark}, {k4391Readers, {}}, kWrongFirmware},
    {{kAllBits, kTypes5And6, kScrambledMark}, {k4023Readers, {}}, kWrongEncoding},
};

struct GroupRow {
  std::string_view code;
  RevisionGroups groups;
};

// Fields: address file, its BmpMap words, address errors tolerated, SERIAL.TXT.
constexpr GroupRow kGroupTable[] = {
    {"3017", {true, false, false, true}}, {"3071", {true, false, false, true}},
    {"3046", {true, false, false, true}}, {"3086", {true, false, false, true}},
    {"4023", {true, true, false, true}},  {"4064", {true, true, false, true}},
    {"4013", {true, false, true, true}},  {"4113", {true, false, true, true}},
    {"4129", {true, false, true, true}},  {"4161", {true, false, true, true}},
    {"4053", {false, false, false, false}}, {"4057", {false, false, false, false}},
};

}  // namespace

std::optional<std::string_view> checkImageMatchesDevice(ImageHead head, std::string_view hardwareRevisionText,
                                                        const HardwareRevision& usbHwRevision) {
  const std::string_view code = revisionCode(hardwareRevisionText);
  for (const auto& row : kCompatibilityTable) {
    const bool rowImage = row.image.matches(head);
    const bool rowReader = row.readers.contains(code, usbHwRevision);
    if (rowImage && !rowReader) return kWrongHardware;
    if (rowReader && !rowImage) return row.otherImageText;
  }
  return std::nullopt;
}

RevisionGroups revisionGroupsOf(std::string_view hardwareRevisionText) {
  const std::string_view code = revisionCode(hardwareRevisionText);
  for (const auto& row : kGroupTable) {
    if (row.code == code) return row.groups;
  }
  return {};
}

}  // namespace updater
