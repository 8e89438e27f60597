#include "core/decimal_number.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tl {

namespace {

bool isDecimalSyntax(std::string_view t) {
    const auto digitsFrom = [&t](std::size_t& p) {
        const std::size_t start = p;
        while (p < t.size() && t[p] >= '0' && t[p] <= '9') ++p;
        return p - start;
    };
    std::size_t p = 0;
    if (p < t.size() && t[p] == '-') ++p;
    std::size_t digits = digitsFrom(p);
    if (p < t.size() && t[p] == '.') {
        ++p;
        digits += digitsFrom(p);
    }
    if (digits == 0) return false;
    if (p < t.size() && (t[p] == 'e' || t[p] == 'E')) {
        ++p;
        if (p < t.size() && (t[p] == '+' || t[p] == '-')) ++p;
        if (digitsFrom(p) == 0) return false;
    }
    return p == t.size();
}

}  // namespace

std::errc readDecimal(std::string_view text, double& value) {
#if defined(__cpp_lib_to_chars)
    // from_chars also takes "inf" and "nan"; the rest of its general form is
    // the decimal syntax.
    const std::size_t lead = !text.empty() && text[0] == '-' ? 1 : 0;
    if (lead >= text.size() || !((text[lead] >= '0' && text[lead] <= '9') || text[lead] == '.'))
        return std::errc::invalid_argument;
    double parsed = 0.0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc()) return result.ec;
    if (result.ptr != text.data() + text.size()) return std::errc::invalid_argument;
    value = parsed;
    return std::errc();
#else
    return readDecimalByStrtod(text, value);
#endif
}

std::errc readDecimalByStrtod(std::string_view text, double& value) {
    if (!isDecimalSyntax(text)) return std::errc::invalid_argument;
    const std::string terminated(text);
    errno = 0;
    const double parsed = std::strtod(terminated.c_str(), nullptr);
    if (errno == ERANGE && (std::isinf(parsed) || parsed == 0.0)) {
        return std::errc::result_out_of_range;
    }
    value = parsed;
    return std::errc();
}

std::string shortestDecimal(double value) {
    char buffer[32];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    return buffer;
}

}  // namespace tl
