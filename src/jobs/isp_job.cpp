#include "jobs/isp_job.h"

#include <string>

#include "isp/program_firmware.h"
#include "jobs/history_file.h"
#include "jobs/image_compatibility.h"
#include "jobs/image_patch.h"
#include "jobs/job_steps.h"
#include "jobs/run_history.h"
#include "jobs/serial_lock.h"
#include "common/text_format.h"

namespace updater {
namespace {

constexpr std::string_view kTitle = "==  Internal System Program Ver1.60             ";
constexpr std::string_view kNoAddressFile = "Error!!! No String address file for this device";
constexpr std::string_view kOutOfRange = "Error!!! String address out of range in ";
constexpr int kLastRefusedYear = 2000;

class IspRun {
 public:
  IspRun(JobContext& job, IspTally& tally, SerialCounter& counter)
      : job_(job), sink_(job.sink), tally_(tally), counter_(counter),
        groups_(revisionGroupsOf(job.table.hardwareRevisionText)) {}

  // The record goes into the history while the counter is still locked, so
  // that the stations sharing the folder write theirs in the order of their
  // numbers. Every box waits until the lock is gone: the run's own failure
  // first, as it was held, then the boxes about the files.
  void run() {
    const bool succeeded = runSteps();
    const bool recorded = writeRunRecord(job_, "isp", succeeded);
    serialLock_.reset();
    sink_.showHeldBoxes();
    if (saveResult_ != SerialSaveResult::Ok) sink_.stopBox(serialSaveMessage(saveResult_));
    if (!recorded) sink_.stopBox(kHistoryWriteFailure);
  }

 private:
  bool runSteps() {
    startJobLog(sink_, kTitle);
    const std::optional<JobFiles> files = loadJobFiles(job_, filesPlan());
    if (!files || !loadSerialCounterIfUsed()) return false;
    appendCounterLines();

    const LocalDate date = job_.port.localDate();
    if (date.year <= kLastRefusedYear) {
      failJob(sink_, "Error!!! Year too small, " + std::to_string(date.year));
      return false;
    }
    const SerialNumber serialNumber = makeSerialNumber(counter_, date);
    appendSerialNumberLines(serialNumber);

    if (!patch(*files, serialDescriptor(serialNumber))) return false;
    const DeviceTable& table = job_.table;
    const auto mismatch = checkImageMatchesDevice(imageHead(job_.firmware), table.hardwareRevisionText,
                                                  selectedEntry(table).usbHwRevision);
    if (mismatch) {
      stopJob(sink_, *mismatch);
      return false;
    }

    const std::uint32_t successesBefore = tally_.successCount;
    const bool sent = runOnRoute(job_, [&](const LoaderImage& image, SequenceContext& context) {
      programFirmware(image, context, tally_);
    });
    // The number went out with the image, whether or not the loader took
    // it all: a failed run may have left it in the reader.
    if (sent) job_.history.serial = writtenSerialText(serialNumber);
    if (tally_.successCount != successesBefore + 1) return false;
    consumeSerialNumber();
    return true;
  }

  JobFilesPlan filesPlan() const {
    return {groups_.readsAddressFile,
            groups_.readsBmpMapWords ? AddressWords::WithBmpMap : AddressWords::IdentityOnly,
            groups_.toleratesAddressErrors};
  }

  bool loadSerialCounterIfUsed() {
    if (!groups_.usesSerialFile) return true;
    if (job_.reservedSerial != nullptr && !job_.userIspData.serialActive) return takeReservedCounter();
    if (!lockCounterIfAdvanced()) return false;
    const SerialLoadResult result = loadSerialCounter(job_.workingDirectory, counter_);
    if (result == SerialLoadResult::Ok) {
      noteHistoryCounter(job_.history, counter_);
      return true;
    }
    failJob(sink_, serialLoadMessage(result));
    return false;
  }

  bool takeReservedCounter() {
    const ReservedSerial& reserved = *job_.reservedSerial;
    if (!reserved.failure.empty()) {
      failJob(sink_, reserved.failure);
      return false;
    }
    counter_ = reserved.counter;
    noteHistoryCounter(job_.history, counter_);
    return true;
  }

