#include "isp/sequence_steps.h"

#include <array>
#include <string>

#include "common/program.h"
#include "common/text_format.h"

namespace updater {
namespace {

// Room for the longest status answer any route asks for.
constexpr std::size_t kStatusAnswerCapacity = 32;

}  // namespace

bool sendJumpToIsp(RouteBinding& route) {
  VendorCommand command;
  command.cdb = jumpToIspBlock(route.traits().jumpByte5);
  command.direction = Direction::None;
  return route.channel().execute(command);
}

bool readIspStatus(RouteBinding& route, Byte& status) {
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

bool sendImage(Program& program, RouteBinding& route, IspDataMode mode, const ImageTransfer& transfer) {
  VendorCommand command;
  command.cdb = sendIspDataBlock(mode, program.userIspData.romSelectCode, transfer.length,
                                 transfer.paddedLength);
  command.direction = Direction::Out;
  Byte* image = program.firmwareImage.image.data();
  switch (route.traits().dataSent) {
    case DataSent::PaddedWithZeros:
      command.transferLength = transfer.paddedLength;
      command.data = Bytes(image, transfer.length);
      break;
    case DataSent::PaddedFromBuffer:
      command.transferLength = transfer.paddedLength;
      command.data = Bytes(image, transfer.paddedLength);
      break;
    case DataSent::ExactLength:
      command.transferLength = transfer.length;
      command.data = Bytes(image, transfer.length);
      break;
  }
  return route.channel().execute(command);
}

bool refuseUnsendableLength(Program& program, std::uint32_t length) {
  if (length != 0 && length <= 0xFFFF) return false;
  std::string text = "Error!!! File too large !!!, ";
  appendDecimal(text, length);
  program.mainView.messageBox(text, program.applicationName, MessageIcon::Stop);
  program.statusLog += '\n';
  program.statusLog += text;
  return true;
}

void logEvent(Program& program, StatusDialog& window, std::string_view line) {
  program.statusLog += '\n';
  program.statusLog += line;
  window.showText(program.statusLog);
}

void logStatusEvent(Program& program, StatusDialog& window, std::string_view prefix, Byte status,
                    std::string_view event) {
  std::string& log = program.statusLog;
  log += '\n';
  log += prefix;
  appendHex(log, status);
  log += event;
  window.showText(log);
}

void failRun(Program& program, RouteBinding& route, StatusDialog& window, std::string_view boxText,
             std::string_view logText) {
  window.hide();
  program.mainView.messageBox(boxText, program.applicationName, MessageIcon::Stop);
  program.statusLog += '\n';
  program.statusLog += logText;
  route.end(program);
}

}  // namespace updater
