// virtual-reader --machine FILE [--reader N] [--udc dummy_udc.0] [--gadget NAME]
//                [--flash-out FILE] [--unplug-after N]
// A USB mass-storage reader in user space: configfs gadget, FunctionFS
// endpoints, Bulk-Only Transport answered by a reader of the machine file.

#include <fcntl.h>
#include <linux/usb/ch9.h>
#include <linux/usb/functionfs.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bot_session.h"
#include "ffs_descriptors.h"
#include "gadget.h"
#include "platform/sim/machine_file.h"

namespace updater {
namespace {

struct Options {
  std::string machine;
  int reader = 1;
  std::string udc = "dummy_udc.0";
  std::string gadget = "vreader";
  std::string flashOut;
  int unplugAfter = 0;
};

bool parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const std::string value = argv[i + 1];
    if (key == "--machine") options.machine = value;
    else if (key == "--reader") options.reader = std::atoi(value.c_str());
    else if (key == "--udc") options.udc = value;
    else if (key == "--gadget") options.gadget = value;
    else if (key == "--flash-out") options.flashOut = value;
    else if (key == "--unplug-after") options.unplugAfter = std::atoi(value.c_str());
    else return false;
  }
  return argc % 2 == 1 && !options.machine.empty() && options.reader >= 1;
}

std::atomic<bool> stopping{false};

void onSignal(int) { stopping = true; }

bool writeAll(int fd, ConstBytes bytes) {
  return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

/// ep0: the class requests of Bulk-Only Transport and the bus events.
void serveEp0(int ep0, Byte maxLun) {
  usb_functionfs_event event{};
  while (!stopping && read(ep0, &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
    if (event.type == FUNCTIONFS_UNBIND) stopping = true;
    if (event.type != FUNCTIONFS_SETUP) continue;
    const bool in = (event.u.setup.bRequestType & USB_DIR_IN) != 0;
    if (event.u.setup.bRequest == 0xFE && in) {
      [[maybe_unused]] const auto sent = write(ep0, &maxLun, 1);  // GET MAX LUN
    } else if (event.u.setup.bRequest == 0xFF && !in) {
      [[maybe_unused]] const auto acked = read(ep0, nullptr, 0);  // Bulk-Only reset
    } else {
      // Anything else is refused: a read on an IN setup (or a write on an
      // OUT one) stalls ep0.
      if (in) [[maybe_unused]] const auto stalled = read(ep0, nullptr, 0);
      else [[maybe_unused]] const auto stalled = write(ep0, nullptr, 0);
    }
  }
}

bool readAll(int fd, std::vector<Byte>& data, std::uint32_t length) {
  data.assign(length, 0);
  std::size_t have = 0;
  while (have < length) {
    const ssize_t got = read(fd, data.data() + have, length - have);
    if (got <= 0) return false;
    have += static_cast<std::size_t>(got);
  }
  return true;
}

/// Carries out `actions`; false when the bus is gone or the reader unplugs.
bool perform(const BotActions& actions, int in, int out, const GadgetPaths& paths) {
  Byte none = 0;
  if (!actions.dataIn.empty() && !writeAll(in, actions.dataIn)) return false;
  // FunctionFS halts an IN endpoint on a read and an OUT one on a write.
  if (actions.haltIn) [[maybe_unused]] const auto halted = read(in, &none, 0);
  if (actions.haltOut) [[maybe_unused]] const auto halted = write(out, &none, 0);
  if (actions.unplug) {
    bindGadget(paths, "\n");
    std::printf("virtual-reader: unplugged\n");
    std::fflush(stdout);
    return false;
  }
  return !actions.csw || writeAll(in, *actions.csw);
}

void serveBulk(BotSession& session, int in, int out, const GadgetPaths& paths) {
  std::vector<Byte> wrapper(512);
  std::vector<Byte> data;
  while (!stopping) {
    const ssize_t got = read(out, wrapper.data(), wrapper.size());
    if (got < 0) return;  // ENODEV, ESHUTDOWN, a signal: done
    BotActions actions = session.commandReceived(ConstBytes(wrapper).first(static_cast<std::size_t>(got)));
    if (actions.dataOutLength > 0) {
      if (!readAll(out, data, actions.dataOutLength)) return;
      actions = session.dataOutReceived(data);
    }
    if (!perform(actions, in, out, paths)) return;
  }
}

void writeFlash(const std::string& path, const std::vector<Byte>& flash) {
  if (path.empty()) return;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(flash.data()), static_cast<std::streamsize>(flash.size()));
}

int run(const Options& options) {
  const MachineFileResult loaded = loadMachineFile(options.machine);
  if (!loaded.machine) return std::fprintf(stderr, "virtual-reader: %s\n", loaded.error.c_str()), 2;
  const auto& readers = loaded.machine->readers;
  if (static_cast<std::size_t>(options.reader) > readers.size()) {
    return std::fprintf(stderr, "virtual-reader: no reader %d\n", options.reader), 2;
  }
  SimReader reader(options.reader, readers[static_cast<std::size_t>(options.reader - 1)]);
  const int units = std::max<int>(1, static_cast<int>(reader.description.letters.size()));

  const GadgetPaths paths{options.gadget, "/sys/kernel/config/usb_gadget/" + options.gadget,
                          "/tmp/virtual-reader-" + options.gadget};
  if (const std::string error = createGadget(paths, reader.description); !error.empty()) {
    std::fprintf(stderr, "virtual-reader: %s\n", error.c_str());
    removeGadget(paths);
    return 1;
  }
  const int ep0 = open((paths.mount + "/ep0").c_str(), O_RDWR);
  const bool described = ep0 >= 0 && writeAll(ep0, functionFsDescriptors()) && writeAll(ep0, functionFsStrings());
  const int in = described ? open((paths.mount + "/ep1").c_str(), O_RDWR) : -1;
  const int out = described ? open((paths.mount + "/ep2").c_str(), O_RDWR) : -1;
  if (in < 0 || out < 0 || !bindGadget(paths, options.udc)) {
    std::fprintf(stderr, "virtual-reader: cannot start the gadget\n");
    removeGadget(paths);
    return 1;
  }
  std::printf("virtual-reader: ready\n");
  std::fflush(stdout);

  std::thread control(serveEp0, ep0, static_cast<Byte>(units - 1));
  BotSession session(reader, units, options.unplugAfter);
  serveBulk(session, in, out, paths);
  stopping = true;

  writeFlash(options.flashOut, reader.loader.flash);
  bindGadget(paths, "\n");  // ends ep0's blocking read with UNBIND
  control.join();
  close(in);
  close(out);
  close(ep0);
  removeGadget(paths);
  return 0;
}

}  // namespace
}  // namespace updater

int main(int argc, char** argv) {
  updater::Options options;
  if (!updater::parseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: virtual-reader --machine FILE [--reader N] [--udc dummy_udc.0] [--gadget NAME] "
                 "[--flash-out FILE] [--unplug-after N]\n");
    return 2;
  }
  // No SA_RESTART: a signal ends the blocking endpoint reads.
  struct sigaction action {};
  action.sa_handler = updater::onSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  return updater::run(options);
}
