#pragma once

// The virtual reader's FunctionFS function (Linux): mounts the instance,
// writes the descriptors and strings to ep0, opens the two bulk endpoints,
// and then serves — ep0's events on the calling thread, the bulk-only
// transport on a thread of its own — until it is told to stop, the function
// is unbound, or the reader unplugs itself.
//
// ep0: GET MAX LUN is answered from the target, Bulk-Only Mass Storage Reset
// resets it; every other request to the interface is stalled. A bus reset
// (DISABLE) ends the bulk transfer in progress and the target expects a
// command wrapper again once the host configures the reader anew; the
// host's storage driver resets the port when a command fails in transport,
// so a disabled function is no reason to stop. UNBIND is.

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "virtual_reader/bulk_only_target.h"

namespace updater {

class FunctionFsServer {
 public:
  /// `trace`: one line on standard error per command wrapper.
  FunctionFsServer(BulkOnlyTarget& target, std::function<void()> unplug, bool trace);
  ~FunctionFsServer();
  FunctionFsServer(const FunctionFsServer&) = delete;
  FunctionFsServer& operator=(const FunctionFsServer&) = delete;

  /// Mounts FunctionFS instance `instance` in a new temporary directory and
  /// makes the function ready to bind; an empty text, or what failed.
  std::string open(const std::string& instance);
  /// Serves until `stop` is set (a signal handler sets it and interrupts
  /// this thread), the function is unbound, or the reader unplugged.
  void serve(const std::atomic<bool>& stop);
  /// Closes the endpoints, unmounts and removes the directory.
  void close();

 private:
  struct Shared;
  void bulkLoop(Shared& shared);
  void handleEvent(Byte type, ConstBytes setup, Shared& shared, bool& unbound);
  void handleSetup(ConstBytes setup, Shared& shared);
  void resetBulk(Shared& shared);

  BulkOnlyTarget& target_;
  std::function<void()> unplug_;
  bool trace_;
  std::filesystem::path mountPoint_;
  bool mounted_ = false;
  int ep0_ = -1;
  int bulkIn_ = -1;
  int bulkOut_ = -1;
};

}  // namespace updater
