#pragma once

// The command line of virtual-reader:
//
//   virtual-reader --machine FILE [--reader N] [--udc NAME] [--gadget NAME]
//                  [--flash-out FILE] [--ms-flash-out FILE] [--unplug-after N] [--trace]

#include <optional>
#include <string>
#include <vector>

namespace updater {

struct VirtualReaderOptions {
  std::string machineFile;
  /// 1-based, in machine-file order.
  int reader = 1;
  std::string udc = "dummy_udc.0";
  std::string gadget = "vreader";
  std::string flashOut;
  std::string msFlashOut;
  /// Unplug after this many of the reader's data-out commands; 0: never.
  int unplugAfter = 0;
  /// One line per command on standard error.
  bool trace = false;
};

struct VirtualReaderCommandLine {
  std::optional<VirtualReaderOptions> options;
  /// Why there are no options; the usage text when help was asked for.
  std::string error;
  bool help = false;
};

/// `arguments` without the program's name.
VirtualReaderCommandLine parseVirtualReaderOptions(const std::vector<std::string>& arguments);

extern const char* const kVirtualReaderUsage;

}  // namespace updater