  // A counter this job may advance stays locked from its load to its save:
  // another program sharing the working folder would otherwise load the same
  // value and hand out the same number. A fixed serial string advances
  // nothing, so it takes no lock.
  bool lockCounterIfAdvanced() {
    if (job_.userIspData.serialActive) return true;
    SerialLock taken = lockSerialFile(job_.port, job_.workingDirectory);
    if (taken.result != SerialLockResult::Ok) {
      failJob(sink_, serialLockMessage(taken.result));
      return false;
    }
    serialLock_ = std::move(taken.lock);
    sink_.holdBoxes();
    return true;
  }

  void appendCounterLines() {
    const SerialCounter& counter = counter_;
    std::string line = "==  CEM= 0x";
    appendPaddedHex(line, counter.cem, 2);
    line += " || PC= 0x";
    appendPaddedHex(line, counter.pc, 2);
    line += " || CNT= 0x";
    appendPaddedHex(line, counter.cnt, 4);
    sink_.appendLine(line);
    appendRomCodeLines(sink_, fieldText(job_.userIspData.romCodeFile), job_.driverName);
  }

  /// The serial number the image carries: DEVICE.TXT's fixed one, or the
  /// one made from the counter.
  std::string writtenSerialText(const SerialNumber& generated) const {
    const UserIspData& data = job_.userIspData;
    if (data.serialActive) return std::string(fieldText(data.serialString));
    return std::string(generated.begin(), generated.end());
  }

  void appendSerialNumberLines(const SerialNumber& generated) {
    sink_.appendLine("SERIAL NUMBER: " + writtenSerialText(generated));
    sink_.appendLine(kRuleLine);
  }

  // The BmpMap, then the identity data. A plain-block image whose address
  // file its revision could not read goes out as it is.
  bool patch(const JobFiles& files, const SerialDescriptor& descriptor) {
    FirmwareImage& firmware = job_.firmware;
    const ImageHead head = imageHead(firmware);
    if (files.bmpMapLoaded && head.imageType == 6 && head.encodingMark == kScrambledMark) {
      insertBmpMap(firmware, *files.address);
    }
    if (files.addressFailure && imageClassOf(head) == ImageClass::PlainBlock) return true;

    switch (patchImage(firmware, files.address, job_.userIspData, descriptor)) {
      case PatchResult::Patched: return true;
      case PatchResult::NoAddressRecord:
        // A revision that tolerates an unreadable address file still needs
        // it for every other class: say why it could not be read.
        if (files.addressFailure) {
          failJob(sink_, *files.addressFailure);
        } else {
          failJob(sink_, kNoAddressFile);
        }
        return false;
      case PatchResult::OutOfRange:
        failJob(sink_, std::string(kOutOfRange) + std::string(fieldText(job_.userIspData.addressFile)));
        return false;
    }
    return false;
  }

  // After a success the number is used up. A fixed serial string uses none,
  // and a revision that makes no serial number read no counter to advance.
  void consumeSerialNumber() {
    if (job_.userIspData.serialActive || !groups_.usesSerialFile) return;
    // A reserved number was saved as used when it was taken.
    if (job_.reservedSerial != nullptr) return;
    advanceSerialCounter(counter_);
    saveResult_ = saveSerialCounter(job_.port, job_.workingDirectory, counter_);
  }

  JobContext& job_;
  RunSink& sink_;
  IspTally& tally_;
  SerialCounter& counter_;
  const RevisionGroups groups_;
  /// Held from the counter's load to the run's history record; the boxes
  /// of the run wait meanwhile.
  UniqueFileLock serialLock_;
  SerialSaveResult saveResult_ = SerialSaveResult::Ok;
};

}  // namespace

void runIspJob(JobContext& job, IspTally& tally, SerialCounter& counter) { IspRun(job, tally, counter).run(); }

bool ispRunTakesSerialNumber(const UserIspData& userIspData, std::string_view hardwareRevisionText) {
  return !userIspData.serialActive && revisionGroupsOf(hardwareRevisionText).usesSerialFile;
}

}  // namespace updater
