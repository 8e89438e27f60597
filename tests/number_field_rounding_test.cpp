// The rounding of fixedDecimals and realField (the report, the page and its
// figures) against an independent decimal reference: the
// exact expansion of the double (every double has a finite one, which the C
// library prints in full) rounded by hand, half away from zero.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/number_field.h"

namespace {

// |value| rounded to `decimals` places from its exact decimal expansion.
std::string referenceDigits(double value, int decimals) {
    std::vector<char> buffer(1500);
    std::snprintf(buffer.data(), buffer.size(), "%.1100f", std::fabs(value));
    const std::string exact(buffer.data());
    const std::size_t point = exact.find('.');
    std::string kept = exact.substr(0, point) + exact.substr(point + 1, decimals);
    // Half away from zero: the first dropped digit alone decides, since a 5
    // followed by anything is at or above the half.
    if (exact[point + 1 + decimals] >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
        if (i == 0) {
            kept.insert(kept.begin(), '1');
        } else {
            ++kept[i - 1];
        }
    }
    if (decimals > 0) kept.insert(kept.end() - decimals, '.');
    return kept;
}

std::string referenceText(double value, int decimals) {
    const std::string digits = referenceDigits(value, decimals);
    const bool zero = digits.find_first_not_of("0.") == std::string::npos;
    return (std::signbit(value) && !zero ? "-" : "") + digits;
}

void expectSame(double value, int decimals) {
    const std::string text = referenceText(value, decimals);
    ASSERT_EQ(tl::fixedDecimals(value, decimals), text)
        << std::hexfloat << value << " decimals " << decimals;
    ASSERT_EQ(tl::realField(value, 60, decimals), std::string(60 - text.size(), ' ') + text);
}

TEST(RealFieldRounding, MatchesTheExactExpansion) {
    std::mt19937_64 engine(20240611);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> decimalsOf(0, 8);
    std::uniform_int_distribution<int> scaleOf(-12, 14);
    for (int i = 0; i < 30000; ++i) {
        const int decimals = decimalsOf(engine);
        // Probabilities, scores and variances of every size, either sign.
        const double value = (unit(engine) - 0.3) * std::pow(10.0, scaleOf(engine));
        expectSame(value, decimals);
        // Exact ties and their neighbours: k / 2^j with few bits.
        const double tie = std::ldexp(static_cast<double>(engine() % 4096),
                                      -(1 + static_cast<int>(engine() % 12)));
        expectSame(tie, decimals);
        expectSame(std::nextafter(tie, 0.0), decimals);
        expectSame(std::nextafter(tie, 1e9), decimals);
        expectSame(-tie, decimals);
    }
}

TEST(RealFieldRounding, ExtremeMagnitudes) {
    const double values[] = {5e-324,       2.2250738585072014e-308,
                             1e-300,       0x1p-120,
                             0x1p-70,      0.5,
                             0x1p52 - 0.5, 0x1p52,
                             0x1p53,       1e15 + 0.375};
    for (double value : values) {
        for (int decimals = 0; decimals <= 17; ++decimals) {
            expectSame(value, decimals);
            expectSame(-value, decimals);
        }
    }
}

}  // namespace
