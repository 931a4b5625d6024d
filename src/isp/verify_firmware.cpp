#include "isp/verify_firmware.h"

#include <string>

#include "common/program.h"
#include "common/text_format.h"
#include "isp/sequence_steps.h"
#include "isp/start_route.h"

namespace updater {
namespace {

constexpr std::string_view kLabel = "Verify status : ";
constexpr std::string_view kSuccessPrefix = "SUCCESS! Verify STATUS:";
constexpr std::uint32_t kJumpSettleMs = 100;
constexpr int kProgressWeight = 5;
constexpr int kAttempts = 3;

constexpr std::string_view kRetryLines[] = {
    "",
    "Warning! Retry Verify the Firmware : 1st Time!!!",
    "Warning! Retry Verify the Firmware : 2st Time!!!",
};

class VerifyRun {
 public:
  VerifyRun(Program& program, RouteBinding& route, std::uint32_t length)
      : program_(program), route_(route), transfer_{length, paddedLength(length)},
        window_(program.statusView) {}

  void run() {
    openWindow();
    if (!enterLoader()) return;
    Byte status = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      if (attempt > 0) logEvent(program_, window_, kRetryLines[attempt]);
      if (!compare(status)) return;
      if (status == IspVerifyOk) return succeed();
    }
    giveUp(status);
  }

 private:
  void openWindow() {
    window_.setRange(0, 15);
    window_.show();
    window_.showLabel(kLabel);
    window_.showText(program_.statusLog);
    window_.progress(kProgressWeight);
  }

  // The failure exit; the box may name the ISP step while the log names the
  // verify run. Returns false so that a step can end with it.
  bool fail(std::string_view boxText, std::string_view logText) {
    failRun(program_, route_, window_, boxText, logText);
    return false;
  }
  bool fail(std::string_view text) { return fail(text, text); }

  bool enterLoader() {
    if (!sendJumpToIsp(route_))
      return fail("Error!!! JMP ISP STATUS ERROR!!!", "Error!!! JMP Verify STATUS ERROR!!!");
    program_.port.sleep(kJumpSettleMs);
    Byte status = 0;
    if (!readIspStatus(route_, status))
      return fail("Error!!! GET ISP STATUS ERROR!!!", "Error!!! GET Verify STATUS ERROR!!!");
    if (status != IspReady) {
      std::string text = "Error!!! DEBUG : JMP Verify reponse status : ";
      appendHex(text, status);
      text += "\nError!!! JMP ISP reponse status  != 0x9c !!!";
      return fail(text);
    }
    logStatusEvent(program_, window_, kSuccessPrefix, status, " [Start Verify Firmware now]");
    window_.progress(kProgressWeight);
    return true;
  }

  bool compare(Byte& status) {
    if (!sendImage(program_, route_, IspDataMode::Verify, transfer_))
      return fail("ERROR!!! ISP VERIFY Transfer Data Error!!!");
    status = 0;
    if (!readIspStatus(route_, status)) return fail("ERROR!!! GET Verify STATUS ERROR WHEN SEND DATA VERIFY!!!");
    return true;
  }

  void succeed() {
    window_.progress(kProgressWeight);
    logStatusEvent(program_, window_, kSuccessPrefix, IspVerifyOk, " [Verify Data sucessfull]");
    window_.hide();
    route_.end(program_);
  }

  void giveUp(Byte lastStatus) {
    if (lastStatus == IspVerifyError) {
      fail("Error!!! Uncorrect Firmware version, Verify Fail !!!");
    } else {
      fail("Error!!! Verify Reponse status  != 0x5A or 0x33 !!!, Unknow Error Happen!!!",
           "Error! Verify Reponse status != 0x5A or 0x33 !, Unknow Error Happen!!!");
    }
  }

  Program& program_;
  RouteBinding& route_;
  const ImageTransfer transfer_;
  StatusDialog window_;
};

}  // namespace

void verifyFirmware(Program& program, RouteBinding& route, std::uint32_t length) {
  if (refuseUnsendableLength(program, length)) return;
  if (!startRoute(program, route)) return;
  VerifyRun(program, route, length).run();
}

}  // namespace updater
