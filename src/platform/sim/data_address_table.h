#pragma once

// The simulated machine's 32-bit data addresses: each buffer handed to
// dataAddress gets its own range of a made-up address space, so a driver
// request record can name it (or a place inside it) the way a 32-bit
// pointer would. The table is emptied after each request, so an address is
// good for the request it was made for.

#include <cstdint>
#include <optional>
#include <vector>

#include "common/bytes.h"
#include "platform/port.h"

namespace updater {

class DataAddressTable {
 public:
  /// The address of `buffer`'s first byte; 0 for an empty buffer or when the
  /// address space is used up.
  DataAddress add(Bytes buffer);

  /// The `length` bytes starting at `address`, when they lie inside one
  /// buffer added since the last clear.
  std::optional<Bytes> resolve(DataAddress address, std::size_t length) const;

  void clear();
  std::size_t size() const { return entries_.size(); }

 private:
  struct Entry {
    DataAddress base;
    Bytes buffer;
  };

  static constexpr DataAddress kFirstAddress = 0x00400000;
  static constexpr DataAddress kAlignment = 0x1000;

  std::vector<Entry> entries_;
  std::uint64_t next_ = kFirstAddress;
};

}  // namespace updater
