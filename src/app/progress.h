#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>

namespace tl {

// A one-line "label: done of total (pct%)" indicator for standard error while a
// long computation runs. It stays silent when the stream is not a terminal (a
// log file or a pipe must not fill with carriage returns) and during the first
// second (short runs should not flicker), redraws at most ten times a second
// and clears its line when finished. advance() may be called from any thread.
class Progress {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds kQuietStart{1000};
    static constexpr std::chrono::milliseconds kRedrawInterval{100};

    // `isTerminal` is the caller's isatty() of the stream; total 0 means unknown.
    Progress(std::ostream& out, bool isTerminal, std::string label, std::uint64_t total,
             Clock clock = &std::chrono::steady_clock::now);
    ~Progress();

    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void advance(std::uint64_t steps = 1);
    // Clears the line if anything was drawn; later calls to advance draw nothing.
    void finish();

    std::uint64_t done() const { return done_.load(std::memory_order_relaxed); }

  private:
    void draw(std::uint64_t done);

    std::ostream& out_;
    const bool enabled_;
    const std::string label_;
    const std::uint64_t total_;
    const Clock clock_;
    std::atomic<std::uint64_t> done_{0};
    // The earliest time of the next drawing, as ticks of the steady clock, so
    // that threads can skip the lock when it is not yet due.
    std::atomic<std::chrono::steady_clock::rep> nextDraw_;
    std::mutex drawing_;
    std::size_t drawnWidth_ = 0;
    bool finished_ = false;
};

}  // namespace tl
