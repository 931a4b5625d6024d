#include "child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace updater::hostile {
namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
  int read = -1;
  int write = -1;
};

Pipe openPipe() {
  int ends[2] = {-1, -1};
  if (::pipe2(ends, O_CLOEXEC) != 0) return {};
  return {ends[0], ends[1]};
}

void closeIfOpen(int& descriptor) {
  if (descriptor >= 0) ::close(descriptor);
  descriptor = -1;
}

// Only async-signal-safe calls between fork and exec.
[[noreturn]] void becomeChild(const char* program, char* const* argv, const char* directory, const Pipe& out,
                              const Pipe& err, const ChildUser* user) {
  // Its own process group, so that a timeout ends whatever it started too.
  ::setpgid(0, 0);
  // The groups first: once the user is changed, nothing else may be.
  if (user != nullptr && (::setgroups(0, nullptr) != 0 || ::setgid(user->gid) != 0 || ::setuid(user->uid) != 0)) {
    ::_exit(126);
  }
  const int nothing = ::open("/dev/null", O_RDONLY);
  if (nothing < 0 || ::dup2(nothing, STDIN_FILENO) < 0 || ::dup2(out.write, STDOUT_FILENO) < 0 ||
      ::dup2(err.write, STDERR_FILENO) < 0 || ::chdir(directory) != 0) {
    ::_exit(127);
  }
  ::execv(program, argv);
  ::_exit(127);
}

// Reads what the child writes on both pipes until both close or time runs
// out; false on a timeout.
bool collect(int outDescriptor, int errDescriptor, ChildResult& result, Clock::time_point deadline) {
  std::array<pollfd, 2> watched{{{outDescriptor, POLLIN, 0}, {errDescriptor, POLLIN, 0}}};
  std::array<std::string*, 2> into{&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    const int ready = ::poll(watched.data(), watched.size(), static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) continue;
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (watched[i].fd < 0 || watched[i].revents == 0) continue;
      char chunk[65536];
      const ssize_t got = ::read(watched[i].fd, chunk, sizeof chunk);
      if (got > 0) {
        into[i]->append(chunk, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        watched[i].fd = -1;
        --open;
      }
    }
  }
  return true;
}

// Waits for the child to end; false when it is still running at the deadline.
bool waitUntil(pid_t child, int& status, Clock::time_point deadline) {
  for (;;) {
    const pid_t ended = ::waitpid(child, &status, WNOHANG);
    if (ended == child) return true;
    if (ended < 0 && errno != EINTR) return true;
    if (Clock::now() >= deadline) return false;
    ::usleep(2000);
  }
}

}  // namespace

ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& workingDirectory, std::chrono::milliseconds timeout,
                     const ChildUser* user) {
  ChildResult result;
  std::vector<std::string> words{program.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string directory = workingDirectory.string();

  Pipe out = openPipe();
  Pipe err = openPipe();
  const pid_t child = out.read >= 0 && err.read >= 0 ? ::fork() : -1;
  if (child == 0) becomeChild(words[0].c_str(), argv.data(), directory.c_str(), out, err, user);
  // Set from both sides, so that the group exists whichever runs first.
  if (child > 0) ::setpgid(child, child);
  closeIfOpen(out.write);
  closeIfOpen(err.write);
  if (child < 0) {
    closeIfOpen(out.read);
    closeIfOpen(err.read);
    result.err = "cannot start " + words[0];
    return result;
  }

  const Clock::time_point deadline = Clock::now() + timeout;
  int status = 0;
  const bool done = collect(out.read, err.read, result, deadline) && waitUntil(child, status, deadline);
  if (!done) {
    result.timedOut = true;
    ::kill(-child, SIGKILL);
    ::waitpid(child, &status, 0);
  }
  closeIfOpen(out.read);
  closeIfOpen(err.read);
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace updater::hostile
