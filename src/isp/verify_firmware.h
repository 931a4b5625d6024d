#pragma once

#include "isp/sequence_steps.h"

namespace updater {

/// Lets the loader compare the programmed firmware with `image`, writing
/// nothing: enter the loader, then up to three compare transfers. Logs like
/// programFirmware but touches no counter. True when the loader found the
/// firmware equal to the image.
bool verifyFirmware(const LoaderImage& image, SequenceContext& context);

}  // namespace updater
