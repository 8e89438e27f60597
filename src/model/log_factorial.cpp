#include "model/log_factorial.h"

#include <array>
#include <bit>
#include <cmath>

namespace tl {

namespace {

// The series constants are fixed by their bit patterns, not by decimal text.
const double kShift = std::bit_cast<double>(0x4016000000000000ULL);        // 5.5
const double kHalf = std::bit_cast<double>(0x3FE0000000000000ULL);         // 0.5
const double kSeriesStart = std::bit_cast<double>(0x3FF00000000D0EC7ULL);  // 1.000000000190015
const std::array<double, 6> kCoefficients = {
    std::bit_cast<double>(0x40530B869F76170AULL),  //  76.18009172947146
    std::bit_cast<double>(0xC055A0572B143656ULL),  // -86.50532032941678
    std::bit_cast<double>(0x4038039BF13B4CC6ULL),  //  24.01409824083091
    std::bit_cast<double>(0xBFF3B5348DCDCC8CULL),  // -1.231739572450155
    std::bit_cast<double>(0x3F53CD7319EC12D8ULL),  //  0.001208650973866179
    std::bit_cast<double>(0xBED6A1181C0E9888ULL),  // -5.395239384953e-06
};
// The stored nearest double to sqrt(2 pi); std::sqrt gives the next lower one.
const double kRootTwoPi = std::bit_cast<double>(0x40040D931FF62706ULL);

constexpr int kCacheSize = 100;

std::array<double, kCacheSize> makeEmptyCache() {
    std::array<double, kCacheSize> cache{};
    cache.fill(-1.0);
    return cache;
}

std::array<double, kCacheSize> factlnCache = makeEmptyCache();

std::function<void()>& negativeNotice() {
    static std::function<void()> notice;
    return notice;
}

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
    if (n < 0) {
        if (negativeNotice()) negativeNotice()();
        n = 0;
    }
    if (n >= kCacheSize) return logGamma(static_cast<double>(n) + 1.0);
    double& entry = factlnCache[static_cast<std::size_t>(n)];
    // Below zero (or not a number) counts as empty; ln 0! and ln 1! come out a
    // hair below zero and so are computed again on every call, to the same value.
    if (!(entry >= 0.0)) entry = logGamma(static_cast<double>(n) + 1.0);
    return entry;
}

void setNegativeFactorialNotice(std::function<void()> notice) {
    negativeNotice() = std::move(notice);
}

}  // namespace tl
