#include "testing/child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace updater {
namespace {

constexpr int kBodyThrew = 125;

#if defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;  // a gone peer is an answer, not a SIGPIPE
#else
constexpr int kSendFlags = 0;
#endif

[[noreturn]] void runChild(const ChildProcess::Body& body, int socket) {
  int code = kBodyThrew;
  try {
    ProcessLink parent(socket);
    code = body(parent);
  } catch (...) {
  }
  ::_exit(code);
}

int waitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

}  // namespace

bool ProcessLink::send(std::string_view message) const {
  std::string line(message);
  line += '\n';
  std::string_view rest = line;
  while (!rest.empty()) {
    const ssize_t sent = ::send(socket_, rest.data(), rest.size(), kSendFlags);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    rest.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

std::optional<std::string> ProcessLink::receive(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const std::size_t end = received_.find('\n');
    if (end != std::string::npos) {
      std::string message = received_.substr(0, end);
      received_.erase(0, end + 1);
      return message;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd ready{socket_, POLLIN, 0};
    const int polled = ::poll(&ready, 1, static_cast<int>(left.count()));
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return std::nullopt;
    char buffer[256];
    const ssize_t got = ::recv(socket_, buffer, sizeof buffer, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    received_.append(buffer, static_cast<std::size_t>(got));
  }
}

ChildProcess::ChildProcess(const Body& body) {
  int sockets[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0) return;
  // What the runner has buffered would otherwise be written by both.
  (void)std::fflush(nullptr);  // a failed flush only loses test output
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(sockets[0]);
    runChild(body, sockets[1]);
  }
  ::close(sockets[1]);
  if (pid < 0) {
    ::close(sockets[0]);
    return;
  }
  pid_ = pid;
  socket_ = sockets[0];
  link_ = ProcessLink(socket_);
}

ChildProcess::~ChildProcess() {
  kill();
  if (socket_ >= 0) ::close(socket_);
}

void ChildProcess::kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  waitFor(pid_);
  pid_ = 0;
}

std::optional<int> ChildProcess::wait() {
  if (pid_ <= 0) return std::nullopt;
  const int status = waitFor(pid_);
  pid_ = 0;
  if (status < 0 || !WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

}  // namespace updater
