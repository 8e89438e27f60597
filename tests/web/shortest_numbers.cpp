// Prints the shortest text of two million doubles, one a line: random bit
// patterns, probabilities, quarters, tenths and square roots, and every power
// of two with its neighbours (where the values that read back lie closer on
// one side). Built natively, where the text comes from to_chars, and for
// WebAssembly, where it comes from the engine's JavaScript; scripts/test-web
// compares the two outputs byte for byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>

#include "results_files/number_text.h"

int main() {
    char text[tl::kMaxNumberText + 1];
    const auto print = [&](double value) {
        if (!std::isfinite(value)) return;
        char* end = tl::writeShortest(text, value);
        *end++ = '\n';
        std::fwrite(text, 1, static_cast<std::size_t>(end - text), stdout);
    };
    std::mt19937_64 random(11);
    for (int i = 0; i < 400000; ++i) {
        const std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        print(value);
        print(std::ldexp(static_cast<double>(random() >> 11), -53));
        print(static_cast<double>(random() % 100000) / 8.0);
        print(static_cast<double>(random() % 1000) * 0.1);
        print(std::sqrt(static_cast<double>(random() % 100000) / 7.0));
    }
    for (int e = -1074; e <= 1023; ++e) {
        const double power = std::ldexp(1.0, e);
        for (double value :
             {power, -power, std::nextafter(power, 0.0), std::nextafter(power, 2.0 * power)}) {
            print(value);
        }
    }
    print(0.0);
    print(-0.0);
    return 0;
}
