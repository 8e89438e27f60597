#include "results_files/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tl {

// The fewest significant digits whose correctly rounded value reads back as
// `value` (printf and strtod are exact in the C libraries we build with), then
// the shorter of the fixed and the exponent forms, the fixed one on a tie.
char* writeShortestByPrintf(char* out, double value) {
    char scientific[kMaxNumberText];
    for (int precision = 0;; ++precision) {
        std::snprintf(scientific, sizeof scientific, "%.*e", precision, value);
        // Seventeen significant digits always read back.
        if (precision == 16 || std::strtod(scientific, nullptr) == value) break;
    }
    const char* e = std::strchr(scientific, 'e');
    const int exponent = std::atoi(e + 1);
    const bool negative = scientific[0] == '-';
    std::string digits;
    for (const char* p = scientific + (negative ? 1 : 0); p < e; ++p) {
        if (*p != '.') digits += *p;
    }
    const int count = static_cast<int>(digits.size());
    const int exponentDigits = std::abs(exponent) >= 100 ? 3 : 2;
    const int scientificLength = count + (count > 1 ? 1 : 0) + 2 + exponentDigits;
    const int fixedLength =
        exponent >= 0 ? (count <= exponent + 1 ? exponent + 1 : count + 1) : 1 + -exponent + count;
    char* at = out;
    if (negative) *at++ = '-';
    if (scientificLength < fixedLength) {
        const std::size_t length = std::strlen(scientific) - (negative ? 1 : 0);
        std::memcpy(at, scientific + (negative ? 1 : 0), length);
        return at + length;
    }
    if (exponent < 0) {
        *at++ = '0';
        *at++ = '.';
        for (int z = 1; z < -exponent; ++z) *at++ = '0';
        std::memcpy(at, digits.data(), digits.size());
        return at + digits.size();
    }
    if (count <= exponent + 1) {
        // A whole number: its exact digits, as the fixed form prints them.
        char whole[kMaxNumberText];
        const int length = std::snprintf(whole, sizeof whole, "%.0f", std::fabs(value));
        std::memcpy(at, whole, static_cast<std::size_t>(length));
        return at + length;
    }
    for (int i = 0; i < count; ++i) {
        if (i == exponent + 1) *at++ = '.';
        *at++ = digits[static_cast<std::size_t>(i)];
    }
    return at;
}

char* writeShortest(char* out, double value) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
#else
    return writeShortestByPrintf(out, value);
#endif
}

std::string shortestText(double value) {
    char text[kMaxNumberText];
    return std::string(text, writeShortest(text, value));
}

}  // namespace tl
