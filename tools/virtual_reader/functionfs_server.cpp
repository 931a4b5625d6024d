#include "virtual_reader/functionfs_server.h"

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "virtual_reader/functionfs_descriptors.h"

namespace updater {

static_assert(FUNCTIONFS_DESCRIPTORS_MAGIC_V2 == functionfs::kDescriptorsMagicV2);
static_assert(FUNCTIONFS_STRINGS_MAGIC == functionfs::kStringsMagic);
static_assert(FUNCTIONFS_HAS_FS_DESC == functionfs::kHasFullSpeed);
static_assert(FUNCTIONFS_HAS_HS_DESC == functionfs::kHasHighSpeed);

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr std::size_t kEventSize = sizeof(usb_functionfs_event);
constexpr std::size_t kEventType = offsetof(usb_functionfs_event, type);
constexpr std::size_t kSetupSize = sizeof(usb_ctrlrequest);
constexpr std::size_t kEventsPerRead = 4;
/// Data-out is read in pieces of at most this many bytes.
constexpr std::size_t kReadPiece = std::size_t{64} * 1024;

// Class requests of the bulk-only transport, to the interface.
constexpr Byte kClassToInterface = USB_TYPE_CLASS | USB_RECIP_INTERFACE;
constexpr Byte kGetMaxLun = 0xFE;
constexpr Byte kMassStorageReset = 0xFF;

/// How a bulk transfer ended.
enum class Io {
  Done,
  /// A signal: a reset or the end was asked for.
  Interrupted,
  /// The function was disabled (a bus reset) or the transfer failed.
  Disabled,
  /// The function is gone.
  Gone,
};

Io ioFailure(int error) {
  switch (error) {
    case EINTR: return Io::Interrupted;
    case ENODEV: return Io::Gone;
    case ESHUTDOWN: return Io::Disabled;
    default:
      (void)std::fprintf(stderr, "virtual-reader: bulk transfer: %s\n", std::strerror(error));
      return Io::Disabled;
  }
}

Io writeAll(int endpoint, ConstBytes data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t written = ::write(endpoint, data.data() + done, data.size() - done);
    if (written < 0) return ioFailure(errno);
    done += static_cast<std::size_t>(written);
  }
  return Io::Done;
}

/// How long a halt of bulk-in waits for the host to take the data before it.
constexpr auto kHaltWait = 5s;

/// FunctionFS halts an endpoint when it is used the wrong way round: a
/// read of bulk-in, a write of bulk-out. That answers EBADMSG. A device
/// controller refuses to halt bulk-in (EAGAIN) while data written to it
/// still waits for the host: a write returns once the data is in the
/// controller's FIFO, not once the host has it. So the halt is tried again
/// until the host has read the data, unless a reset comes first.
Io halt(int endpoint, bool inEndpoint, const std::atomic<bool>& resetAsked) {
  const auto giveUp = std::chrono::steady_clock::now() + kHaltWait;
  for (;;) {
    Byte unused = 0;
    const ssize_t result = inEndpoint ? ::read(endpoint, &unused, 1) : ::write(endpoint, &unused, 1);
    if (result < 0 && errno == EBADMSG) return Io::Done;
    const bool dataWaits = result < 0 && errno == EAGAIN;
    if (!dataWaits || std::chrono::steady_clock::now() > giveUp) return ioFailure(result < 0 ? errno : EIO);
    if (resetAsked) return Io::Interrupted;
    std::this_thread::sleep_for(1ms);
  }
}

void writeBlock(int file, const std::vector<Byte>& block, const char* what, std::string& error) {
  if (!error.empty()) return;
  if (::write(file, block.data(), block.size()) != static_cast<ssize_t>(block.size())) {
    error = std::string("cannot write the ") + what + " to ep0: " + std::strerror(errno);
  }
}

