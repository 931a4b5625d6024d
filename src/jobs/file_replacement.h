#pragma once

// Replacing a file whole: the new contents go to a staging file beside the
// target, are flushed to the disk, and only then renamed over the target. A
// crash, a full disk or a failing write leaves the target as it was; a reader
// sees either the old contents or the new, never a part.
//
// The staging name belongs to this program only as far as a plain file left
// there by an earlier, interrupted replacement goes. Anything else standing
// there — a link, a directory, a FIFO — is somebody else's: it is neither
// written through nor removed, and the replacement fails instead.
//
// Every step goes through the port's file calls, so that a test can make
// any of them fail (a short or failed write, a failed flush, close or
// rename, a full disk) and see that the target stays as it was. The two
// halves are separate calls so that a test can stop between them, as a
// crash would.

#include <filesystem>
#include <string_view>

#include "platform/port.h"

namespace updater {

/// The staging file for `target`: the same name with ".new" appended, in the
/// same directory, so that the rename stays on one volume.
std::filesystem::path stagingPathFor(const std::filesystem::path& target);

/// First half: writes `contents` to the staging file of `target` and flushes
/// it to the disk. A staging file left by an earlier crash is replaced. False,
/// with `target` and whatever stands at the staging name untouched and no
/// staging file of this call left, when `target` is read-only (see
/// Port::isReadOnlyFile), when something other than a plain file stands at
/// the staging name, or when the staging file cannot be made, written whole,
/// flushed or closed (jobs/durable_write.h).
bool stageReplacement(Port& port, const std::filesystem::path& target, std::string_view contents);

/// Second half: renames the staging file over `target` in one step. On false
/// the staging file is removed and `target` is untouched.
bool commitReplacement(Port& port, const std::filesystem::path& target);

/// Both halves: true when `target` now holds `contents`; on false `target`
/// is as it was and no staging file of this call is left.
bool replaceFile(Port& port, const std::filesystem::path& target, std::string_view contents);

}  // namespace updater
