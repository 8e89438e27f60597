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

// How progress is shown on standard error: not at all; redrawn in place on a
// terminal; as whole lines, a few seconds apart, for the log of a long run
// (a file or a pipe must not fill with carriage returns); or as JSON lines
// a quarter second apart, for a front end that reads them (--events).
enum class ProgressStyle { Off, Redrawn, Lines, Events };

// A "label: done of total (pct%)" indicator for standard error while a long
// computation runs. Redrawn, it stays silent during the first second (short
// runs should not flicker), redraws at most ten times a second and clears its
// line when finished. As lines, it writes one line every five seconds at most,
// the first after five seconds, and a last line with the final count when it
// finishes, if it wrote any. advance() may be called from any thread.
class Progress {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr std::chrono::milliseconds kQuietStart{1000};
    static constexpr std::chrono::milliseconds kRedrawInterval{100};
    static constexpr std::chrono::milliseconds kLineInterval{5000};
    static constexpr std::chrono::milliseconds kEventInterval{250};

    // total 0 means unknown.
    Progress(std::ostream& out, ProgressStyle style, std::string label, std::uint64_t total,
             Clock clock = &std::chrono::steady_clock::now);
    ~Progress();

    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void advance(std::uint64_t steps = 1);
    // Advances to `done` steps in all, when that is more than so far.
    void advanceTo(std::uint64_t done);
    // Clears the line (or writes the last line) if anything was drawn; later
    // calls to advance draw nothing.
    void finish();

    std::uint64_t done() const { return done_.load(std::memory_order_relaxed); }

  private:
    void draw(std::uint64_t done);
    void maybeDraw(std::uint64_t doneSoFar);

    std::ostream& out_;
    const ProgressStyle style_;
    const std::string label_;
    const std::uint64_t total_;
    const Clock clock_;
    std::atomic<std::uint64_t> done_{0};
    // The earliest time of the next drawing, as ticks of the steady clock, so
    // that threads can skip the lock when it is not yet due.
    std::atomic<std::chrono::steady_clock::rep> nextDraw_;
    std::mutex drawing_;
    std::size_t drawnWidth_ = 0;
    bool drawn_ = false;
    bool finished_ = false;
};

}  // namespace tl
