// The replicates' examinee draws: fixed by the seed on every platform, inside
// the range, and equally likely.
#include "classify/bootstrap_draws.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace tl {
namespace {

std::vector<std::uint32_t> drawn(std::uint64_t seed, std::uint32_t n, std::size_t count) {
    ExamineeDraws draws(seed);
    std::vector<std::uint32_t> out(count);
    draws.drawSample(n, out);
    return out;
}

// Worked out independently from the generator's definition and the mapping.
TEST(ExamineeDraws, GiveTheSameDrawsForASeedEverywhere) {
    EXPECT_EQ(drawn(1, 10, 12), (std::vector<std::uint32_t>{1, 1, 4, 0, 3, 9, 4, 0, 5, 6, 0, 5}));
    EXPECT_EQ(drawn(20240915, 1000003, 6),
              (std::vector<std::uint32_t>{301501, 812689, 448993, 485229, 967306, 630820}));
    // A quarter of the outputs is rejected for this n.
    EXPECT_EQ(drawn(7, 3u << 30, 6),
              (std::vector<std::uint32_t>{2430045156u, 378217872u, 455067557u, 177467485u,
                                          2681744230u, 2901391529u}));
}

TEST(ExamineeDraws, StayInRangeAndAreEquallyLikely) {
    EXPECT_EQ(drawn(3, 1, 5), std::vector<std::uint32_t>(5, 0));
    const std::uint32_t n = 7;
    const std::size_t count = 70000;
    std::vector<int> hits(n, 0);
    for (std::uint32_t i : drawn(11, n, count)) {
        ASSERT_LT(i, n);
        ++hits[i];
    }
    double chiSquare = 0.0;
    for (int h : hits) chiSquare += (h - 10000.0) * (h - 10000.0) / 10000.0;
    EXPECT_LT(chiSquare, 22.5);  // the 0.999 quantile with 6 degrees of freedom
    EXPECT_NE(drawn(1, 1000, 20), drawn(2, 1000, 20));
}

}  // namespace
}  // namespace tl
