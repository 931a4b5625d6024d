#include "isp/program_firmware.h"

#include <string>

#include "common/program.h"
#include "common/text_format.h"
#include "isp/sequence_steps.h"
#include "isp/start_route.h"

namespace updater {
namespace {

constexpr std::string_view kLabel = "    ISP status : ";
constexpr std::string_view kSuccessPrefix = "SUCCESS! ISP STATUS:";
constexpr std::uint32_t kJumpSettleMs = 100;
constexpr int kAttempts = 3;

constexpr std::string_view kRetryLines[] = {
    "",
    "Warning! Retry program the Firmware : 1st Time!!!",
    "Warning! Retry program the Firmware : 2st Time!!!",
};

class ProgrammingRun {
 public:
  ProgrammingRun(Program& program, RouteBinding& route, std::uint32_t length)
      : program_(program), route_(route), weights_(route.traits().programProgress),
        transfer_{length, paddedLength(length)}, window_(program.statusView) {}

  void run() {
    openWindow();
    if (!enterLoader()) return;
    Byte status = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      if (attempt > 0) logEvent(program_, window_, kRetryLines[attempt]);
      if (!programAndCompare(status)) return;
      if (status == IspVerifyOk) return succeed();
    }
    giveUp(status);
  }

 private:
  void point(int n) { window_.progress(weights_[static_cast<std::size_t>(n - 1)]); }

  void openWindow() {
    window_.setRange(0, 15);
    window_.show();
    window_.showLabel(kLabel);
    window_.showText(route_.traits().initialTextIsStatusLog ? std::string_view(program_.statusLog)
                                                            : std::string_view());
    point(1);
  }

  // The failure exit; returns false so that a step can end with it.
  bool fail(std::string_view text, bool counted) {
    if (counted) ++program_.tally.errorCount;
    failRun(program_, route_, window_, text, text);
    return false;
  }

  bool enterLoader() {
    if (!sendJumpToIsp(route_)) return fail("Error!!! JMP ISP STATUS ERROR!!!", false);
    program_.port.sleep(kJumpSettleMs);
    Byte status = 0;
    if (!readIspStatus(route_, status)) return fail("Error!!! GET ISP STATUS ERROR!!!", false);
    if (status != IspReady) {
      std::string text = "Error!!! DEBUG : JMP ISP reponse status : ";
      appendHex(text, status);
      text += "\nError!!! JMP ISP reponse status  != 0x9c !!!";
      return fail(text, false);
    }
    logStatusEvent(program_, window_, kSuccessPrefix, status, " [Firmware jump into ISP now]");
    point(2);
    ++program_.tally.totalCount;
    return true;
  }

  // One attempt: the programming transfer, its answer, the compare transfer
  // and its answer (left in `status`). False when the run has failed.
  bool programAndCompare(Byte& status) {
    if (!sendImage(program_, route_, IspDataMode::Program, transfer_))
      return fail("Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!", true);
    point(3);
    if (!readIspStatus(route_, status))
      return fail("Error!!! GET ISP STATUS ERROR WHEN PROGRAMING CODE!!!", true);
    point(4);
    if (status != IspWriteOk) return fail("ERROR!!! JMP ISP reponse status  != 0xA5 !!!", true);
    point(5);
    logStatusEvent(program_, window_, kSuccessPrefix, status, " [Write Data sucessfull]");

    const std::uint32_t pause = route_.traits().pauseBeforeVerifyMs;
    if (pause != 0) program_.port.sleep(pause);
    if (!sendImage(program_, route_, IspDataMode::Verify, transfer_))
      return fail("ERROR!!! ISP VERIFY Transfer Data Error!!!", true);
    point(6);
    status = 0;
    if (!readIspStatus(route_, status))
      return fail("ERROR!!! GET ISP STATUS ERROR WHEN SEND DATA VERIFY!!!", true);
    return true;
  }

  void succeed() {
    point(7);
    logStatusEvent(program_, window_, kSuccessPrefix, IspVerifyOk, " [Verify Data sucessfull]");
    ++program_.tally.successCount;
    window_.hide();
    route_.end(program_);
  }

  void giveUp(Byte lastStatus) {
    ++program_.tally.errorCount;
    if (lastStatus == IspVerifyError) {
      constexpr std::string_view text = "Error!!! ISP Data Verify Error, Program Fail!!!";
      failRun(program_, route_, window_, text, text);
    } else {
      failRun(program_, route_, window_,
              "Error!!! ISP reponse status  != 0x5A or 0x33 !!!, Unknow Error Happen!!!",
              "Error! ISP status != 0x5A or 0x33 !, Unknow Error Happen!!!");
    }
  }

  Program& program_;
  RouteBinding& route_;
  const std::array<int, 7>& weights_;
  const ImageTransfer transfer_;
  StatusDialog window_;
};

}  // namespace

void programFirmware(Program& program, RouteBinding& route, std::uint32_t length) {
  if (refuseUnsendableLength(program, length)) return;
  if (!startRoute(program, route)) return;
  ProgrammingRun(program, route, length).run();
}

}  // namespace updater
