#include "jobs/ms_update.h"

#include <string>
#include <string_view>

#include "common/text_format.h"
#include "device/identify_record.h"
#include "device/self_driver/self_driver_commands.h"
#include "device/self_driver/self_driver_scan.h"
#include "isp/sequence_steps.h"
#include "isp/status_dialog.h"
#include "jobs/image_files.h"
#include "jobs/run_history.h"

namespace updater {
namespace {

constexpr std::string_view kRule = "========================================================";

/// The texts that differ between the two modes.
struct ModeTexts {
  std::string_view title;
  std::string_view label;
  std::string_view revisionBefore;
  std::string_view noLoaderVersion;
  std::string_view transferError;
  std::string_view success;
};

constexpr ModeTexts kProgramTexts = {
    "==  MS Internal System Program Ver1.10                ==",
    "    ISP status : ",
    "MS 32K Revision[before ISP]:",
    "Not Support Get Version.",
    "Error!!! ISP TRANSFER DATA ERROR WHEN PROGRAMING CODE!!!",
    " [Write Data sucessfull]",
};

constexpr ModeTexts kVerifyTexts = {
    "==  MS Romcode Verify Program  Ver1.10                ==",
    " Verify status : ",
    "MS 32K Revision :",
    "Not Support Get Version!!!\nWarning: Device must remove from PC, then connect again.",
    "Error!!! ISP TRANSFER DATA ERROR WHEN Verify CODE!!!",
    " [Verify Data sucessfull]",
};

/// Main programs whose loader can neither compare nor be left again.
constexpr std::string_view kOldLoaderRevisions[] = {"verM1.1a", "verM1.2a", "verM1.2b"};

constexpr std::string_view kRetryLines[kLoaderAttempts] = {
    "",
    "Warning! Retry program the Firmware : 1st Time!!!",
    "Warning! Retry program the Firmware : 2st Time!!!",
};

constexpr std::string_view kNotReady =
    "ERROR: Device Not Ready for ISP!! \n  P/S: May be the [MS Card not insert] or other problem!!!";
constexpr std::string_view kNoVerify = "ERROR: Device Not Support Verify Cammand!! ";
constexpr std::string_view kLoaderNotReady =
    "ERROR: Device Not Support Verify Cammand!! \n  P/S: Device must remove from PC, then connect again.";
constexpr std::string_view kJumpError = "Error!!! JMP MS ISP STATUS ERROR!!!";
constexpr std::string_view kStatusError = "Error!!! GET MS ISP STATUS ERROR!!!";
constexpr std::string_view kWriteDataError = "Write data Error\n";

/// The Memory Stick revision in IdentifyData: four 16-bit words, the first
/// character of each in the high byte. The text ends at its first zero byte.
std::string msRevisionText(const IdentifyData& identify) {
  std::string text;
  for (std::size_t i = 0; i < 8; ++i) {
    const auto c = static_cast<char>(identify[identify_block::kMsFwRevision + (i ^ 1)]);
    if (c == '\0') break;
    text += c;
  }
  return text;
}

bool isOldLoaderRevision(std::string_view revision) {
  for (const auto old : kOldLoaderRevisions) {
    if (revision == old) return true;
  }
  return false;
}

std::string jumpStatusText(Byte status, std::string_view target) {
  std::string text = "Error!!! DEBUG : JMP MS ISP reponse status : ";
  appendHex(text, status);
  text += "\nError!!! JMP MS ";
  text += target;
  text += " reponse status  != 0x9c !!!";
  return text;
}

class MsUpdateRun {
 public:
  MsUpdateRun(JobContext& job, SelfDriverPortRoute& portRoute, bool verify)
      : job_(job), sink_(job.sink), portRoute_(portRoute), verify_(verify),
        texts_(verify ? kVerifyTexts : kProgramTexts), route_(portRoute, job.table, job.driverName),
        window_(job.sink.statusView()) {
    // The controller is device 0 of the driver.
    portRoute_.aimAt(0);
  }

  bool run() {
    startReport();
    openWindow();
    if (!loadFirmwareFile()) return false;
    if (!readMainRevision()) return false;
    if (!enterLoader()) return false;
    if (!readLoaderRevision()) return false;
    Byte status = 0;
    if (!transfer(status)) return false;
    reportTransfer(status);
    if (oldLoader_) {
      // Such a loader cannot be left again by the program: the controller stays in it.
      window_.hide();
      return status == IspWriteOk;
    }
    return leaveLoader() && status == IspWriteOk;
  }

 private:
  void append(std::string_view line) {
    report_ += '\n';
    report_ += line;
  }

  void publish() {
    sink_.statusLog() = report_;
    window_.showText(report_);
  }

  // No box ever stands over the status window: it is hidden first, and once
  // a box has shown it stays hidden for the rest of the run.
  void box(std::string_view text) {
    window_.hide();
    sink_.stopBox(text);
  }

  // The failure exit; returns false so that a step can end with it.
  bool fail(std::string_view text) { return fail(text, text); }
  bool fail(std::string_view boxText, std::string_view logText) {
    window_.hide();
    sink_.fail(boxText, logText);
    return false;
  }

  void startReport() {
    report_ = kRule;
    append(texts_.title);
    append(kRule);
    append("==  ROMCODE = ");
    report_ += fieldText(job_.userIspData.msRomCodeFile);
    report_ += " || VxD DRIVER = ";
    report_ += job_.driverName;
    report_ += ' ';
    append(kRule);
    sink_.statusLog() = report_;
  }

