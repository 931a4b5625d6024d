#pragma once

#include "jobs/job_context.h"

namespace updater {

/// The Verify command's job: loads the image as the ISP job does, puts the
/// BmpMap into a type-6 image's body, and hands the image, otherwise exactly
/// as read, to the verify sequence of the job's route, which lets the
/// reader compare its firmware with it. No serial number, no identity data,
/// no compatibility check. Starts StatusLog afresh with its report.
///
/// Only the revisions whose address file places a BmpMap ("4023", "4064")
/// read the address file here. Every failure before the verify sequence ends
/// the job with a stop box, a StatusLog line and nothing sent.
void runVerifyJob(JobContext& job);

}  // namespace updater
