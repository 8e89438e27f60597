#include "model/log_factorial.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "core/bit_pattern.h"

namespace tl {

namespace {

// The series constants are fixed by their bit patterns, not by decimal text.
const double kShift = doubleFromBits(0x4016000000000000ULL);        // 5.5
const double kHalf = doubleFromBits(0x3FE0000000000000ULL);         // 0.5
const double kSeriesStart = doubleFromBits(0x3FF00000000D0EC7ULL);  // 1.000000000190015
const std::array<double, 6> kCoefficients = {
    doubleFromBits(0x40530B869F76170AULL),  //  76.18009172947146
    doubleFromBits(0xC055A0572B143656ULL),  // -86.50532032941678
    doubleFromBits(0x4038039BF13B4CC6ULL),  //  24.01409824083091
    doubleFromBits(0xBFF3B5348DCDCC8CULL),  // -1.231739572450155
    doubleFromBits(0x3F53CD7319EC12D8ULL),  //  0.001208650973866179
    doubleFromBits(0xBED6A1181C0E9888ULL),  // -5.395239384953e-06
};
// The stored nearest double to sqrt(2 pi); std::sqrt gives the next lower one.
const double kRootTwoPi = doubleFromBits(0x40040D931FF62706ULL);

constexpr int kCacheSize = 100;

}  // namespace

double logGamma(double x) {
    double tmp = x + kShift;
    tmp = (x + kHalf) * std::log(tmp) - tmp;
    double ser = kSeriesStart;
    double y = x;
    for (double c : kCoefficients) {
        y = y + 1.0;
        ser = ser + c / y;
    }
    return tmp + std::log((ser * kRootTwoPi) / x);
}

double factln(std::int32_t n) {
    // ln 0! .. ln 99!, built once on first use (thread-safe) and never changed
    // afterwards, so that any number of threads may read it.
    static const std::array<double, kCacheSize> cache = [] {
        std::array<double, kCacheSize> values{};
        for (int m = 0; m < kCacheSize; ++m) values[m] = logGamma(static_cast<double>(m) + 1.0);
        return values;
    }();
    if (n < 0) n = 0;
    if (n >= kCacheSize) return logGamma(static_cast<double>(n) + 1.0);
    return cache[static_cast<std::size_t>(n)];
}

}  // namespace tl
