#pragma once

// The console front end as a function: updater-cli's whole run, from the
// arguments to the transcript on `out` and the exit status, so tests run it
// in-process. main() only adds the process's streams.
//
// On a simulated machine the transcript is written once the run is over: a
// choice that its list does not hold (driver=, device=) makes the whole
// command line a usage error, and then nothing but one line on `err` comes
// out and SERIAL.TXT is left as it was. On this computer's readers (--host)
// the transcript is written as the events come, so such an error follows
// the events before it; SERIAL.TXT is put back all the same.

#include <ostream>
#include <string>
#include <vector>

namespace updater {

/// Every action ran (whatever the devices answered: that is in the
/// transcript).
inline constexpr int kExitDone = 0;
/// The program refused to run on the machine's Windows, so its actions did
/// not run; or the firmware could not be dumped. The transcript is complete.
inline constexpr int kExitNotDone = 1;
/// A usage error or an unusable machine file: one line on `err`, no
/// transcript.
inline constexpr int kExitUsage = 2;

struct CliStreams {
  std::ostream& out;
  std::ostream& err;
  /// Whether `out` is a terminal: then the text form draws the progress bar
  /// in place.
  bool outIsTerminal = false;
};

struct HostAccess;

/// Writes one line "updater-cli: TEXT" on `err`.
void errorLine(std::ostream& err, const std::string& text);

/// errorLine, and kExitUsage to return.
int usageError(std::ostream& err, const std::string& text);

/// Runs updater-cli with `arguments` (without the program's name); with
/// --host, on the readers `host` reaches.
int runUpdaterCli(const std::vector<std::string>& arguments, CliStreams streams, const HostAccess& host);

}  // namespace updater
