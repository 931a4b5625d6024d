#pragma once

#include "isp/sequence_steps.h"

namespace updater {

/// Lets the loader compare the programmed firmware with `image`, writing
/// nothing: enter the loader, then up to three compare transfers. Logs like
/// programFirmware but touches no counter.
void verifyFirmware(const LoaderImage& image, SequenceContext& context);

}  // namespace updater
