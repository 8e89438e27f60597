#include "app/progress.h"

#include <algorithm>
#include <utility>

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

}  // namespace

Progress::Progress(std::ostream& out, bool isTerminal, std::string label, std::uint64_t total,
                   Clock clock)
    : out_(out),
      enabled_(isTerminal),
      label_(std::move(label)),
      total_(total),
      clock_(std::move(clock)),
      nextDraw_(enabled_ ? (clock_() + kQuietStart).time_since_epoch().count() : 0) {}

Progress::~Progress() {
    try {
        finish();
    } catch (...) {
        // A stream that throws must not end the program from a destructor.
    }
}

void Progress::advance(std::uint64_t steps) {
    const std::uint64_t doneSoFar = done_.fetch_add(steps, std::memory_order_relaxed) + steps;
    if (!enabled_) return;
    const auto now = clock_().time_since_epoch().count();
    if (now < nextDraw_.load(std::memory_order_relaxed)) return;
    // Whoever holds the lock draws; the other threads have work to do.
    std::unique_lock lock(drawing_, std::try_to_lock);
    if (!lock.owns_lock() || finished_ || now < nextDraw_.load(std::memory_order_relaxed)) return;
    const auto interval =
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(kRedrawInterval);
    nextDraw_.store(now + interval.count(), std::memory_order_relaxed);
    draw(std::max(doneSoFar, done()));
}

void Progress::finish() {
    std::lock_guard lock(drawing_);
    if (finished_) return;
    finished_ = true;
    if (drawnWidth_ == 0) return;
    out_ << '\r' << std::string(drawnWidth_, ' ') << '\r' << std::flush;
    drawnWidth_ = 0;
}

void Progress::draw(std::uint64_t done) {
    std::string text = progressLine(label_, done, total_);
    const std::size_t width = text.size();
    // Blank out what is left of a longer earlier line.
    if (width < drawnWidth_) text.append(drawnWidth_ - width, ' ');
    out_ << '\r' << text << std::flush;
    drawnWidth_ = std::max(drawnWidth_, width);
}

}  // namespace tl
