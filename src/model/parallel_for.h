#pragma once

#include <cstddef>
#include <functional>

namespace tl {

// Runs body(begin, end, worker) over [0, count) split into chunks handed out to
// `threads` workers (worker is 0 .. threads-1). Each index is processed by
// exactly one call; results must go to per-index slots so that any thread count
// gives the same bits. Worker 0 is the calling thread, so a body may call back
// into the caller's environment (R's, say) when worker == 0. The first
// exception thrown by a body is rethrown.
void parallelFor(std::size_t count, unsigned threads,
                 const std::function<void(std::size_t, std::size_t, unsigned)>& body);

}  // namespace tl
