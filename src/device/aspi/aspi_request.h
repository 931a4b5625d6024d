#pragma once

// One ASPI request as the program sends it: an SRB_ExecSCSICmd in a zeroed
// 256-byte block, its own data buffer, and the posting routine the layer
// calls on its own thread when the request has completed. Each request
// carries its own flags, so a request that the sender stopped waiting for
// can still be posted later without touching anything else.

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

#include "device/inquiry_identity.h"
#include "common/bytes.h"
#include "isp/vendor_command.h"
#include "platform/aspi_srb.h"
#include "platform/port.h"

namespace updater {

/// A reader's place on the ASPI layer.
struct AspiAddress {
  std::uint8_t adapter = 0;
  std::uint8_t target = 0;
};

/// What the layer's thread does with a completed request before it marks
/// it done.
enum class AspiPostingKind : std::uint8_t {
  InquiryCheck,      // compare the inquiry identity with the wanted ones
  IdentifyCopy,      // the identify block stays in the buffer for the sender
  VendorCompletion,  // keep answer byte 0 as the loader's status
};

/// One kind of request: its command block and data phase.
struct AspiCommand {
  CommandBlock cdb{};          // 6-byte blocks use the first six bytes
  std::uint8_t cdbLength = 0;  // SRB_CDBLen: 6 or 12
  std::uint8_t flags = 0;      // SRB_Flags: direction and SRB_POSTING
  std::uint32_t bufLen = 0;    // SRB_BufLen
  /// Bytes of the data buffer the request names; at least `bufLen`.
  std::uint32_t bufferSize = 0;
  AspiPostingKind posting = AspiPostingKind::VendorCompletion;
};

/// The standard INQUIRY of the scan: 40 bytes in.
AspiCommand aspiInquiryCommand();
/// The controller's identify block: 528 bytes in.
AspiCommand aspiIdentifyCommand();
/// A loader command on this route: the block as given, data in or out as
/// its direction says (jumpToIsp names an unused 40-byte buffer).
AspiCommand aspiVendorCommand(const VendorCommand& command);

/// What the posting routine leaves for the sender. Everything is written on
/// the layer's thread before `done`, which is stored last with release
/// order; the sender reads the rest only after it has seen `done`.
struct AspiRequestState {
  std::atomic<bool> done{false};
  std::atomic<bool> error{false};  // SRB_Status was not SS_COMP
  std::atomic<bool> found{false};  // the inquiry identity matched
  std::atomic<std::uint8_t> foundAdapter{0};
  std::atomic<std::uint8_t> foundTarget{0};
  std::atomic<std::uint8_t> status{0};  // the loader's answer byte 0
};

/// The two identities an inquiry check accepts (only vendor and product,
/// the first 24 bytes, count).
using AspiIdentities = std::array<InquiryIdentity, 2>;

class AspiRequest final : public AspiPostingRoutine {
 public:
  /// Builds the zeroed block for `command` at `address`; the data buffer
  /// is zeroed too. `identities` matter for an inquiry check only.
  AspiRequest(const AspiCommand& command, AspiAddress address, const AspiIdentities& identities = {});

  AspiRequest(const AspiRequest&) = delete;
  AspiRequest& operator=(const AspiRequest&) = delete;

  /// Names the data buffer in the block by the address the port gave it.
  void setBufferAddress(DataAddress address);

  /// Runs on the layer's thread once the request has completed.
  void posted(Bytes requestBlock) override;

  Bytes block() { return block_; }
  ConstBytes block() const { return block_; }
  Bytes data() { return data_; }
  ConstBytes data() const { return data_; }
  const AspiRequestState& state() const { return state_; }
  bool isDone() const { return state_.done.load(std::memory_order_acquire); }

 private:
  // The posting routines, one per AspiPostingKind.
  using PostingRoutine = void (*)(AspiRequest&, ConstBytes block);
  static void checkInquiry(AspiRequest& request, ConstBytes block);
  static void keepIdentify(AspiRequest& request, ConstBytes block);
  static void keepIspStatus(AspiRequest& request, ConstBytes block);
  static const PostingRoutine kPostingRoutines[];

  std::array<Byte, aspi_srb::kBlockSize> block_{};
  std::vector<Byte> data_;
  AspiPostingKind posting_;
  AspiIdentities identities_;
  AspiRequestState state_;
};

/// The bounded comparison of the inquiry check: the 24 bytes of vendor and
/// product against the same bytes of `identity`, stopping early where both
/// hold a zero byte.
bool inquiryIdentityMatches(ConstBytes vendorAndProduct, const InquiryIdentity& identity);

}  // namespace updater