  void openWindow() {
    window_.setRange(0, 10);
    window_.show();
    window_.showLabel(texts_.label);
    window_.showText(report_);
    window_.progress(1);
  }

  bool loadFirmwareFile() {
    const ImageFileResult result = loadFirmwareImage(job_.firmware, job_.workingDirectory,
                                                     fieldText(job_.userIspData.msRomCodeFile), kMsFirmwareLimit);
    if (!result.ok()) return fail(result.boxText, result.logText);
    noteHistoryImage(job_.history, fieldText(job_.userIspData.msRomCodeFile), job_.firmware);
    return true;
  }

  bool scanPortDriver() {
    return scanSelfDriver(portRoute_.driver(), AccessRoute::SelfDriverPort, job_.table) == kScanCompleted;
  }

  bool readMainRevision() {
    if (!scanPortDriver()) return fail(kNotReady);
    const std::string revision = msRevisionText(job_.table.identifyData);
    append(texts_.revisionBefore);
    report_ += revision;
    sink_.statusLog() = report_;
    if (isOldLoaderRevision(revision)) {
      oldLoader_ = true;
      if (verify_) return fail(kNoVerify);
    }
    return true;
  }

  // The switch addresses device 0, and the selection follows it. A block
  // that was not written has its own report, a plain box once the window is
  // hidden, and the driver is closed.
  bool switchProgram() {
    job_.table.selectedIndex = 0;
    if (sendMarkerBlock(portRoute_.driver())) return true;
    window_.hide();
    sink_.box(kWriteDataError, MessageIcon::None);
    portRoute_.driver().close();
    return false;
  }

  bool enterLoader() {
    Byte status = 0;
    switch (updater::enterLoader([&] { return switchProgram(); }, route_, job_.port, status)) {
      case LoaderEntry::SwitchFailed: return fail(kJumpError);
      case LoaderEntry::StatusFailed: return fail(kStatusError);
      case LoaderEntry::NotReady: return fail(jumpStatusText(status, "ISP"));
      case LoaderEntry::Ready: break;
    }
    append("SUCCESS! MS ISP STATUS:9c [F/W jump into MS ISP now]");
    publish();
    window_.progress(3);
    return true;
  }

  bool readLoaderRevision() {
    if (!scanPortDriver()) return fail(kLoaderNotReady);
    std::string revision = msRevisionText(job_.table.identifyData);
    if (!revision.starts_with("ver")) {
      oldLoader_ = true;
      revision = texts_.noLoaderVersion;
    }
    append("MS 4K_ISPCode  Revision :");
    report_ += revision;
    publish();
    window_.progress(2);
    return true;
  }

  // Up to three transfers until the loader answers A5; one with an old
  // loader. False when a request failed outright.
  bool transfer(Byte& status) {
    const LoaderImage image{job_.firmware.image, job_.firmware.length, job_.userIspData.romSelectCode};
    const IspDataMode mode = verify_ ? IspDataMode::Verify : IspDataMode::Program;
    const auto logRetry = [&](std::string_view line) {
      append(line);
      publish();
    };
    const auto failAttempt = [&] {
      fail(texts_.transferError);
      return Attempt::Failed;
    };
    const auto tryOnce = [&] {
      if (!sendImage(route_, image, mode)) return failAttempt();
      window_.progress(2);
      if (!readIspStatus(route_, status)) return failAttempt();
      window_.progress(2);
      if (status == IspWriteOk) return Attempt::Done;
      std::string line = "Error!!! DEBUG : MS ISP reponse status : ";
      appendHex(line, status);
      line += "\nError!!! JMP MS ISP reponse status  != 0xA5 !!!";
      append(line);
      window_.progress(2);
      return oldLoader_ ? Attempt::Stop : Attempt::Again;
    };
    return retryAttempts(kRetryLines, logRetry, tryOnce) != Attempt::Failed;
  }

  void reportTransfer(Byte status) {
    if (status == IspWriteOk) {
      append("SUCCESS! ISP STATUS:a5");
      report_ += texts_.success;
    } else {
      // The switch back still follows, with the window hidden.
      constexpr std::string_view kFailed = "Error!!! MS ISP OR Verify Fail!!!";
      box(kFailed);
      sink_.noteFailure(kFailed);
    }
    publish();
  }

  bool leaveLoader() {
    if (!switchProgram()) return fail(kJumpError, "Error!!! JMP MS 32K STATUS ERROR!!!");
    Byte status = 0;
    if (!readIspStatus(route_, status)) return fail(kStatusError, "Error!!! GET MS 32K STATUS ERROR!!!");
    if (status != IspReady) return fail(jumpStatusText(status, "32K"));
    append("SUCCESS! MS STATUS:9c [F/W jump into MS 32K now]");
    publish();
    window_.hide();
    return true;
  }

  JobContext& job_;
  RunSink& sink_;
  SelfDriverPortRoute& portRoute_;
  const bool verify_;
  const ModeTexts& texts_;
  RouteRun route_;
  StatusDialog window_;
  std::string report_;
  bool oldLoader_ = false;
};

}  // namespace

bool runMsUpdate(JobContext& job, SelfDriverPortRoute& portRoute, int verifyMode) {
  const bool verify = verifyMode == kMsVerify;
  const bool succeeded = MsUpdateRun(job, portRoute, verify).run();
  portRoute.driver().close();
  recordRun(job, verify ? "ms-verify" : "ms-isp", succeeded);
  return succeeded;
}

}  // namespace updater
