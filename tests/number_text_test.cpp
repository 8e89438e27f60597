// The results files' shortest number text is the same whichever C++ library
// writes it: the C library route of the WebAssembly build against to_chars.
#include "results_files/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace tl {
namespace {

std::string byPrintf(double value) {
    char text[kMaxNumberText];
    return std::string(text, writeShortestByPrintf(text, value));
}

std::string byToChars(double value) {
    char text[kMaxNumberText];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

TEST(ShortestText, ThePrintfRouteWritesWhatToCharsWrites) {
    const double edges[] = {0.0,
                            -0.0,
                            1.0,
                            0.1,
                            0.001,
                            1e-05,
                            123456.0,
                            1e15,
                            1e16,
                            1e17,
                            12345678901234567.0,
                            0.015625,
                            0.49996969783087305,
                            2.0 / 3.0,
                            5e-324,
                            2.2250738585072014e-308,
                            std::numeric_limits<double>::max(),
                            -37.5,
                            1e100,
                            1e-100,
                            9007199254740993.0};
    for (const double v : edges) EXPECT_EQ(byPrintf(v), byToChars(v)) << byToChars(v);

    // Random bit patterns cover every exponent; probabilities and scores
    // cover the values the files hold.
    std::mt19937_64 draw(20261209);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int mismatches = 0;
    for (int i = 0; i < 200000 && mismatches < 5; ++i) {
        std::uint64_t bits = draw();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        const double u = i % 2 ? unit(draw) : std::round(unit(draw) * 1e6) / 64.0;
        for (const double x : {v, u}) {
            if (!std::isfinite(x)) continue;
            if (byPrintf(x) != byToChars(x)) {
                ++mismatches;
                ADD_FAILURE() << byToChars(x) << " written as " << byPrintf(x);
            }
        }
    }
}

}  // namespace
}  // namespace tl
