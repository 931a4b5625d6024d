#include "platform/win32/win32_aspi.h"

#include "platform/aspi_posting_table.h"
#include "platform/aspi_srb.h"
#include "platform/win32/win32_values.h"

namespace updater::win32 {
namespace {

namespace srb = aspi_srb;

// Both entry points are plain C functions whose caller cleans the stack.
using GetAspi32SupportInfoFunction = DWORD(__cdecl*)();

}  // namespace

std::uint32_t callGetAspi32SupportInfo(EntryPointValue entry) {
  if (entry == EntryPointValue::None) return 0;
  return toFunction<GetAspi32SupportInfoFunction>(entry)();
}

#if defined(_WIN64)

// The request block is the published 32-bit SRB, with 32-bit buffer and
// posting routine addresses; a 64-bit layer reads another layout, so the
// block never reaches it. The program picks the ASPI route only on Windows
// ME, which a 64-bit program meets only where a system pretends to be it.
// The layer never saw the request, so its failure is posted here and now:
// the sender learns of it at once instead of at its time limit.
std::uint32_t callSendAspi32Command(EntryPointValue, Bytes requestBlock, AspiPostingRoutine& posting) {
  if (requestBlock.size() < srb::kStructureSize) return srb::kError;
  putU8(requestBlock, srb::kStatus, srb::kError);
  posting.posted(requestBlock);
  return srb::kError;
}

#else

namespace {

using SendAspi32CommandFunction = DWORD(__cdecl*)(void* requestBlock);

/// The requests whose posting is still to come. Never destroyed: a layer
/// may post while the process exits.
AspiPostingTable& waitingRequests() {
  static AspiPostingTable* const table = new AspiPostingTable;
  return *table;
}

/// What the layer calls, on its own thread, with the completed block. A
/// block the table does not know (posted twice) is ignored.
void __cdecl aspiPosted(void* requestBlock) { waitingRequests().post(requestBlock); }

}  // namespace

// ASPI for Win32 calls the posting routine of every request sent with
// SRB_POSTING, also one that completes at once with an error such as
// SS_NO_DEVICE, so a status other than SS_PENDING changes nothing here: the
// entry waits for the layer's posting, which may already have run. A layer
// that rejects a block without ever posting it leaves the sender to its time
// limit; the block is not reused while it is unposted, so its stale entry
// can do no harm.
std::uint32_t callSendAspi32Command(EntryPointValue entry, Bytes requestBlock, AspiPostingRoutine& posting) {
  if (entry == EntryPointValue::None || requestBlock.size() < srb::kStructureSize) return srb::kError;
  // In the table before the layer sees the block: it may post before it returns.
  waitingRequests().add(requestBlock, posting);
  putU32(requestBlock, srb::kPostProc, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&aspiPosted)));
  return toFunction<SendAspi32CommandFunction>(entry)(requestBlock.data());
}

#endif

}  // namespace updater::win32
