#pragma once

// Running a program as a child process, the way an operator's shell would:
// its own current directory, standard input at end of file, standard output
// and standard error collected. A child that does not end in time is killed
// with everything it started, so a program that hangs fails its case instead
// of stalling the whole test run.

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace updater::hostile {

struct ChildResult {
  /// The exit status; -1 when the child did not exit normally.
  int exitCode = -1;
  /// The signal that ended the child, 0 when it exited.
  int signal = 0;
  /// It ran out of time and was killed.
  bool timedOut = false;
  std::string out;
  std::string err;
};

/// A user and group to run a child as, numerically.
struct ChildUser {
  unsigned uid = 0;
  unsigned gid = 0;
};

/// Runs `program` with `arguments` in `workingDirectory` and waits for it,
/// at most `timeout`. With `user` (which takes the superuser's powers to
/// give) the child runs as that user and group only.
ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingDirectory, std::chrono::milliseconds timeout,
                     const ChildUser* user = nullptr);

}  // namespace updater::hostile
