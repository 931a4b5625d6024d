#include "bot_session.h"

#include <algorithm>

#include "isp/vendor_command.h"
#include "own_commands.h"
#include "platform/sim/vendor_blocks.h"
#include "program_request.h"

namespace updater {
namespace {

using bulk_only::Cbw;
using bulk_only::Status;

bool isVendorDataBlock(const Cbw& cbw) {
  CommandBlock cdb{};
  std::copy_n(cbw.block.begin(), cdb.size(), cdb.begin());
  const auto request = vendorRequestOf(cdb);
  return request == VendorRequest::ProgramData || request == VendorRequest::VerifyData;
}

BotActions failedStatus(const Cbw& cbw, Status status) {
  BotActions actions;
  // The host waits for data it will not get: the halt ends the data phase.
  actions.haltIn = cbw.expectsIn();
  const std::uint32_t residue = cbw.expectsOut() ? 0 : cbw.dataLength;
  actions.csw = bulk_only::makeCsw(cbw.tag, residue, status);
  return actions;
}

}  // namespace

BotActions wrapOutcome(const Cbw& cbw, const ScsiOutcome& outcome) {
  if (outcome.kind == OutcomeKind::TransportFailure) return failedStatus(cbw, Status::PhaseError);
  if (outcome.kind == OutcomeKind::CheckCondition) return failedStatus(cbw, Status::Failed);
  // The data-out was read in full; data-in the host did not ask for is a
  // phase error.
  if (!cbw.expectsIn()) {
    const bool unasked = !outcome.data.empty();
    BotActions actions = unasked ? failedStatus(cbw, Status::PhaseError) : BotActions{};
    if (!unasked) actions.csw = bulk_only::makeCsw(cbw.tag, 0, Status::Good);
    return actions;
  }
  BotActions actions;
  const std::size_t sent = std::min<std::size_t>(outcome.data.size(), cbw.dataLength);
  actions.dataIn.assign(outcome.data.begin(), outcome.data.begin() + static_cast<std::ptrdiff_t>(sent));
  const auto residue = static_cast<std::uint32_t>(cbw.dataLength - sent);
  // Short data that fills whole packets would not end the transfer; the
  // halt always does.
  actions.haltIn = residue > 0;
  actions.csw = bulk_only::makeCsw(cbw.tag, residue, Status::Good);
  return actions;
}

BotSession::BotSession(SimReader& reader, int units, int unplugAfter)
    : reader_(reader), units_(std::max(units, 1)), unplugAfter_(unplugAfter) {}

BotActions BotSession::commandReceived(ConstBytes wrapper) {
  pending_.reset();
  const std::optional<Cbw> cbw = bulk_only::parseCbw(wrapper, units_);
  if (!cbw) {
    // Not a meaningful wrapper: halt both until the host's reset recovery.
    BotActions actions;
    actions.haltIn = true;
    actions.haltOut = true;
    return actions;
  }
  if (cbw->expectsOut()) {
    pending_ = cbw;
    BotActions actions;
    actions.dataOutLength = cbw->dataLength;
    return actions;
  }
  return serve(*cbw, {});
}

BotActions BotSession::dataOutReceived(ConstBytes data) {
  if (!pending_) return BotActions{};
  const Cbw cbw = *pending_;
  pending_.reset();
  return serve(cbw, data);
}

BotActions BotSession::serve(const Cbw& cbw, ConstBytes dataOut) {
  const ScsiOutcome outcome = answer(cbw, dataOut);
  // REQUEST SENSE reports the last sense once; every other command replaces it.
  lastSense_ = outcome.kind == OutcomeKind::CheckCondition ? outcome.sense : sense::kNone;
  BotActions actions = wrapOutcome(cbw, outcome);
  actions.unplug = unplugNow(cbw);
  return actions;
}

ScsiOutcome BotSession::answer(const Cbw& cbw, ConstBytes dataOut) {
  if (std::optional<ScsiOutcome> outcome = answerProgramRequest(reader_, cbw, dataOut)) return *outcome;
  return answerOwnCommand(cbw, reader_.description.inquiry, lastSense_);
}

bool BotSession::unplugNow(const Cbw& cbw) {
  // An injected unplug takes the reader off the bus for good.
  if (!reader_.present()) return true;
  if (cbw.expectsOut() && isVendorDataBlock(cbw)) ++vendorDataPhases_;
  return unplugAfter_ > 0 && vendorDataPhases_ == unplugAfter_;
}

}  // namespace updater
