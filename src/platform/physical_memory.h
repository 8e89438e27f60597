#pragma once

#include <cstdint>

namespace tl {

// The machine's physical memory in bytes; 0 where it cannot be told.
std::uint64_t physicalMemoryBytes();

}  // namespace tl
