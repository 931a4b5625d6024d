#pragma once

// Which firmware images suit which readers, and what a reader's hardware
// revision means for the jobs. Both work on the revision code: the first four
// characters of the revision text ("4023").

#include <optional>
#include <string_view>

#include "device/hardware_revision.h"
#include "jobs/firmware_image.h"

namespace updater {

/// Checks the image against the reader, row by row of the compatibility
/// table: each row binds one kind of image to a set of revisions in both
/// directions. A row's image on a reader outside the row fails with
/// "nError!!! HardWare version not correct!!!"; a reader of the row with
/// another image fails with the row's own text. The rows are tried in order,
/// each first from the image's side, and the first failure is the answer;
/// none when the image suits the reader. The first row knows its readers by
/// the three `usbHwRevision` bytes, the others by the code of
/// `hardwareRevisionText`.
std::optional<std::string_view> checkImageMatchesDevice(ImageHead head, std::string_view hardwareRevisionText,
                                                        const HardwareRevision& usbHwRevision);

/// What a revision means for the jobs.
struct RevisionGroups {
  /// The ISP job reads the address file ...
  bool readsAddressFile = false;
  /// ... with its words 3 and 4 (the BmpMap's); the verify job reads the
  /// address file only for these revisions.
  bool readsBmpMapWords = false;
  /// An unreadable address file does not stop the ISP job; the plain-block
  /// patch is then left out.
  bool toleratesAddressErrors = false;
  /// The ISP job reads SERIAL.TXT and, after a success, advances it.
  bool usesSerialFile = true;
};

/// The groups of the revision whose text is `hardwareRevisionText`.
RevisionGroups revisionGroupsOf(std::string_view hardwareRevisionText);

}  // namespace updater
