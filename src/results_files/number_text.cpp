#include "results_files/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__EMSCRIPTEN__)
#include <emscripten.h>
#endif

namespace tl {

namespace {

// The shortest digits in printf's "%.*e" form ("-1.5e-05"): the fewest
// significant digits whose correctly rounded value reads back as `value`
// (printf and strtod are exact in the C libraries we build with).
void shortestScientificByPrintf(char (&scientific)[kMaxNumberText], double value) {
    for (int precision = 0;; ++precision) {
        std::snprintf(scientific, sizeof scientific, "%.*e", precision, value);
        // Seventeen significant digits always read back.
        if (precision == 16 || std::strtod(scientific, nullptr) == value) break;
    }
}

#if !defined(__cpp_lib_to_chars) && defined(__EMSCRIPTEN__)
// The engine's JavaScript gives the same digits at a fraction of the cost:
// Number.prototype.toExponential() with no argument writes as many digits as
// are needed to tell the value from every other double, and of those the
// closest to it (ties to even), as the shortest round-trip rule has it. It
// writes "1.5e-5" (no sign on zero, exponent unpadded); printf's form is made
// from it here.
EM_JS(int, jsExponential, (double magnitude, char* out), {
    const text = magnitude.toExponential();
    for (let i = 0; i < text.length; i += 1) HEAPU8[out + i] = text.charCodeAt(i);
    return text.length;
});

void shortestScientificByJs(char (&scientific)[kMaxNumberText], double value) {
    char js[kMaxNumberText];
    const int length = jsExponential(std::fabs(value), js);
    const char* const end = js + length;
    const char* e =
        static_cast<const char*>(std::memchr(js, 'e', static_cast<std::size_t>(length)));
    char* at = scientific;
    if (std::signbit(value)) *at++ = '-';
    at = std::copy(static_cast<const char*>(js), e, at);
    *at++ = 'e';
    *at++ = e[1];  // the exponent's sign
    const int exponentDigits = static_cast<int>(end - (e + 2));
    if (exponentDigits < 2) *at++ = '0';
    at = std::copy(e + 2, end, at);
    *at = '\0';
}

void shortestScientific(char (&scientific)[kMaxNumberText], double value) {
    shortestScientificByJs(scientific, value);
}
#elif !defined(__cpp_lib_to_chars)
void shortestScientific(char (&scientific)[kMaxNumberText], double value) {
    shortestScientificByPrintf(scientific, value);
}
#endif

// The shorter of the fixed and the exponent forms of the shortest digits, the
// fixed one on a tie.
char* writeFromScientific(char* out, const char* scientific, double value) {
    const char* e = std::strchr(scientific, 'e');
    const int exponent = std::atoi(e + 1);
    const bool negative = scientific[0] == '-';
    char digits[kMaxNumberText];
    int count = 0;
    for (const char* p = scientific + (negative ? 1 : 0); p < e; ++p) {
        if (*p != '.') digits[count++] = *p;
    }
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
        std::memcpy(at, digits, static_cast<std::size_t>(count));
        return at + count;
    }
    if (count <= exponent + 1) {
        // A whole number: its exact digits, as the fixed form prints them.
        const double magnitude = std::fabs(value);
        if (magnitude < 9007199254740992.0) {
            return std::to_chars(at, at + kMaxNumberText, static_cast<std::int64_t>(magnitude)).ptr;
        }
        char whole[kMaxNumberText];
        const int length = std::snprintf(whole, sizeof whole, "%.0f", magnitude);
        std::memcpy(at, whole, static_cast<std::size_t>(length));
        return at + length;
    }
    for (int i = 0; i < count; ++i) {
        if (i == exponent + 1) *at++ = '.';
        *at++ = digits[i];
    }
    return at;
}

}  // namespace

char* writeShortestByPrintf(char* out, double value) {
    char scientific[kMaxNumberText];
    shortestScientificByPrintf(scientific, value);
    return writeFromScientific(out, scientific, value);
}

#if !defined(__cpp_lib_to_chars) && defined(__EMSCRIPTEN__)
namespace {

// Examinees who share their profiles share every figure of their row: the
// texts of recent values are kept by the value's bits, so that a repeated
// value costs a look-up instead of a trip to JavaScript. (The engine runs on
// one thread.)
struct KnownText {
    std::uint64_t bits = 0;
    std::uint8_t length = 0;  // none yet
    char text[kMaxNumberText];
};

}  // namespace
#endif

char* writeShortest(char* out, double value) {
#if defined(__cpp_lib_to_chars)
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
#elif defined(__EMSCRIPTEN__)
    constexpr int kSlotBits = 15;
    static std::vector<KnownText> known(std::size_t{1} << kSlotBits);
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    KnownText& slot = known[(bits * 0x9E3779B97F4A7C15u) >> (64 - kSlotBits)];
    if (slot.length == 0 || slot.bits != bits) {
        char scientific[kMaxNumberText];
        shortestScientific(scientific, value);
        slot.length = static_cast<std::uint8_t>(writeFromScientific(slot.text, scientific, value) -
                                                slot.text);
        slot.bits = bits;
    }
    std::memcpy(out, slot.text, kMaxNumberText);
    return out + slot.length;
#else
    char scientific[kMaxNumberText];
    shortestScientific(scientific, value);
    return writeFromScientific(out, scientific, value);
#endif
}

std::string shortestText(double value) {
    char text[kMaxNumberText];
    return std::string(text, writeShortest(text, value));
}

}  // namespace tl
