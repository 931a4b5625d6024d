#include "jobs/verify_job.h"

#include "common/program.h"
#include "isp/verify_firmware.h"
#include "jobs/image_compatibility.h"
#include "jobs/image_patch.h"
#include "jobs/job_steps.h"

namespace updater {
namespace {

constexpr std::string_view kTitle = "==  Verify Firmware Program Ver1.60             ";

}  // namespace

void runVerifyJob(Program& program, RouteBindings& routes) {
  startJobLog(program, kTitle);
  const RevisionGroups groups = revisionGroupsOf(program.deviceTable.hardwareRevisionText);
  const std::optional<JobFiles> files =
      loadJobFiles(program, {groups.readsBmpMapWords, AddressWords::WithBmpMap, false});
  if (!files) return;

  // The type alone decides here, not the mark as in the ISP job: verify
  // checks no compatibility, so a type-6 image with the plain mark is
  // compared with its BmpMap in place too.
  FirmwareImage& firmware = program.firmwareImage;
  if (files->bmpMapLoaded && imageHead(firmware).imageType == 6) insertBmpMap(firmware, *files->address);

  appendRomCodeLines(program);
  runOnCurrentRoute(program, routes, verifyFirmware);
}

}  // namespace updater
