#include "isp/sequence_steps.h"

#include <array>
#include <string>

#include "common/text_format.h"

namespace updater {
namespace {

// Room for the longest status answer any route asks for.
constexpr std::size_t kStatusAnswerCapacity = 32;

}  // namespace

bool sendJumpToIsp(RunRoute& route) {
  VendorCommand command;
  command.cdb = jumpToIspBlock(route.traits().jumpByte5);
  command.direction = Direction::None;
  return route.channel().execute(command);
}

bool readIspStatus(RunRoute& route, Byte& status) {
  std::array<Byte, kStatusAnswerCapacity> answer{};
  VendorCommand command;
  command.cdb = getIspStatusBlock();
  command.direction = Direction::In;
  command.transferLength = route.traits().statusAnswerLength;
  command.data = Bytes(answer.data(), command.transferLength);
  const bool completed = route.channel().execute(command);
  status = answer[0];
  return completed;
}

bool sendImage(RunRoute& route, const LoaderImage& image, IspDataMode mode) {
  const std::uint32_t padded = paddedLength(image.length);
  VendorCommand command;
  command.cdb = sendIspDataBlock(mode, image.romSelect, image.length, padded);
  command.direction = Direction::Out;
  switch (route.traits().dataSent) {
    case DataSent::PaddedWithZeros:
      command.transferLength = padded;
      command.data = image.buffer.first(image.length);
      break;
    case DataSent::PaddedFromBuffer:
      command.transferLength = padded;
      command.data = image.buffer.first(padded);
      break;
    case DataSent::ExactLength:
      command.transferLength = image.length;
      command.data = image.buffer.first(image.length);
      break;
  }
  return route.channel().execute(command);
}

bool refuseUnsendableLength(RunSink& sink, std::uint32_t length) {
  if (length != 0 && length <= 0xFFFF) return false;
  std::string text = "Error!!! File too large !!!, ";
  appendDecimal(text, length);
  sink.fail(text, text);
  return true;
}

void logEvent(RunSink& sink, StatusDialog& window, std::string_view line) {
  sink.appendLine(line);
  window.showText(sink.statusLog());
}

void logStatusEvent(RunSink& sink, StatusDialog& window, std::string_view prefix, Byte status,
                    std::string_view event) {
  std::string& log = sink.statusLog();
  log += '\n';
  log += prefix;
  appendHex(log, status);
  log += event;
  window.showText(log);
}

void failRun(SequenceContext& context, StatusDialog& window, std::string_view boxText, std::string_view logText) {
  window.hide();
  context.sink.fail(boxText, logText);
  context.route.end();
}

}  // namespace updater
