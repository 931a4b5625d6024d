#include "virtual_reader/bulk_only_target.h"

#include <algorithm>

#include "virtual_reader/reader_command.h"

namespace updater {
namespace {

using bulk_only::CommandStatus;

CommandStatus statusOf(CommandOutcome outcome) {
  switch (outcome) {
    case CommandOutcome::Good: return CommandStatus::Passed;
    case CommandOutcome::CheckCondition: return CommandStatus::Failed;
    default: return CommandStatus::PhaseError;
  }
}

BulkStep unplugged() {
  BulkStep step;
  step.unplug = true;
  return step;
}

}  // namespace

BulkOnlyTarget::BulkOnlyTarget(SimReader& reader, const TargetSettings& settings)
    : reader_(reader), settings_(settings) {
  // One unit per drive letter, as the program counts them; at least one.
  const std::size_t units = std::max<std::size_t>(reader.description.letters.size(), 1);
  for (std::size_t i = 0; i < units; ++i) units_.emplace_back(reader.description.inquiry, settings.blocksPerUnit);
}

void BulkOnlyTarget::reset() {
  awaitingData_.reset();
  awaitingReset_ = false;
}

BulkStep BulkOnlyTarget::refuseWrapper() {
  awaitingReset_ = true;
  BulkStep step;
  step.haltIn = true;
  step.haltOut = true;
  return step;
}

BulkStep BulkOnlyTarget::commandReceived(ConstBytes packet) {
  if (awaitingReset_) return refuseWrapper();
  const std::optional<bulk_only::CommandWrapper> wrapper = bulk_only::parseCommandWrapper(packet, maxLun());
  if (!wrapper) return refuseWrapper();

  Command command{*wrapper, {}, readerCommand(wrapper->block)};
  command.intent =
      command.readerRequest ? readerIntent(*command.readerRequest) : units_[wrapper->lun].intent(wrapper->block);
  if (wrapper->dataLength == 0) return noHostData(command);
  if (wrapper->dataIn) return hostReceives(command);
  awaitingData_ = command;
  BulkStep step;
  step.receive = wrapper->dataLength;
  return step;
}

BulkStep BulkOnlyTarget::noHostData(const Command& command) {
  switch (command.intent.direction) {
    case DataDirection::None:
      return ended(command, answer(command, {}), 0);
    case DataDirection::In: {
      // Hn<Di: the reader does what it can without sending anything.
      const CommandReply reply = answer(command, {});
      return reply.outcome == CommandOutcome::Unplug ? unplugged() : phaseError(command, 0);
    }
    default:
      return phaseError(command, 0);
  }
}

BulkStep BulkOnlyTarget::hostReceives(const Command& command) {
  const std::uint32_t expected = command.wrapper.dataLength;
  if (command.intent.direction == DataDirection::Out) {
    BulkStep step = phaseError(command, expected);
    step.haltIn = true;
    return step;
  }
  const CommandReply reply = answer(command, {});
  if (reply.outcome == CommandOutcome::Unplug) return unplugged();
  BulkStep step;
  if (reply.outcome != CommandOutcome::TransportFailure) {
    const std::size_t sent = std::min<std::size_t>(reply.dataIn.size(), expected);
    step.send.assign(reply.dataIn.begin(), reply.dataIn.begin() + static_cast<std::ptrdiff_t>(sent));
  }
  const auto residue = static_cast<std::uint32_t>(expected - step.send.size());
  step.haltIn = residue > 0;
  const CommandStatus status =
      command.intent.length > expected ? CommandStatus::PhaseError : statusOf(reply.outcome);
  step.status = bulk_only::statusWrapper(command.wrapper.tag, residue, status);
  return step;
}

BulkStep BulkOnlyTarget::dataReceived(ConstBytes data) {
  if (!awaitingData_) return refuseWrapper();
  const Command command = *awaitingData_;
  awaitingData_.reset();
  const std::uint32_t received = command.wrapper.dataLength;
  const DeviceIntent& intent = command.intent;

  if (command.readerRequest && intent.direction == DataDirection::Out) {
    ++dataOutCommands_;
    if (dataOutCommands_ == settings_.unplugAfterDataOut) return unplugged();
  }
  switch (intent.direction) {
    case DataDirection::None:
      return ended(command, answer(command, {}), received);
    case DataDirection::Out:
      if (intent.length > received) return phaseError(command, received);
      return ended(command, answer(command, data.first(std::min<std::size_t>(intent.length, data.size()))),
                   received - intent.length);
    default:
      return phaseError(command, received);
  }
}

CommandReply BulkOnlyTarget::answer(const Command& command, ConstBytes dataOut) {
  DiskUnit& unit = units_[command.wrapper.lun];
  if (!command.readerRequest) return unit.run(command.wrapper.block, dataOut);
  CommandReply reply = answerReaderCommand(reader_, *command.readerRequest, dataOut);
  unit.setSense(reply.outcome == CommandOutcome::CheckCondition ? reply.sense : sense::kNone);
  return reply;
}

BulkStep BulkOnlyTarget::ended(const Command& command, const CommandReply& reply, std::uint32_t residue) {
  if (reply.outcome == CommandOutcome::Unplug) return unplugged();
  BulkStep step;
  step.status = bulk_only::statusWrapper(command.wrapper.tag, residue, statusOf(reply.outcome));
  return step;
}

BulkStep BulkOnlyTarget::phaseError(const Command& command, std::uint32_t residue) {
  BulkStep step;
  step.status = bulk_only::statusWrapper(command.wrapper.tag, residue, CommandStatus::PhaseError);
  return step;
}

}  // namespace updater
