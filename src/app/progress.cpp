#include "app/progress.h"

#include <algorithm>
#include <utility>

#include "run/run_json.h"

namespace tl {

namespace {

std::string progressLine(const std::string& label, std::uint64_t done, std::uint64_t total) {
    if (total == 0) return label + ": " + std::to_string(done);
    done = std::min(done, total);  // a caller's overcount must not show 110%
    const std::string text = label + ": " + std::to_string(done);
    const auto percent =
        static_cast<unsigned>(static_cast<double>(done) * 100.0 / static_cast<double>(total));
    return text + " of " + std::to_string(total) + " (" + std::to_string(percent) + "%)";
}

std::chrono::steady_clock::rep ticksOf(std::chrono::milliseconds interval) {
    return std::chrono::duration_cast<std::chrono::steady_clock::duration>(interval).count();
}

std::chrono::milliseconds intervalOf(ProgressStyle style) {
    switch (style) {
        case ProgressStyle::Lines:
            return Progress::kLineInterval;
        case ProgressStyle::Events:
            return Progress::kEventInterval;
        default:
            return Progress::kRedrawInterval;
    }
}

// How long a fresh indicator keeps quiet: a short run should not flicker on a
// terminal; lines and events wait their own interval.
std::chrono::milliseconds quietStartOf(ProgressStyle style) {
    return style == ProgressStyle::Redrawn ? Progress::kQuietStart : intervalOf(style);
}

}  // namespace

Progress::Progress(std::ostream& out, ProgressStyle style, std::string label, std::uint64_t total,
                   Clock clock)
    : out_(out),
      style_(style),
      label_(std::move(label)),
      total_(total),
      clock_(std::move(clock)),
      nextDraw_(style == ProgressStyle::Off
                    ? 0
                    : clock_().time_since_epoch().count() + ticksOf(quietStartOf(style))) {}

Progress::~Progress() {
    try {
        finish();
    } catch (...) {
        // A stream that throws must not end the program from a destructor.
    }
}

void Progress::advance(std::uint64_t steps) {
    maybeDraw(done_.fetch_add(steps, std::memory_order_relaxed) + steps);
}

void Progress::advanceTo(std::uint64_t done) {
    std::uint64_t before = done_.load(std::memory_order_relaxed);
    while (before < done && !done_.compare_exchange_weak(before, done, std::memory_order_relaxed)) {
    }
    maybeDraw(std::max(before, done));
}

void Progress::maybeDraw(std::uint64_t doneSoFar) {
    if (style_ == ProgressStyle::Off) return;
    const auto now = clock_().time_since_epoch().count();
    if (now < nextDraw_.load(std::memory_order_relaxed)) return;
    // Whoever holds the lock draws; the other threads have work to do.
    std::unique_lock lock(drawing_, std::try_to_lock);
    if (!lock.owns_lock() || finished_ || now < nextDraw_.load(std::memory_order_relaxed)) return;
    nextDraw_.store(now + ticksOf(intervalOf(style_)), std::memory_order_relaxed);
    draw(std::max(doneSoFar, done()));
}

void Progress::finish() {
    std::lock_guard lock(drawing_);
    if (finished_) return;
    finished_ = true;
    if (!drawn_) return;
    if (style_ == ProgressStyle::Lines) {
        out_ << progressLine(label_, done(), total_) << '\n' << std::flush;
        return;
    }
    if (style_ == ProgressStyle::Events) {
        out_ << progressJsonLine(label_, done(), total_) << '\n' << std::flush;
        return;
    }
    out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
    drawnWidth_ = 0;
}

void Progress::draw(std::uint64_t done) {
    drawn_ = true;
    if (style_ == ProgressStyle::Events) {
        out_ << progressJsonLine(label_, done, total_) << '\n' << std::flush;
        return;
    }
    std::string text = progressLine(label_, done, total_);
    if (style_ == ProgressStyle::Lines) {
        out_ << text << '\n' << std::flush;
        return;
    }
    const std::size_t width = text.size();
    // Blank out what is left of a longer earlier line.
    if (width < drawnWidth_) text.append(drawnWidth_ - width, ' ');
    out_ << '\r' << text << std::flush;
    drawnWidth_ = std::max(drawnWidth_, width);
}

}  // namespace tl
