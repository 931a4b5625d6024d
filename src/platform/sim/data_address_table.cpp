#include "platform/sim/data_address_table.h"

namespace updater {

DataAddress DataAddressTable::add(Bytes buffer) {
  if (buffer.empty()) return 0;
  const std::uint64_t base = next_;
  const std::uint64_t end = base + buffer.size();
  if (end > 0xFFFFFFFFu) return 0;
  // A gap after each buffer, so an address just past one is in none.
  next_ = (end / kAlignment + 1) * kAlignment;
  entries_.push_back({static_cast<DataAddress>(base), buffer});
  return static_cast<DataAddress>(base);
}

std::optional<Bytes> DataAddressTable::resolve(DataAddress address, std::size_t length) const {
  for (const auto& entry : entries_) {
    if (address < entry.base) continue;
    const std::size_t offset = address - entry.base;
    if (offset < entry.buffer.size() && length <= entry.buffer.size() - offset) {
      return entry.buffer.subspan(offset, length);
    }
  }
  return std::nullopt;
}

void DataAddressTable::clear() {
  entries_.clear();
  next_ = kFirstAddress;
}

}  // namespace updater
