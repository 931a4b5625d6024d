#pragma once

// Calls into a loaded ASPI for Win32 layer through its two entry points,
// and the posting routine of the program that the layer calls back.

#include <cstdint>

#include "common/bytes.h"
#include "platform/port.h"

namespace updater::win32 {

/// GetASPI32SupportInfo through `entry`; 0 (no adapters, no status) when
/// there is no entry point.
std::uint32_t callGetAspi32SupportInfo(EntryPointValue entry);

/// SendASPI32Command through `entry` with `requestBlock`, whose SRB_PostProc
/// is set to the program's posting routine; that routine hands the
/// completed block to `posting` on the layer's thread. Returns the layer's
/// immediate status. On 64-bit Windows, and without an entry point or a
/// whole request block, returns SS_ERR at once; `posting` then never runs.
std::uint32_t callSendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting);

}  // namespace updater::win32
