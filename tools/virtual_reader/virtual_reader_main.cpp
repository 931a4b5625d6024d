// virtual-reader: one card reader of a machine file as a USB mass-storage
// device on a real USB bus (Linux: configfs and FunctionFS on a device
// controller such as dummy_hcd's). The host's own storage driver finds it,
// and updater-cli --host talks to it through SG_IO as to a reader on the desk.
// The reader answers its own commands exactly as the simulated machine's
// reader does (reader_command.h).

#include <signal.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/flash_file.h"
#include "platform/sim/machine_file.h"
#include "platform/sim/sim_reader.h"
#include "virtual_reader/bulk_only_target.h"
#include "virtual_reader/configfs_gadget.h"
#include "virtual_reader/functionfs_server.h"
#include "virtual_reader/virtual_reader_options.h"

namespace {

using namespace updater;

/// The Linux Foundation's ids of a composite gadget, for a reader whose
/// machine file gives none.
constexpr std::uint16_t kFallbackVendorId = 0x1d6b;
constexpr std::uint16_t kFallbackProductId = 0x0104;

std::atomic<bool> stopAsked{false};

void askToStop(int) { stopAsked = true; }
void interruptOnly(int) {}

void installSignals() {
  struct sigaction action {};
  action.sa_handler = askToStop;  // no SA_RESTART: a blocked call returns EINTR
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  action.sa_handler = interruptOnly;
  sigaction(SIGUSR1, &action, nullptr);
  // Blocked except while ep0 is polled (FunctionFsServer::serve).
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGTERM);
  sigaddset(&ending, SIGINT);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);
}

GadgetIdentity identityOf(const ReaderDescription& reader) {
  GadgetIdentity identity;
  const bool idsGiven = reader.vendorId != 0 || reader.productId != 0;
  identity.vendorId = idsGiven ? reader.vendorId : kFallbackVendorId;
  identity.productId = idsGiven ? reader.productId : kFallbackProductId;
  identity.manufacturer = reader.manufacturer.empty() ? reader.inquiry.vendor : reader.manufacturer;
  identity.product = reader.product.empty() ? reader.inquiry.product : reader.product;
  identity.serial = reader.serial.empty() ? "000000000001" : reader.serial;
  return identity;
}

bool writeFlashes(const VirtualReaderOptions& options, const SimReader& reader) {
  bool written = true;
  const std::pair<const std::string&, const std::vector<Byte>&> outputs[] = {
      {options.flashOut, reader.loader.flash}, {options.msFlashOut, reader.msLoader.flash}};
  for (const auto& [path, flash] : outputs) {
    if (path.empty() || writeFlashFile(path, flash)) continue;
    (void)std::fprintf(stderr, "virtual-reader: cannot write %s\n", path.c_str());
    written = false;
  }
  return written;
}

int fail(const std::string& why) {
  (void)std::fprintf(stderr, "virtual-reader: %s\n", why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const VirtualReaderCommandLine commandLine = parseVirtualReaderOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (commandLine.help) {
    (void)std::fputs(kVirtualReaderUsage, stdout);
    return 0;
  }
  if (!commandLine.options) {
    (void)std::fprintf(stderr, "virtual-reader: %s\n%s", commandLine.error.c_str(), kVirtualReaderUsage);
    return 2;
  }
  const VirtualReaderOptions& options = *commandLine.options;
  const MachineFileResult machine = loadMachineFile(options.machineFile);
  if (!machine.machine) return fail(machine.error);
  const auto& readers = machine.machine->readers;
  if (static_cast<std::size_t>(options.reader) > readers.size()) {
    return fail("the machine file has " + std::to_string(readers.size()) + " readers, no reader " +
                std::to_string(options.reader));
  }
  SimReader reader(options.reader, readers[static_cast<std::size_t>(options.reader - 1)]);
  TargetSettings settings;
  settings.unplugAfterDataOut = options.unplugAfter;
  BulkOnlyTarget target(reader, settings);

  installSignals();
  // Declared in the order they are taken down in reverse: the gadget's
  // directories outlive the mount, the mount outlives the binding.
  ConfigfsGadget gadget(options.gadget);
  FunctionFsServer server(target, [&gadget] {
    gadget.unbind();
    std::puts("virtual-reader: unplugged");
    (void)std::fflush(stdout);
  }, options.trace);
  std::string error = gadget.create(identityOf(reader.description));
  if (error.empty()) error = server.open(gadget.functionInstance());
  if (error.empty()) error = gadget.bind(options.udc);
  if (!error.empty()) return fail(error);
  std::puts("virtual-reader: ready");
  (void)std::fflush(stdout);

  server.serve(stopAsked);

  const bool flashesWritten = writeFlashes(options, reader);
  gadget.unbind();
  server.close();
  gadget.remove();
  return flashesWritten ? 0 : 1;
}
