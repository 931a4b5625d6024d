#pragma once

// Counts heap allocations of the whole benchmark binary: the global
// operator new is replaced in allocation_counter.cpp.

#include <cstdint>

namespace updater {

std::uint64_t heapAllocations();

}  // namespace updater
