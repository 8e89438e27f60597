#include "input/number_syntax.h"

#include <string>

#include "core/decimal_number.h"

namespace tl {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Checks the real syntax and reports whether the text holds a D exponent.
bool isRealSyntax(std::string_view t, bool& hasDExponent) {
    std::size_t p = 0;
    if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
    std::size_t digits = 0;
    while (p < t.size() && isDigit(t[p])) ++p, ++digits;
    if (p < t.size() && t[p] == '.') {
        ++p;
        while (p < t.size() && isDigit(t[p])) ++p, ++digits;
    }
    if (digits == 0) return false;
    hasDExponent = false;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E' || t[p] == 'd' || t[p] == 'D')) {
        hasDExponent = t[p] == 'd' || t[p] == 'D';
        ++p;
        if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
        std::size_t expDigits = 0;
        while (p < t.size() && isDigit(t[p])) ++p, ++expDigits;
        if (expDigits == 0) return false;
    }
    return p == t.size();
}

}  // namespace

ParseStatus parseInteger(std::string_view text, std::int32_t& value) {
    std::size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (p == text.size()) return ParseStatus::NotANumber;
    std::int64_t magnitude = 0;
    bool overflow = false;
    for (; p < text.size(); ++p) {
        if (!isDigit(text[p])) return ParseStatus::NotANumber;
        if (!overflow) {
            magnitude = magnitude * 10 + (text[p] - '0');
            if (magnitude > 2147483648LL) overflow = true;
        }
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue > 2147483647LL || signedValue < -2147483648LL) {
        return ParseStatus::OutOfRange;
    }
    value = static_cast<std::int32_t>(signedValue);
    return ParseStatus::Ok;
}

ParseStatus parseReal(std::string_view text, double& value) {
    // Most item scores are short whole numbers: convert those directly (exact,
    // and the same double the general conversion gives, -0 included).
    if (!text.empty() && text.size() <= 16) {
        std::size_t p = 0;
        const bool negative = text[0] == '-';
        if (text[0] == '-' || text[0] == '+') p = 1;
        if (p < text.size()) {
            std::int64_t whole = 0;
            std::size_t q = p;
            while (q < text.size() && isDigit(text[q])) whole = whole * 10 + (text[q++] - '0');
            if (q == text.size()) {
                const double magnitude = static_cast<double>(whole);
                value = negative ? -magnitude : magnitude;
                return ParseStatus::Ok;
            }
        }
    }
    bool hasDExponent = false;
    if (!isRealSyntax(text, hasDExponent)) return ParseStatus::NotANumber;
    if (text[0] == '+') text.remove_prefix(1);
    std::string normalized;
    if (hasDExponent) {
        normalized.assign(text);
        for (char& c : normalized) {
            if (c == 'd' || c == 'D') c = 'e';
        }
        text = normalized;
    }
    const std::errc read = readDecimal(text, value);
    if (read == std::errc()) return ParseStatus::Ok;
    return read == std::errc::result_out_of_range ? ParseStatus::OutOfRange
                                                  : ParseStatus::NotANumber;
}

}  // namespace tl
