// ln n! rests on a fixed six-term log-gamma series; the multinomial
// coefficients of the model inherit its small error, so these tests pin the
// series values themselves, not the exact logarithms.
#include "model/log_factorial.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

std::uint64_t bitsOf(double value) {
    return std::bit_cast<std::uint64_t>(value);
}

TEST(LogFactorial, ZeroAndOneComeOutWithinRoundingOfZero) {
    EXPECT_NEAR(tl::factln(0), 0.0, 1e-15);
    EXPECT_NEAR(tl::factln(1), 0.0, 1e-15);
}

TEST(LogFactorial, CarriesTheSeriesErrorNotTheExactValue) {
    struct Case {
        int n;
        double series;     // what the model uses
        double exact;      // ln n! itself
        double tolerance;  // half a unit of the last quoted decimal
    };
    const Case cases[] = {
        {10, 15.1044125730764, 15.1044125730755, 5e-14},
        {100, 363.7393755557, 363.7393755556, 5e-11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        EXPECT_NEAR(tl::factln(c.n), c.series, c.tolerance);
        EXPECT_GT(std::fabs(tl::factln(c.n) - c.exact), c.tolerance);
    }
}

TEST(LogFactorial, CachedAndUncachedArgumentsBothGiveTheSeriesValue) {
    // 99 is the last cached argument, 100 the first computed on every call.
    for (int n : {0, 1, 2, 10, 98, 99, 100, 101, 220}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(bitsOf(tl::factln(n)), bitsOf(tl::logGamma(n + 1.0)));
    }
}

TEST(LogFactorial, RepeatedCallsReturnTheIdenticalDouble) {
    for (int n = 0; n < 130; ++n) {
        const double first = tl::factln(n);
        const double second = tl::factln(n);
        EXPECT_EQ(bitsOf(first), bitsOf(second)) << n;
    }
}

TEST(LogGamma, AgreesWithTheExactLogGammaToTheSeriesAccuracy) {
    // ln Γ at arguments with closed forms; the series is good to about 2e-10.
    const double pi = 3.14159265358979323846;
    const struct {
        double x;
        double exact;
    } cases[] = {
        {0.5, 0.5 * std::log(pi)},             // Γ(1/2) = √π
        {1.5, std::log(0.5 * std::sqrt(pi))},  // Γ(3/2) = √π / 2
        {1.0, 0.0},
        {2.0, 0.0},
        {5.0, std::log(24.0)},       // 4!
        {21.0, 42.335616460753485},  // ln 20!
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_NEAR(tl::logGamma(c.x), c.exact, 3e-10 * std::max(1.0, std::fabs(c.exact)));
    }
}

TEST(LogFactorial, NegativeArgumentIsTakenAsZero) {
    EXPECT_EQ(bitsOf(tl::factln(-3)), bitsOf(tl::factln(0)));
}

}  // namespace
