#include "model/parallel_for.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace tl {

void parallelFor(std::size_t count, unsigned threads,
                 const std::function<void(std::size_t, std::size_t, unsigned)>& body) {
    if (count == 0) return;
    threads = std::max(1u, threads);
    if (threads == 1 || count == 1) {
        body(0, count, 0);
        return;
    }
    threads = static_cast<unsigned>(std::min<std::size_t>(threads, count));
    // Small chunks balance uneven work (profiles differ in cost little, but
    // chunks are cheap to hand out).
    const std::size_t chunk = std::max<std::size_t>(1, count / (threads * 16));
    std::atomic<std::size_t> nextIndex{0};
    std::exception_ptr failure;
    std::mutex failureMutex;
    auto work = [&](unsigned worker) {
        try {
            while (true) {
                const std::size_t begin = nextIndex.fetch_add(chunk);
                if (begin >= count) break;
                body(begin, std::min(count, begin + chunk), worker);
            }
        } catch (...) {
            std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure) failure = std::current_exception();
            nextIndex.store(count);
        }
    };
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work, t);
    work(0);
    for (std::thread& thread : pool) thread.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace tl
