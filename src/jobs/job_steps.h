#pragma once

// The steps the ISP job and the verify job share: their report in StatusLog,
// the two ways a job ends early, loading the image with its companion files,
// and handing the image to the sequence of the current route.
//
// A job that *fails* shows the text in a stop box and appends it to
// StatusLog; a job that *stops* shows the box only. Either way nothing has
// been sent to the reader.

#include <cstdint>
#include <optional>
#include <string_view>

#include "isp/run_sink.h"
#include "isp/sequence_steps.h"
#include "jobs/image_files.h"
#include "jobs/job_context.h"

namespace updater {

/// The line that frames the jobs' reports: 56 "=".
inline constexpr std::string_view kRuleLine = "========================================================";

/// Starts StatusLog afresh: the rule line, `title`, the rule line.
void startJobLog(RunSink& sink, std::string_view title);

/// Appends "==  ROMCODE = <romCodeFile> || VxD DRIVER = <driverName> " and
/// the rule line.
void appendRomCodeLines(RunSink& sink, std::string_view romCodeFile, std::string_view driverName);

/// Ends a job with a stop box showing `boxText` and "\n" + `logText` in
/// StatusLog.
void failJob(RunSink& sink, std::string_view boxText, std::string_view logText);
void failJob(RunSink& sink, std::string_view text);
void failJob(RunSink& sink, const ImageFileResult& failure);

/// Ends a job with a stop box alone.
void stopJob(RunSink& sink, std::string_view text);

/// Which companion files a job reads for the reader's revision.
struct JobFilesPlan {
  bool readsAddressFile = false;
  AddressWords words = AddressWords::IdentityOnly;
  /// An unreadable address file is remembered instead of ending the job.
  bool toleratesAddressErrors = false;
};

/// What the loading found besides the image.
struct JobFiles {
  /// The address file's record; none when it was not read or was unreadable.
  std::optional<AddressRecord> address;
  /// Why a tolerated address file could not be read.
  std::optional<ImageFileResult> addressFailure;
  /// The BmpMap is in `FirmwareImage::bmpMap` and goes into the image.
  bool bmpMapLoaded = false;
};

/// Loads, from the job's working directory, the address file (when the plan
/// says so), the BmpMap (when the record places one and DEVICE.TXT activates
/// it) and the ROM code file, in that order, into `job.firmware`, and notes
/// the ROM code file as read in the run's history record. On the first
/// failure it fails the job and returns none.
std::optional<JobFiles> loadJobFiles(JobContext& job, const JobFilesPlan& plan);

/// Runs `sequence` (a callable taking the image and the sequence context)
/// with the loaded image over the job's route, on the selected reader. On an
/// unsupported Windows there is no route and nothing is sent; returns
/// whether the sequence ran.
template <typename Sequence>
bool runOnRoute(JobContext& job, Sequence&& sequence) {
  if (job.route == nullptr) return false;
  RouteRun run(*job.route, job.table, job.driverName);
  SequenceContext context{run, job.port, job.sink};
  const LoaderImage image{job.firmware.image, job.firmware.length, job.userIspData.romSelectCode};
  sequence(image, context);
  return true;
}

}  // namespace updater
