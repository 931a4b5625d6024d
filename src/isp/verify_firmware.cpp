#include "isp/verify_firmware.h"

#include <string>

#include "common/text_format.h"
#include "isp/start_route.h"

namespace updater {
namespace {

constexpr std::string_view kLabel = "Verify status : ";
constexpr std::string_view kSuccessPrefix = "SUCCESS! Verify STATUS:";
constexpr int kProgressWeight = 5;

constexpr std::string_view kRetryLines[kLoaderAttempts] = {
    "",
    "Warning! Retry Verify the Firmware : 1st Time!!!",
    "Warning! Retry Verify the Firmware : 2st Time!!!",
};

class VerifyRun {
 public:
  VerifyRun(const LoaderImage& image, SequenceContext& context)
      : image_(image), context_(context), sink_(context.sink), window_(context.sink.statusView()) {}

  bool run() {
    openWindow();
    if (!enterLoader()) return false;
    Byte status = 0;
    const Attempt result = retryAttempts(
        kRetryLines, [&](std::string_view line) { logEvent(sink_, window_, line); },
        [&] { return compare(status); });
    if (result == Attempt::Failed) return false;
    if (result == Attempt::Done) {
      succeed();
      return true;
    }
    giveUp(status);
    return false;
  }

 private:
  void openWindow() {
    window_.setRange(0, 15);
    window_.show();
    window_.showLabel(kLabel);
    window_.showText(sink_.statusLog());
    window_.progress(kProgressWeight);
  }

  // The failure exit; the box may name the ISP step while the log names the
  // verify run. Returns false so that a step can end with it.
  bool fail(std::string_view boxText, std::string_view logText) {
    failRun(context_, window_, boxText, logText);
    return false;
  }
  bool fail(std::string_view text) { return fail(text, text); }

  bool enterLoader() {
    Byte status = 0;
    switch (updater::enterLoader([&] { return sendJumpToIsp(context_.route); }, context_.route, context_.clock,
                                 status)) {
      case LoaderEntry::SwitchFailed:
        return fail("Error!!! JMP ISP STATUS ERROR!!!", "Error!!! JMP Verify STATUS ERROR!!!");
      case LoaderEntry::StatusFailed:
        return fail("Error!!! GET ISP STATUS ERROR!!!", "Error!!! GET Verify STATUS ERROR!!!");
      case LoaderEntry::NotReady: {
        std::string text = "Error!!! DEBUG : JMP Verify reponse status : ";
        appendHex(text, status);
        text += "\nError!!! JMP ISP reponse status  != 0x9c !!!";
        return fail(text);
      }
      case LoaderEntry::Ready: break;
    }
    logStatusEvent(sink_, window_, kSuccessPrefix, status, " [Start Verify Firmware now]");
    window_.progress(kProgressWeight);
    return true;
  }

  Attempt compare(Byte& status) {
    if (!sendImage(context_.route, image_, IspDataMode::Verify)) {
      fail("ERROR!!! ISP VERIFY Transfer Data Error!!!");
      return Attempt::Failed;
    }
    status = 0;
    if (!readIspStatus(context_.route, status)) {
      fail("ERROR!!! GET Verify STATUS ERROR WHEN SEND DATA VERIFY!!!");
      return Attempt::Failed;
    }
    return status == IspVerifyOk ? Attempt::Done : Attempt::Again;
  }

  void succeed() {
    window_.progress(kProgressWeight);
    logStatusEvent(sink_, window_, kSuccessPrefix, IspVerifyOk, " [Verify Data sucessfull]");
    window_.hide();
    context_.route.end();
  }

  void giveUp(Byte lastStatus) {
    if (lastStatus == IspVerifyError) {
      fail("Error!!! Uncorrect Firmware version, Verify Fail !!!");
    } else {
      fail("Error!!! Verify Reponse status  != 0x5A or 0x33 !!!, Unknow Error Happen!!!",
           "Error! Verify Reponse status != 0x5A or 0x33 !, Unknow Error Happen!!!");
    }
  }

  const LoaderImage& image_;
  SequenceContext& context_;
  RunSink& sink_;
  StatusDialog window_;
};

}  // namespace

bool verifyFirmware(const LoaderImage& image, SequenceContext& context) {
  if (refuseUnsendableLength(context.sink, image.length)) return false;
  if (!startRoute(context.route, context.sink)) return false;
  return VerifyRun(image, context).run();
}

}  // namespace updater
