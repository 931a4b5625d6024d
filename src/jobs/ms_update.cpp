#include "jobs/ms_update.h"

#include <fstream>
#include <string>
#include <string_view>

#include "app/status_dialog.h"
#include "common/plain_file.h"
#include "common/program.h"
#include "common/text_format.h"
#include "device/identify_record.h"
#include "device/self_driver.h"
#include "device/self_driver_bindings.h"
#include "device/self_driver_commands.h"
#include "device/self_driver_scan.h"
#include "isp/sequence_steps.h"

namespace updater {
namespace {

constexpr std::string_view kRule = "========================================================";
constexpr std::uint32_t kSwitchSettleMs = 100;
constexpr int kAttempts = 3;

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

constexpr std::string_view kRetryLines[] = {
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
  MsUpdateRun(Program& program, bool verify)
      : program_(program), verify_(verify), texts_(verify ? kVerifyTexts : kProgramTexts), route_(program),
        window_(program.statusView) {}

  void run() {
    startReport();
    openWindow();
    if (!loadFirmwareFile()) return;
    if (!readMainRevision()) return;
    if (!enterLoader()) return;
    if (!readLoaderRevision()) return;
    Byte status = 0;
    if (!transfer(status)) return;
    reportTransfer(status);
    if (oldLoader_) {
      // Such a loader cannot be left again by the program: the controller stays in it.
      window_.hide();
      return;
    }
    leaveLoader();
  }

 private:
  void append(std::string_view line) {
    report_ += '\n';
    report_ += line;
  }

  void publish() {
    program_.statusLog = report_;
    window_.showText(report_);
  }

  // No box ever stands over the status window: it is hidden first, and once
  // a box has shown it stays hidden for the rest of the run.
  void box(std::string_view text) {
    window_.hide();
    program_.mainView.messageBox(text, program_.applicationName, MessageIcon::Stop);
  }

  // The failure exit; returns false so that a step can end with it.
  bool fail(std::string_view text) { return fail(text, text); }
  bool fail(std::string_view boxText, std::string_view logText) {
    box(boxText);
    program_.statusLog += '\n';
    program_.statusLog += logText;
    return false;
  }

  void startReport() {
    report_ = kRule;
    append(texts_.title);
    append(kRule);
    append("==  ROMCODE = ");
    report_ += fieldText(program_.userIspData.msRomCodeFile);
    report_ += " || VxD DRIVER = ";
    report_ += program_.selectedDriverName;
    report_ += ' ';
    append(kRule);
    program_.statusLog = report_;
  }

  void openWindow() {
    window_.setRange(0, 10);
    window_.show();
    window_.showLabel(texts_.label);
    window_.showText(report_);
    window_.progress(1);
  }

  bool loadFirmwareFile() {
    const std::string_view name = fieldText(program_.userIspData.msRomCodeFile);
    const std::filesystem::path path = program_.workingDirectory / std::string(name);
    std::ifstream file;
    // A directory, FIFO or device does not open at all (see plain_file.h).
    if (isPlainFile(path)) file.open(path, std::ios::binary);
    if (!file.is_open()) {
      std::string text = "Error!!! Can Not Open ";
      text += name;
      text += " ISP Binary ROM Code";
      return fail(text);
    }
    file.seekg(0, std::ios::end);
    const std::streamoff end = file.tellg();
    if (end < 0) return fail("Error!!! File length error !!!,-1");
    if (end > kMsFirmwareLimit) {
      std::string text = "Error!!! File too large !!!, ";
      appendDecimal(text, static_cast<std::uint32_t>(std::min<std::streamoff>(end, 0xFFFFFFFF)));
      return fail(text);
    }
    file.seekg(0);
    auto& image = program_.firmwareImage;
    file.read(reinterpret_cast<char*>(image.image.data()), static_cast<std::streamsize>(end));
    const auto read = static_cast<std::uint32_t>(file.gcount());
    if (read == 0) return fail("Error!!! Problem reading file!!!", "Error!!! Problem reading ROM code file!!!");
    image.length = read;
    return true;
  }

  bool readMainRevision() {
    if (scanSelfDriver(program_, AccessRoute::SelfDriverPort) != kScanCompleted) return fail(kNotReady);
    const std::string revision = msRevisionText(program_.deviceTable.identifyData);
    append(texts_.revisionBefore);
    report_ += revision;
    program_.statusLog = report_;
    if (isOldLoaderRevision(revision)) {
      oldLoader_ = true;
      if (verify_) return fail(kNoVerify);
    }
    return true;
  }

  // The marker block's own report comes first, once the window is hidden.
  bool switchProgram() {
    if (sendMarkerBlock(program_)) return true;
    window_.hide();
    reportMarkerBlockFailure(program_);
    return false;
  }

  bool enterLoader() {
    if (!switchProgram()) return fail(kJumpError);
    program_.port.sleep(kSwitchSettleMs);
    Byte status = 0;
    if (!readIspStatus(route_, status)) return fail(kStatusError);
    if (status != IspReady) return fail(jumpStatusText(status, "ISP"));
    append("SUCCESS! MS ISP STATUS:9c [F/W jump into MS ISP now]");
    publish();
    window_.progress(3);
    return true;
  }

  bool readLoaderRevision() {
    if (scanSelfDriver(program_, AccessRoute::SelfDriverPort) != kScanCompleted) return fail(kLoaderNotReady);
    std::string revision = msRevisionText(program_.deviceTable.identifyData);
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
    const std::uint32_t length = program_.firmwareImage.length;
    const ImageTransfer image{length, paddedLength(length)};
    const IspDataMode mode = verify_ ? IspDataMode::Verify : IspDataMode::Program;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      if (attempt > 0) {
        append(kRetryLines[attempt]);
        publish();
      }
      if (!sendImage(program_, route_, mode, image)) return fail(texts_.transferError);
      window_.progress(2);
      if (!readIspStatus(route_, status)) return fail(texts_.transferError);
      window_.progress(2);
      if (status == IspWriteOk) return true;
      std::string line = "Error!!! DEBUG : MS ISP reponse status : ";
      appendHex(line, status);
      line += "\nError!!! JMP MS ISP reponse status  != 0xA5 !!!";
      append(line);
      window_.progress(2);
      if (oldLoader_) break;
    }
    return true;
  }

  void reportTransfer(Byte status) {
    if (status == IspWriteOk) {
      append("SUCCESS! ISP STATUS:a5");
      report_ += texts_.success;
    } else {
      // The switch back still follows, with the window hidden.
      box("Error!!! MS ISP OR Verify Fail!!!");
    }
    publish();
  }

  void leaveLoader() {
    if (!switchProgram()) {
      fail(kJumpError, "Error!!! JMP MS 32K STATUS ERROR!!!");
      return;
    }
    Byte status = 0;
    if (!readIspStatus(route_, status)) {
      fail(kStatusError, "Error!!! GET MS 32K STATUS ERROR!!!");
      return;
    }
    if (status != IspReady) {
      fail(jumpStatusText(status, "32K"));
      return;
    }
    append("SUCCESS! MS STATUS:9c [F/W jump into MS 32K now]");
    publish();
    window_.hide();
  }

  Program& program_;
  const bool verify_;
  const ModeTexts& texts_;
  SelfDriverPortBinding route_;
  StatusDialog window_;
  std::string report_;
  bool oldLoader_ = false;
};

}  // namespace

void runMsUpdate(Program& program, int verifyMode) {
  MsUpdateRun(program, verifyMode == kMsVerify).run();
  closeDriver9x(program);
}

}  // namespace updater
