#pragma once

#include "isp/isp_tally.h"
#include "isp/sequence_steps.h"

namespace updater {

/// Writes `image` into the controller through its ISP loader over the
/// context's route: enter the loader, program, compare, up to three
/// attempts. Logs each event to StatusLog and a fresh status window, counts
/// the run in `tally`, reports a failure once (stop box and StatusLog line)
/// and closes the route on every way out.
void programFirmware(const LoaderImage& image, SequenceContext& context, IspTally& tally);

}  // namespace updater
