// Tests side by side share one console: each line carries its test's name,
// and the tests' lines come out together, in the tests' order, whatever order
// the tests finish in.
#include "app/ordered_console.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tl {
namespace {

TEST(OrderedConsole, FirstTestWritesThroughAndLaterTestsWait) {
    std::ostringstream out, err;
    OrderedConsole console(out, err, {"a.toml: ", "b.toml: "});
    console.out(1) << "second test\n";
    EXPECT_EQ(out.str(), "");
    console.out(0) << "first"
                   << " test\n";
    EXPECT_EQ(out.str(), "a.toml: first test\n");
    console.finished(1);
    EXPECT_EQ(out.str(), "a.toml: first test\n");
    console.err(0) << "tesserlink: warning: w\n";
    console.finished(0);
    EXPECT_EQ(out.str(), "a.toml: first test\nb.toml: second test\n");
    EXPECT_EQ(err.str(), "a.toml: tesserlink: warning: w\n");
}

TEST(OrderedConsole, UnfinishedLineIsEndedWhenItsTestEnds) {
    std::ostringstream out, err;
    OrderedConsole console(out, err, {"t: "});
    console.out(0) << "no line end";
    EXPECT_EQ(out.str(), "");
    console.finished(0);
    EXPECT_EQ(out.str(), "t: no line end\n");
}

TEST(OrderedConsole, EmptyLinesArePrefixedToo) {
    std::ostringstream out, err;
    OrderedConsole console(out, err, {"t: "});
    console.out(0) << "\n\n";
    console.finished(0);
    EXPECT_EQ(out.str(), "t: \nt: \n");
}

TEST(OrderedConsole, ThreadsFinishingInAnyOrderKeepTheTestsOrder) {
    constexpr int kTests = 8;
    constexpr int kLines = 200;
    std::vector<std::string> prefixes;
    std::string expected;
    for (int t = 0; t < kTests; ++t) {
        const std::string prefix = std::string("t") + std::to_string(t) + ": ";
        prefixes.push_back(prefix);
        for (int l = 0; l < kLines; ++l) expected += prefix + "line " + std::to_string(l) + "\n";
    }
    std::ostringstream out, err;
    OrderedConsole console(out, err, prefixes);
    std::vector<std::thread> threads;
    // The last test starts first, so most tests finish before the head does.
    for (int t = kTests - 1; t >= 0; --t) {
        threads.emplace_back([&console, t] {
            for (int l = 0; l < kLines; ++l) console.out(t) << "line " << l << '\n';
            console.finished(t);
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(out.str(), expected);
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace tl
