#pragma once

// One run of the program under test: start it, wait through its start-up,
// then do each action as the operator would and wait until the program is
// idle again, writing the digest on the way.

#include <string>

#include "digest_file.h"
#include "driver_options.h"

namespace gui_driver {

/// Exit statuses of the driver.
constexpr int kRanAllActions = 0;
constexpr int kRunFailed = 1;        // a timeout, an unreadable window, an unexpected end
constexpr int kActionRefused = 2;    // a usage error, or a list without the chosen item

/// Runs the program of `options` and writes its digest to `digest`; on a
/// failure `error` says what went wrong. Never leaves the program running.
int runOperatorSession(const DriverOptions& options, DigestFile& digest, std::string& error);

}  // namespace gui_driver
