#pragma once

// The requests sent to the ASPI layer whose posting is still to come. The
// layer calls one posting routine of the program with nothing but the
// request block's address; this table finds the request's own
// AspiPostingRoutine by that address. The sender adds an entry before it
// hands the block over and the layer's thread takes it out when it posts,
// possibly before the send has returned, so every call is safe from any
// thread.

#include <mutex>
#include <vector>

#include "common/bytes.h"
#include "platform/port.h"

namespace updater {

class AspiPostingTable {
 public:
  /// Notes that `posting` waits for the request block `block`. An entry left
  /// for the same block (a request the layer never posted) is replaced.
  void add(Bytes block, AspiPostingRoutine& posting);

  /// The layer has posted the block that starts at `address`: takes its
  /// entry out and runs its routine, outside the lock, so that the routine
  /// may send again. False, and nothing runs, when no entry waits for that
  /// address (a block posted twice, or never sent through the table).
  bool post(const void* address);

  /// Entries still waiting.
  std::size_t size() const;

 private:
  struct Entry {
    Bytes block;
    AspiPostingRoutine* posting;
  };

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace updater
