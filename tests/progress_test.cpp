// The progress indicator with a hand-driven clock. Redrawn: silent during the
// first second, then at most one drawing per tenth of a second, and a cleared
// line at the end. As lines: one line every five seconds at most and a last
// line with the final count. Off: nothing.
#include "app/progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

namespace tl {
namespace {

using namespace std::chrono_literals;
using TimePoint = std::chrono::steady_clock::time_point;

struct FakeClock {
    TimePoint now{};
    Progress::Clock clock() {
        return [this] { return now; };
    }
};

std::size_t drawings(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
}

TEST(Progress, DrawsNothingWhenOff) {
    FakeClock time;
    std::ostringstream out;
    {
        Progress progress(out, ProgressStyle::Off, "Examinees", 10, time.clock());
        for (int i = 0; i < 10; ++i) {
            time.now += 1s;
            progress.advance();
        }
        EXPECT_EQ(progress.done(), 10u);
        progress.finish();
    }
    EXPECT_EQ(out.str(), "");
}

TEST(Progress, DrawsNothingDuringTheFirstSecond) {
    FakeClock time;
    std::ostringstream out;
    Progress progress(out, ProgressStyle::Redrawn, "Examinees", 10, time.clock());
    for (const auto at : {0ms, 500ms, 999ms}) {
        time.now = TimePoint{} + at;
        progress.advance();
    }
    progress.finish();
    EXPECT_EQ(out.str(), "");
}

TEST(Progress, DrawsAfterOneSecondAndClearsItsLineOnFinish) {
    FakeClock time;
    std::ostringstream out;
    Progress progress(out, ProgressStyle::Redrawn, "Examinees", 8, time.clock());
    progress.advance(3);
    time.now += 1s;
    progress.advance();
    EXPECT_EQ(out.str(), "\rExaminees: 4 of 8 (50%)");
    progress.finish();
    EXPECT_EQ(out.str(), "\rExaminees: 4 of 8 (50%)\r" + std::string(23, ' ') + "\r");
    time.now += 1s;
    progress.advance();
    progress.finish();
    EXPECT_EQ(drawings(out.str()), 3u) << "nothing after finish";
}

TEST(Progress, RedrawsAtMostTenTimesASecond) {
    FakeClock time;
    std::ostringstream out;
    Progress progress(out, ProgressStyle::Redrawn, "Sets", 0, time.clock());
    time.now += 1s;
    for (int tick = 0; tick < 100; ++tick) {  // one second in 10 ms steps
        progress.advance();
        time.now += 10ms;
    }
    EXPECT_EQ(drawings(out.str()), 10u);
    EXPECT_NE(out.str().find("\rSets: 91"), std::string::npos);
}

TEST(Progress, DestructorClearsTheLine) {
    FakeClock time;
    std::ostringstream out;
    {
        Progress progress(out, ProgressStyle::Redrawn, "Sets", 2, time.clock());
        time.now += 2s;
        progress.advance();
    }
    EXPECT_EQ(out.str(), "\rSets: 1 of 2 (50%)\r" + std::string(18, ' ') + "\r");
}

// A log of a long run: whole lines, never a carriage return, five seconds apart.
TEST(Progress, AsLinesWritesOneLineEveryFiveSecondsAndTheLastCount) {
    FakeClock time;
    std::ostringstream out;
    {
        Progress progress(out, ProgressStyle::Lines, "Bootstrap replicates", 1000, time.clock());
        for (int step = 0; step < 1000; ++step) {  // 12 seconds in 12 ms steps
            time.now += 12ms;
            progress.advance();
        }
        EXPECT_EQ(out.str(),
                  "Bootstrap replicates: 417 of 1000 (41%)\n"  // at 5.004 s
                  "Bootstrap replicates: 834 of 1000 (83%)\n");
    }
    EXPECT_EQ(out.str(),
              "Bootstrap replicates: 417 of 1000 (41%)\n"
              "Bootstrap replicates: 834 of 1000 (83%)\n"
              "Bootstrap replicates: 1000 of 1000 (100%)\n");
}

TEST(Progress, AsLinesStaysSilentInAShortRun) {
    FakeClock time;
    std::ostringstream out;
    {
        Progress progress(out, ProgressStyle::Lines, "Computing", 3, time.clock());
        for (int step = 0; step < 3; ++step) {
            time.now += 1s;
            progress.advance();
        }
    }
    EXPECT_EQ(out.str(), "");
}

TEST(Progress, AdvancesToACountAndNeverBack) {
    FakeClock time;
    std::ostringstream out;
    Progress progress(out, ProgressStyle::Lines, "Work", 10, time.clock());
    progress.advanceTo(4);
    progress.advanceTo(2);
    EXPECT_EQ(progress.done(), 4u);
    time.now += 5s;
    progress.advanceTo(7);
    EXPECT_EQ(out.str(), "Work: 7 of 10 (70%)\n");
}

struct LineCase {
    std::uint64_t done;
    std::uint64_t total;
    std::string line;
};

TEST(Progress, LineShowsCountOfTotalAndPercent) {
    for (const LineCase& c : std::vector<LineCase>{{0, 3, "Work: 0 of 3 (0%)"},
                                                   {1, 3, "Work: 1 of 3 (33%)"},
                                                   {3, 3, "Work: 3 of 3 (100%)"},
                                                   {5, 3, "Work: 3 of 3 (100%)"},
                                                   {7, 0, "Work: 7"}}) {
        FakeClock time;
        std::ostringstream out;
        Progress progress(out, ProgressStyle::Redrawn, "Work", c.total, time.clock());
        time.now += 1s;
        progress.advance(c.done);
        EXPECT_EQ(out.str(), "\r" + c.line) << c.done << " of " << c.total;
    }
}

TEST(Progress, CountsEveryStepFromManyThreads) {
    std::atomic<std::int64_t> ticks{0};
    // Every reading of the clock moves it on by 1 ms, so drawings happen.
    const Progress::Clock clock = [&ticks] {
        return TimePoint{} + std::chrono::milliseconds(ticks.fetch_add(1));
    };
    std::ostringstream out;
    Progress progress(out, ProgressStyle::Redrawn, "Work", 40000, clock);
    std::vector<std::thread> workers;
    for (int w = 0; w < 4; ++w)
        workers.emplace_back([&progress] {
            for (int i = 0; i < 10000; ++i) progress.advance();
        });
    for (std::thread& worker : workers) worker.join();
    EXPECT_EQ(progress.done(), 40000u);
    progress.finish();
    const std::string text = out.str();
    EXPECT_GT(drawings(text), 2u);
    EXPECT_EQ(text.back(), '\r');
}

}  // namespace
}  // namespace tl