// One line per command wrapper: its block, the host's length and
// direction, and whether the bulk transfers it asked for were carried out.
void traceCommand(ConstBytes wrapper, Io io) {
  std::string line = "virtual-reader: command";
  if (wrapper.size() != bulk_only::kCommandWrapperSize) {
    line += " wrapper of " + std::to_string(wrapper.size()) + " bytes";
  } else {
    char hex[4];
    const std::size_t length = std::min<std::size_t>(wrapper[bulk_only::command_offset::kBlockLength] & 0x1F, 16);
    for (std::size_t i = 0; i < length; ++i) {
      (void)std::snprintf(hex, sizeof hex, " %02x", wrapper[bulk_only::command_offset::kBlock + i]);
      line += hex;
    }
    line += (wrapper[bulk_only::command_offset::kFlags] & 0x80) != 0 ? ", in " : ", out ";
    line += std::to_string(getU32(wrapper, bulk_only::command_offset::kDataTransferLength));
  }
  const char* ends[] = {"", ", interrupted", ", disabled", ", gone"};
  line += ends[static_cast<int>(io)];
  (void)std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace

/// Between the ep0 thread and the bulk thread.
struct FunctionFsServer::Shared {
  std::atomic<bool> stop{false};
  std::atomic<bool> resetAsked{false};
  std::atomic<bool> finished{false};
  std::atomic<bool> unplugged{false};
  pthread_t bulkThread{};
};

FunctionFsServer::FunctionFsServer(BulkOnlyTarget& target, std::function<void()> unplug, bool trace)
    : target_(target), unplug_(std::move(unplug)), trace_(trace) {}

FunctionFsServer::~FunctionFsServer() { close(); }

std::string FunctionFsServer::open(const std::string& instance) {
  std::string pattern = (fs::temp_directory_path() / ("virtual-reader-" + instance + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return "cannot make a directory for FunctionFS: " + std::string(std::strerror(errno));
  mountPoint_ = pattern;
  if (::mount(instance.c_str(), mountPoint_.c_str(), "functionfs", 0, nullptr) != 0) {
    return "cannot mount FunctionFS " + instance + ": " + std::strerror(errno);
  }
  mounted_ = true;
  ep0_ = ::open((mountPoint_ / "ep0").c_str(), O_RDWR | O_CLOEXEC);
  if (ep0_ < 0) return "cannot open ep0: " + std::string(std::strerror(errno));
  std::string error;
  writeBlock(ep0_, functionfs::descriptorsBlock(), "descriptors", error);
  writeBlock(ep0_, functionfs::stringsBlock(), "strings", error);
  if (!error.empty()) return error;
  bulkIn_ = ::open((mountPoint_ / "ep1").c_str(), O_RDWR | O_CLOEXEC);
  bulkOut_ = ::open((mountPoint_ / "ep2").c_str(), O_RDWR | O_CLOEXEC);
  if (bulkIn_ < 0 || bulkOut_ < 0) return "cannot open the bulk endpoints: " + std::string(std::strerror(errno));
  return {};
}

void FunctionFsServer::close() {
  for (int* file : {&bulkIn_, &bulkOut_, &ep0_}) {
    if (*file >= 0) ::close(*file);
    *file = -1;
  }
  if (mounted_ && ::umount(mountPoint_.c_str()) != 0) {
    (void)std::fprintf(stderr, "virtual-reader: cannot unmount %s: %s\n", mountPoint_.c_str(), std::strerror(errno));
  }
  mounted_ = false;
  if (!mountPoint_.empty()) ::rmdir(mountPoint_.c_str());
  mountPoint_.clear();
}

void FunctionFsServer::serve(const std::atomic<bool>& stop) {
  Shared shared;
  std::thread bulk([this, &shared] { bulkLoop(shared); });
  shared.bulkThread = bulk.native_handle();

  // The signals that end the run stay blocked but while ep0 is polled, so
  // one that comes in between is never lost.
  sigset_t whilePolling;
  ::pthread_sigmask(SIG_SETMASK, nullptr, &whilePolling);
  ::sigdelset(&whilePolling, SIGTERM);
  ::sigdelset(&whilePolling, SIGINT);

  bool unbound = false;
  Byte events[kEventsPerRead * kEventSize];
  while (!stop && !unbound && !shared.unplugged) {
    pollfd ep0{ep0_, POLLIN, 0};
    if (::ppoll(&ep0, 1, nullptr, &whilePolling) < 0) continue;
    const ssize_t count = ::read(ep0_, events, sizeof events);
    if (count < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == EIDRM) continue;
      (void)std::fprintf(stderr, "virtual-reader: ep0: %s\n", std::strerror(errno));
      break;
    }
    for (std::size_t at = 0; at + kEventSize <= static_cast<std::size_t>(count); at += kEventSize) {
      handleEvent(events[at + kEventType], ConstBytes(events + at, kSetupSize), shared, unbound);
    }
  }

  shared.stop = true;
  while (!shared.finished) {
    ::pthread_kill(shared.bulkThread, SIGUSR1);
    std::this_thread::sleep_for(10ms);
  }
  bulk.join();
}

void FunctionFsServer::handleEvent(Byte type, ConstBytes setup, Shared& shared, bool& unbound) {
  switch (type) {
    case FUNCTIONFS_UNBIND:
      unbound = true;
      break;
    case FUNCTIONFS_DISABLE:
      resetBulk(shared);
      break;
    case FUNCTIONFS_SETUP:
      handleSetup(setup, shared);
      break;
    default:  // BIND, ENABLE, SUSPEND, RESUME: the bulk thread waits on its own
      break;
  }
}

void FunctionFsServer::handleSetup(ConstBytes setup, Shared& shared) {
  const Byte type = getU8(setup, offsetof(usb_ctrlrequest, bRequestType));
  const Byte request = getU8(setup, offsetof(usb_ctrlrequest, bRequest));
  const std::uint16_t value = getU16(setup, offsetof(usb_ctrlrequest, wValue));
  const std::uint16_t length = getU16(setup, offsetof(usb_ctrlrequest, wLength));
  const bool toHost = (type & USB_DIR_IN) != 0;
  const bool bulkOnlyRequest = (type & ~USB_DIR_IN) == kClassToInterface && value == 0;

  if (bulkOnlyRequest && request == kGetMaxLun && toHost && length >= 1) {
    const Byte maxLun = target_.maxLun();
    if (::write(ep0_, &maxLun, 1) != 1) (void)std::fprintf(stderr, "virtual-reader: GET MAX LUN: %s\n", std::strerror(errno));
    return;
  }
  if (bulkOnlyRequest && request == kMassStorageReset && !toHost && length == 0) {
    resetBulk(shared);
    if (::read(ep0_, nullptr, 0) < 0) (void)std::fprintf(stderr, "virtual-reader: reset: %s\n", std::strerror(errno));
    return;
  }
  // Anything else is stalled: ep0 used against the request's direction.
  Byte unused = 0;
  if (toHost) {
    (void)::read(ep0_, &unused, 0);
  } else {
    (void)::write(ep0_, &unused, 0);
  }
}

// The bulk thread drops the transfer it is in and takes the reset itself;
// this waits until it has, so a reset's status stage follows the reset.
void FunctionFsServer::resetBulk(Shared& shared) {
  shared.resetAsked = true;
  for (int tries = 0; shared.resetAsked && !shared.finished && tries < 100; ++tries) {
    ::pthread_kill(shared.bulkThread, SIGUSR1);
    std::this_thread::sleep_for(10ms);
  }
}

void FunctionFsServer::bulkLoop(Shared& shared) {
  sigset_t ending;
  ::sigemptyset(&ending);
  ::sigaddset(&ending, SIGTERM);
  ::sigaddset(&ending, SIGINT);
  ::pthread_sigmask(SIG_BLOCK, &ending, nullptr);

  const auto carry = [this, &shared](BulkStep step) {
    if (step.receive > 0) {
      std::vector<Byte> data(step.receive);
      std::size_t got = 0;
      while (got < data.size()) {
        if (shared.resetAsked) return Io::Interrupted;
        const ssize_t count = ::read(bulkOut_, data.data() + got, std::min(kReadPiece, data.size() - got));
        if (count < 0) return ioFailure(errno);
        if (count == 0) break;
        got += static_cast<std::size_t>(count);
      }
      data.resize(got);
      step = target_.dataReceived(data);
    }
    if (step.unplug) {
      shared.unplugged = true;
      unplug_();
      return Io::Gone;
    }
    Io io = Io::Done;
    if (io == Io::Done && !step.send.empty()) io = shared.resetAsked ? Io::Interrupted : writeAll(bulkIn_, step.send);
    if (io == Io::Done && step.haltIn) io = halt(bulkIn_, true, shared.resetAsked);
    if (io == Io::Done && step.haltOut) io = halt(bulkOut_, false, shared.resetAsked);
    if (io == Io::Done && step.status) io = shared.resetAsked ? Io::Interrupted : writeAll(bulkIn_, *step.status);
    return io;
  };

  std::vector<Byte> packet(functionfs::kHighSpeedPacket);
  while (!shared.stop) {
    if (shared.resetAsked.exchange(false)) target_.reset();
    const ssize_t count = ::read(bulkOut_, packet.data(), packet.size());
    const ConstBytes received(packet.data(), count < 0 ? 0 : static_cast<std::size_t>(count));
    const Io io = count < 0 ? ioFailure(errno) : carry(target_.commandReceived(received));
    if (trace_ && count >= 0) traceCommand(received, io);
    if (io == Io::Gone) break;
    if (io == Io::Disabled) {
      target_.reset();
      std::this_thread::sleep_for(10ms);  // the next read waits for the function to be enabled again
    }
  }
  shared.finished = true;
}

}  // namespace updater
