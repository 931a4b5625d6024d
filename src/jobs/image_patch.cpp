#include "jobs/image_patch.h"

#include <algorithm>

#include "jobs/scramble.h"

namespace updater {
namespace {

// One write of a patch: `count` bytes placed `stride` apart from `position`.
// Positions are 64-bit: the address file's words are unchecked 32-bit values
// and their sums and products must not wrap.
struct PatchWrite {
  std::uint64_t position = 0;
  std::array<Byte, kSerialDescriptorLength> bytes{};  // the widest item
  std::size_t count = 0;
  std::size_t stride = 1;

  /// One past the last byte written.
  std::uint64_t end() const { return count == 0 ? position : position + (count - 1) * stride + 1; }
};

// The writes of one patch, all checked before any is made.
class PatchPlan {
 public:
  void add(const PatchWrite& write) { writes_[count_++] = write; }

  bool fitsWithin(std::uint64_t length) const {
    return std::all_of(writes_.begin(), writes_.begin() + static_cast<std::ptrdiff_t>(count_),
                       [length](const PatchWrite& write) { return write.end() <= length; });
  }

  void applyTo(Bytes image) const {
    for (std::size_t w = 0; w < count_; ++w) {
      const PatchWrite& write = writes_[w];
      for (std::size_t i = 0; i < write.count; ++i) {
        image[static_cast<std::size_t>(write.position) + i * write.stride] = write.bytes[i];
      }
    }
  }

