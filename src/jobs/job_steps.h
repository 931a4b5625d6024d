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

#include "jobs/image_files.h"

namespace updater {

struct Program;
class RouteBinding;
class RouteBindings;

/// The line that frames the jobs' reports: 56 "=".
inline constexpr std::string_view kRuleLine = "========================================================";

/// Starts StatusLog afresh: the rule line, `title`, the rule line.
void startJobLog(Program& program, std::string_view title);

/// Appends "\n" + `line` to StatusLog.
void appendLogLine(Program& program, std::string_view line);

/// Appends "==  ROMCODE = <romCodeFile> || VxD DRIVER = <selectedDriverName> "
/// and the rule line.
void appendRomCodeLines(Program& program);

/// Ends a job with a stop box showing `boxText` and "\n" + `logText` in
/// StatusLog.
void failJob(Program& program, std::string_view boxText, std::string_view logText);
void failJob(Program& program, std::string_view text);
void failJob(Program& program, const ImageFileResult& failure);

/// Ends a job with a stop box alone.
void stopJob(Program& program, std::string_view text);

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

/// Loads, from the working directory, the address file (when the plan says
/// so), the BmpMap (when the record places one and DEVICE.TXT activates it)
/// and the ROM code file, in that order, into `program.firmwareImage`. On the
/// first failure it fails the job and returns none.
std::optional<JobFiles> loadJobFiles(Program& program, const JobFilesPlan& plan);

/// A programming or verify sequence.
using ImageSequence = void (*)(Program& program, RouteBinding& route, std::uint32_t length);

/// Runs `sequence` with the image's length over the binding of the route the
/// program's route inputs give now. On an unsupported Windows there is no
/// route and nothing is sent; returns whether the sequence ran.
bool runOnCurrentRoute(Program& program, RouteBindings& routes, ImageSequence sequence);

}  // namespace updater
