#pragma once

#include <thread>

namespace tl {

// The number of hardware threads, at least 1: what a thread count of 0 means.
inline unsigned hardwareThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : n;
}

}  // namespace tl