 private:
  std::array<PatchWrite, 16> writes_{};
  std::size_t count_ = 0;
};

template <std::size_t N>
void putChars(PatchWrite& write, const std::array<char, N>& field) {
  static_assert(N <= kSerialDescriptorLength);
  for (std::size_t i = 0; i < N; ++i) write.bytes[i] = static_cast<Byte>(field[i]);
  write.count = N;
}

void putLengthByte(PatchWrite& write, std::size_t textLength) {
  // A USB string descriptor's length: the header and two bytes a character.
  write.bytes[0] = static_cast<Byte>((textLength + 1) * 2);
  write.count = 1;
}

void putId(PatchWrite& write, std::uint16_t id) {
  putU16(write.bytes, 0, id);
  write.count = 2;
}

// Each item fills its write and says whether DEVICE.TXT gives it.
bool manufacturerLengthItem(const UserIspData& d, PatchWrite& w) {
  putLengthByte(w, d.manufacturerLength);
  return d.manufacturerLength != 0;
}
bool manufacturerStringItem(const UserIspData& d, PatchWrite& w) {
  putChars(w, d.manufacturerString);
  return d.manufacturerLength != 0;
}
bool productLengthItem(const UserIspData& d, PatchWrite& w) {
  putLengthByte(w, d.productLength);
  return d.productLength != 0;
}
bool productStringItem(const UserIspData& d, PatchWrite& w) {
  putChars(w, d.productString);
  return d.productLength != 0;
}
bool serialStringItem(const UserIspData& d, PatchWrite& w) {
  // The characters of a UTF-16 text; the bytes between them stay as they are.
  putChars(w, d.serialString);
  w.stride = 2;
  return d.serialActive;
}
bool vendorIdItem(const UserIspData& d, PatchWrite& w) {
  putId(w, d.vendorId);
  return d.vendorIdActive;
}
bool productIdItem(const UserIspData& d, PatchWrite& w) {
  putId(w, d.productId);
  return d.productIdActive;
}
bool inquiryRevisionItem(const UserIspData& d, PatchWrite& w) {
  putChars(w, d.inquiryRevision);
  return d.inquiryRevisionActive;
}
bool inquiryVendorItem(const UserIspData& d, PatchWrite& w) {
  putChars(w, d.inquiryVendor);
  return d.inquiryVendorActive;
}
bool inquiryProductItem(const UserIspData& d, PatchWrite& w) {
  putChars(w, d.inquiryProduct);
  return d.inquiryProductActive;
}
bool deviceSettingItem(const UserIspData& d, PatchWrite& w) {
  std::copy(d.deviceSetting.begin(), d.deviceSetting.end(), w.bytes.begin());
  w.count = d.deviceSetting.size();
  return d.deviceSettingActive;
}

// Which blocks carry an item.
enum class ItemIn { EveryBlock, NewStyleBlock, BlockWithSettings };

struct IdentityItem {
  std::size_t offset;  // from the block's start
  ItemIn in;
  bool (*fill)(const UserIspData&, PatchWrite&);
};

constexpr IdentityItem kIdentityBlock[] = {
    {26, ItemIn::NewStyleBlock, manufacturerLengthItem},
    {28, ItemIn::EveryBlock, manufacturerStringItem},
    {52, ItemIn::NewStyleBlock, productLengthItem},
    {54, ItemIn::EveryBlock, productStringItem},
    {80, ItemIn::EveryBlock, serialStringItem},
    {138, ItemIn::EveryBlock, vendorIdItem},
    {140, ItemIn::EveryBlock, productIdItem},
    {148, ItemIn::EveryBlock, inquiryRevisionItem},
    {156, ItemIn::EveryBlock, inquiryVendorItem},
    {164, ItemIn::EveryBlock, inquiryProductItem},
    {182, ItemIn::BlockWithSettings, deviceSettingItem},
};

// How a class of images is patched.
enum class Descriptor {
  UnlessSerialFixed,  // written unless DEVICE.TXT fixes the serial string (which the block then carries)
  Always,             // always written, with the fixed serial string when there is one
};

struct BlockStyle {
  bool newStyle;
  bool deviceSettings;
};

struct ClassLayout {
  std::size_t headLength;
  bool identityBlock;
  Descriptor descriptor;
};

struct ClassRow {
  Byte mark;
  std::array<Byte, 4> types;
  ImageClass imageClass;
};

constexpr ClassRow kClassTable[] = {
    {kPlainMark, {4, 4, 4, 4}, ImageClass::PlainBlock},
    {kScrambledMark, {1, 2, 5, 6}, ImageClass::ScrambledBlock},
    {kScrambledMark, {3, 7, 8, 9}, ImageClass::NoPatch},
};

ClassLayout layoutOf(ImageClass imageClass) {
  switch (imageClass) {
    case ImageClass::PlainBlock: return {kPlainHeadLength, true, Descriptor::UnlessSerialFixed};
    case ImageClass::ScrambledBlock: return {kScrambledHeadLength, true, Descriptor::UnlessSerialFixed};
    case ImageClass::NoPatch:
    case ImageClass::Other: break;
  }
  return {kPlainHeadLength, false, Descriptor::Always};
}

BlockStyle blockStyleOf(ImageHead head, ImageClass imageClass) {
  if (imageClass == ImageClass::PlainBlock) return {false, true};
  const bool newStyle = head.imageType == 1 || head.imageType == 2;
  return {newStyle, head.imageType == 6};
}

bool blockCarries(ItemIn in, BlockStyle style) {
  switch (in) {
    case ItemIn::EveryBlock: return true;
    case ItemIn::NewStyleBlock: return style.newStyle;
    case ItemIn::BlockWithSettings: return style.deviceSettings;
  }
  return false;
}

void planIdentityBlock(PatchPlan& plan, std::uint64_t block, BlockStyle style, const UserIspData& data) {
  for (const auto& item : kIdentityBlock) {
    if (!blockCarries(item.in, style)) continue;
    PatchWrite write;
    write.position = block + item.offset;
    if (item.fill(data, write)) plan.add(write);
  }
}

void planDescriptor(PatchPlan& plan, std::uint64_t position, const SerialDescriptor& descriptor) {
  PatchWrite write;
  write.position = position;
  std::copy(descriptor.begin(), descriptor.end(), write.bytes.begin());
  write.count = descriptor.size();
  plan.add(write);
}

}  // namespace

ImageClass imageClassOf(ImageHead head) {
  for (const auto& row : kClassTable) {
    if (head.encodingMark != row.mark) continue;
    if (std::find(row.types.begin(), row.types.end(), head.imageType) != row.types.end()) return row.imageClass;
  }
  return ImageClass::Other;
}

SerialDescriptor serialDescriptor(const std::array<char, kSerialNumberLength>& characters) {
  SerialDescriptor descriptor{};
  descriptor[0] = static_cast<Byte>(kSerialDescriptorLength);
  descriptor[1] = 0x03;  // string descriptor
  for (std::size_t k = 0; k < characters.size(); ++k) descriptor[2 + 2 * k] = static_cast<Byte>(characters[k]);
  return descriptor;
}

PatchResult patchImage(FirmwareImage& firmware, const std::optional<AddressRecord>& address,
                       const UserIspData& data, const SerialDescriptor& descriptor) {
  const ImageHead head = imageHead(firmware);
  const ImageClass imageClass = imageClassOf(head);
  if (imageClass == ImageClass::NoPatch) return PatchResult::Patched;
  if (!address) return PatchResult::NoAddressRecord;

  const ClassLayout layout = layoutOf(imageClass);
  const std::uint64_t block = std::uint64_t{address->blockOffset} + layout.headLength;
  const std::uint64_t descriptorAt = block + std::uint64_t{address->serialSlot} * address->slotSize;

  PatchPlan plan;
  if (layout.identityBlock) planIdentityBlock(plan, block, blockStyleOf(head, imageClass), data);
  switch (layout.descriptor) {
    case Descriptor::UnlessSerialFixed:
      if (!data.serialActive) planDescriptor(plan, descriptorAt, descriptor);
      break;
    case Descriptor::Always:
      planDescriptor(plan, descriptorAt, data.serialActive ? serialDescriptor(data.serialString) : descriptor);
      break;
  }

  const std::uint64_t length = std::min<std::uint64_t>(firmware.length, firmware.image.size());
  if (!plan.fitsWithin(length)) return PatchResult::OutOfRange;
  plan.applyTo(firmware.image);
  return PatchResult::Patched;
}

void insertBmpMap(FirmwareImage& firmware, const AddressRecord& address) {
  const std::size_t imageLength = std::min<std::size_t>(firmware.length, firmware.image.size());
  if (imageLength <= kScrambledHeadLength) return;
  const Bytes body = Bytes(firmware.image).subspan(kScrambledHeadLength, imageLength - kScrambledHeadLength);
  const Bytes work(firmware.workBuffer);
  const ScrambleWindow window{address.blockOffset, address.plainLength};
  // The work buffer is as large as the image buffer, so neither pass refuses.
  if (!unscramble(body, work, window)) return;

  // The map is cut at the end of the work buffer; what lies beyond the body
  // is left out of the scrambling below.
  const std::size_t at = address.bmpMapOffset;
  if (at < work.size()) {
    const std::size_t count = std::min(firmware.bmpMap.size(), work.size() - at);
    std::copy_n(firmware.bmpMap.begin(), count, work.begin() + static_cast<std::ptrdiff_t>(at));
  }
  static_cast<void>(scramble(work.first(body.size()), body, window));
}

}  // namespace updater
