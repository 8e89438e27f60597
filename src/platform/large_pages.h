#pragma once

#include <cstddef>
#include <cstdint>

#ifndef _WIN32
#include <sys/mman.h>
#endif

namespace tl {

// A fresh buffer of many megabytes, filled once from start to end: touching it
// page by page costs more than filling it. Asking for large pages cuts the
// page faults by hundreds; where they are not available (or on Windows) the
// advice is ignored.
inline void adviseLargePages(void* data, std::size_t bytes) {
#ifndef _WIN32
    constexpr std::size_t kLarge = std::size_t{2} << 20;
    if (bytes < 4 * kLarge) return;
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace tl
