#pragma once

// A second process for a test: a fork of the test runner that runs one
// function and ends with _exit, so that nothing of the runner (its report,
// its exit handlers, the sanitizers' checks at exit) runs twice or prints
// from the child. Parent and child talk over a socket pair, a line of text
// per message.
//
// Fork only from a process with one thread: a child of a threaded process
// may find a lock held by a thread that did not come along. The simulated
// machine starts a thread only for the ASPI route's postings.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace updater {

/// One end of the conversation.
class ProcessLink {
 public:
  explicit ProcessLink(int socket) : socket_(socket) {}

  /// Sends `message` (no line feed in it). False when the other side is gone.
  bool send(std::string_view message) const;

  /// The next message; none when the other side is gone or `timeout` passed
  /// without one.
  std::optional<std::string> receive(std::chrono::milliseconds timeout = std::chrono::seconds(30));

 private:
  int socket_;
  std::string received_;  // bytes read past the last message
};

class ChildProcess {
 public:
  /// The child's whole life: its result becomes its exit code. It reports
  /// through that code and the link, never through the test framework's
  /// assertions, which would report in the child.
  using Body = std::function<int(ProcessLink& parent)>;

  /// Forks; the child runs `body` and ends. The exit code is 125 when the body
  /// throws. started() is false when the fork failed.
  explicit ChildProcess(const Body& body);
  /// Kills and reaps a child that is still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  /// The child was forked (and may have ended since).
  bool started() const { return socket_ >= 0; }
  ProcessLink& link() { return link_; }

  /// Ends the child at once, as a crash or a power cut ends a station (it
  /// runs no code of its own), and reaps it.
  void kill();

  /// Waits for the child's end: its exit code, or none when a signal ended
  /// it (a crash, a sanitizer's abort, kill) or it was reaped already.
  std::optional<int> wait();

 private:
  pid_t pid_ = 0;  // 0: no child left to reap
  int socket_ = -1;
  ProcessLink link_{-1};
};

}  // namespace updater
