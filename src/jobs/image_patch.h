#pragma once

// Writing a device's identity into a firmware image before it is programmed:
// the identity block (USB strings and ids, inquiry data, device settings) and
// the serial-number descriptor, at the positions the address file gives; and
// the BmpMap, which type-6 images carry inside their scrambled body.
//
// Where things go depends on the image's class, read from its head:
//
//   class            head                               block at           writes
//   plain block      type 4, mark 0xFC                  blockOffset + 2    old-style block with settings, serial
//   scrambled block  mark 0xFE, type 1, 2, 5 or 6       blockOffset + 6    new style (1, 2) or old (5, 6;
//                                                                          settings for 6), serial
//   no patch         mark 0xFE, type 3, 7, 8 or 9       -                  nothing
//   other            any other head                     blockOffset + 2    the serial descriptor only
//
// The serial descriptor lies serialSlot × slotSize after the block's start.
// The block and the descriptor of the first two classes lie in the plain part
// of the image, so they are written straight into it.

#include <array>
#include <cstddef>
#include <optional>

#include "jobs/user_isp_data.h"
#include "jobs/firmware_image.h"
#include "jobs/serial_counter.h"

namespace updater {

enum class ImageClass { PlainBlock, ScrambledBlock, NoPatch, Other };

ImageClass imageClassOf(ImageHead head);

/// The serial number as a USB string descriptor: length 26, type 3, then each
/// of the 12 characters followed by a zero byte.
inline constexpr std::size_t kSerialDescriptorLength = 26;
using SerialDescriptor = std::array<Byte, kSerialDescriptorLength>;

SerialDescriptor serialDescriptor(const std::array<char, kSerialNumberLength>& characters);

enum class PatchResult {
  Patched,          // everything the class writes is in the image (also: nothing to write)
  NoAddressRecord,  // the class writes at positions no address file gave
  OutOfRange,       // a position lies outside the image's length; nothing was written
};

/// Writes the identity data of `data` and `descriptor` into the image as its
/// class lays them out, at the positions of `address` (none when no address
/// file was read). Every position is checked against `firmware.length`
/// before the first byte is written. For the class other with `serialActive`
/// set, the descriptor carries the characters of `serialString` instead.
PatchResult patchImage(FirmwareImage& firmware, const std::optional<AddressRecord>& address,
                       const UserIspData& data, const SerialDescriptor& descriptor);

/// Puts `firmware.bmpMap` into the scrambled body at body position
/// `address.bmpMapOffset`: unscrambles the body into the work buffer, copies
/// the 640 bytes in, and scrambles the body back, each with the window
/// [blockOffset, blockOffset + plainLength) left plain. BmpMap bytes that fall
/// beyond the body, or beyond the work buffer, are not carried.
void insertBmpMap(FirmwareImage& firmware, const AddressRecord& address);

}  // namespace updater
