#include "isp/program_firmware.h"

#include <string>

#include "common/text_format.h"
#include "isp/start_route.h"

namespace updater {
namespace {

constexpr std::string_view kLabel = "    ISP status : ";
constexpr std::string_view kSuccessPrefix = "SUCCESS! ISP STATUS:";

constexpr std::string_view kRetryLines[kLoaderAttempts] = {
    "",
    "Warning! Retry program the Firmware : 1st Time!!!",
    "Warning! Retry program the Firmware : 2st Time!!!",
};

class ProgrammingRun {
 public:
  ProgrammingRun(const LoaderImage& image, SequenceContext& context, IspTally& tally)
      : image_(image), context_(context), sink_(context.sink), tally_(tally),
        weights_(context.route.traits().programProgress), window_(context.sink.statusView()) {}

  void run() {
    openWindow();
    if (!enterLoader()) return;
    Byte status = 0;
    const Attempt result = retryAttempts(
        kRetryLines, [&](std::string_view line) { logEvent(sink_, window_, line); },
        [&] { return programAndCompare(status); });
    if (result == Attempt::Failed) return;
    if (result == Attempt::Done) return succeed();
    giveUp(status);
  }

 private:
  void point(int n) { window_.progress(weights_[static_cast<std::size_t>(n - 1)]); }

  void openWindow() {
    window_.setRange(0, 15);
    window_.show();
    window_.showLabel(kLabel);
    window_.showText(context_.route.traits().initialTextIsStatusLog ? std::string_view(sink_.statusLog())
                                                                    : std::string_view());
    point(1);
  }

  // The failure exit; returns false so that a step can end with it.
  bool fail(std::string_view text, bool counted) {
    if (counted) ++tally_.errorCount;
    failRun(context_, window_, text, text);
    return false;
  }
  Attempt failAttempt(std::string_view text) {
    fail(text, true);
    return Attempt::Failed;
  }

  bool enterLoader() {
    Byte status = 0;
    switch (updater::enterLoader([&] { return sendJumpToIsp(context_.route); }, context_.route, context_.clock,
                                 status)) {
      case LoaderEntry::SwitchFailed: return fail("Error!!! JMP ISP STATUS ERROR!!!", false);
      case LoaderEntry::StatusFailed: return fail("Error!!! GET ISP STATUS ERROR!!!", false);
      case LoaderEntry::NotReady: {
        std::string text = "Error!!! DEBUG : JMP ISP reponse status : ";
        appendHex(text, status);
        text += "\nError!!! JMP ISP reponse status  != 0x9c !!!";
        return fail(text, false);
      }
      case LoaderEntry::Ready: break;
    }
    logStatusEvent(sink_, window_, kSuccessPrefix, status, " [Firmware jump into ISP now]");
    point(2);
    ++tally_.totalCount;
    return true;
  }

  // One attempt: the programming transfer, its answer, the compare transfer
  // and its answer (left in `status`).
  Attempt programAndCompare(Byte& status) {
    RunRoute& route = context_.route;
    if (!sendImage(route, image_, IspDataMode::Program))
      return failAttempt("Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!");
    point(3);
    if (!readIspStatus(route, status)) return failAttempt("Error!!! GET ISP STATUS ERROR WHEN PROGRAMING CODE!!!");
    point(4);
    if (status != IspWriteOk) return failAttempt("ERROR!!! JMP ISP reponse status  != 0xA5 !!!");
    point(5);
    logStatusEvent(sink_, window_, kSuccessPrefix, status, " [Write Data sucessfull]");

    const std::uint32_t pause = route.traits().pauseBeforeVerifyMs;
    if (pause != 0) context_.clock.sleep(pause);
    if (!sendImage(route, image_, IspDataMode::Verify)) return failAttempt("ERROR!!! ISP VERIFY Transfer Data Error!!!");
    point(6);
    status = 0;
    if (!readIspStatus(route, status)) return failAttempt("ERROR!!! GET ISP STATUS ERROR WHEN SEND DATA VERIFY!!!");
    return status == IspVerifyOk ? Attempt::Done : Attempt::Again;
  }

  void succeed() {
    point(7);
    logStatusEvent(sink_, window_, kSuccessPrefix, IspVerifyOk, " [Verify Data sucessfull]");
    ++tally_.successCount;
    window_.hide();
    context_.route.end();
  }

  void giveUp(Byte lastStatus) {
    ++tally_.errorCount;
    if (lastStatus == IspVerifyError) {
      constexpr std::string_view text = "Error!!! ISP Data Verify Error, Program Fail!!!";
      failRun(context_, window_, text, text);
    } else {
      failRun(context_, window_, "Error!!! ISP reponse status  != 0x5A or 0x33 !!!, Unknow Error Happen!!!",
              "Error! ISP status != 0x5A or 0x33 !, Unknow Error Happen!!!");
    }
  }

  const LoaderImage& image_;
  SequenceContext& context_;
  RunSink& sink_;
  IspTally& tally_;
  const std::array<int, 7>& weights_;
  StatusDialog window_;
};

}  // namespace

void programFirmware(const LoaderImage& image, SequenceContext& context, IspTally& tally) {
  if (refuseUnsendableLength(context.sink, image.length)) return;
  if (!startRoute(context.route, context.sink)) return;
  ProgrammingRun(image, context, tally).run();
}

}  // namespace updater
