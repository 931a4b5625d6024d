#include "jobs/verify_job.h"

#include "isp/verify_firmware.h"
#include "jobs/image_compatibility.h"
#include "jobs/image_patch.h"
#include "jobs/job_steps.h"
#include "jobs/run_history.h"

namespace updater {
namespace {

constexpr std::string_view kTitle = "==  Verify Firmware Program Ver1.60             ";

}  // namespace

void runVerifyJob(JobContext& job) {
  startJobLog(job.sink, kTitle);
  const RevisionGroups groups = revisionGroupsOf(job.table.hardwareRevisionText);
  const std::optional<JobFiles> files = loadJobFiles(job, {groups.readsBmpMapWords, AddressWords::WithBmpMap, false});
  if (!files) return recordRun(job, "verify", false);

  // The type alone decides here, not the mark as in the ISP job: verify
  // checks no compatibility, so a type-6 image with the plain mark is
  // compared with its BmpMap in place too.
  FirmwareImage& firmware = job.firmware;
  if (files->bmpMapLoaded && imageHead(firmware).imageType == 6) insertBmpMap(firmware, *files->address);

  appendRomCodeLines(job.sink, fieldText(job.userIspData.romCodeFile), job.driverName);
  bool verified = false;
  runOnRoute(job, [&](const LoaderImage& image, SequenceContext& context) { verified = verifyFirmware(image, context); });
  recordRun(job, "verify", verified);
}

}  // namespace updater
