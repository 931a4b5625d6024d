#include "platform/aspi_posting_table.h"

#include <algorithm>
#include <optional>

namespace updater {

void AspiPostingTable::add(Bytes block, AspiPostingRoutine& posting) {
  const std::lock_guard lock(mutex_);
  const auto same = [&block](const Entry& entry) { return entry.block.data() == block.data(); };
  std::erase_if(entries_, same);
  entries_.push_back({block, &posting});
}

bool AspiPostingTable::post(const void* address) {
  std::optional<Entry> taken;
  {
    const std::lock_guard lock(mutex_);
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [address](const Entry& entry) { return entry.block.data() == address; });
    if (found == entries_.end()) return false;
    taken = *found;
    entries_.erase(found);
  }
  taken->posting->posted(taken->block);
  return true;
}

std::size_t AspiPostingTable::size() const {
  const std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace updater
