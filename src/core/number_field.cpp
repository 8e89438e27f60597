#include "core/number_field.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace tl {

namespace {

__extension__ using Wide = unsigned __int128;

std::string rightAligned(const std::string& text, int width) {
    if (static_cast<int>(text.size()) > width)
        return std::string(static_cast<std::size_t>(width), '*');
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + text;
}

// Whether magnitude * 10^decimals lies exactly halfway between two whole numbers.
// The double is m * 2^e exactly; the scaled value is then m * 5^(d+1) * 2^(e+d+1)
// divided by 10, and it is a tie when that integer ends in the digit 5.
bool isExactTie(double magnitude, int decimals, Wide& scaledTimesTen) {
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int e = exponent - 53;
    if (e >= 0 || mantissa == 0) return false;  // a whole number cannot be halfway
    const int shift = e + decimals + 1;
    Wide n = mantissa;
    for (int i = 0; i <= decimals; ++i) n *= 5;
    if (shift >= 0) {
        n <<= shift;
    } else {
        if (std::countr_zero(mantissa) < -shift) return false;
        n >>= -shift;
    }
    scaledTimesTen = n;
    return n % 10 == 5;
}

// magnitude * 10^decimals rounded to the nearest whole number, a tie away from
// zero, computed exactly in integers: the double is m * 2^e with e < 0, so the
// scaled value is (m * 10^d) / 2^-e and the remainder decides the rounding. Only
// for values below 2^52 (the report's numbers); false leaves the rest to the
// general conversion.
bool roundScaledExactly(double magnitude, int decimals, Wide& rounded) {
    if (decimals < 0 || decimals > 17) return false;
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int shift = 53 - exponent;
    if (shift <= 0) return false;
    Wide n = mantissa;
    for (int i = 0; i < decimals; ++i) n *= 10;  // below 2^53 * 10^17 < 2^110
    if (shift >= 120) {
        rounded = 0;  // far below one half
        return true;
    }
    const Wide half = Wide{1} << (shift - 1);
    const Wide remainder = n & ((Wide{1} << shift) - 1);
    rounded = (n >> shift) + (remainder >= half ? 1 : 0);
    return true;
}

// Writes the whole digits of `scaled` backwards so that they end at `end`, with
// the point `decimals` digits from the right and zeros in front until there is
// one before the point; returns where they start. Needs room for
// max(39, decimals + 1) digits and the point.
char* writeDigits(Wide scaled, int decimals, char* end) {
    char* p = end;
    int produced = 0;
    auto emit = [&](int digit) {
        *--p = static_cast<char>('0' + digit);
        if (++produced == decimals) *--p = '.';
    };
    if (scaled <= UINT64_MAX) {
        auto small = static_cast<std::uint64_t>(scaled);  // 64-bit division is far cheaper
        do {
            emit(static_cast<int>(small % 10));
            small /= 10;
        } while (small != 0 || produced <= decimals);
    } else {
        do {
            emit(static_cast<int>(scaled % 10));
            scaled /= 10;
        } while (scaled != 0 || produced <= decimals);
    }
    return p;
}

// A finite value rounded to `decimals` places: its magnitude's digits and
// whether a minus sign goes before them. Both fixedDecimals and realField take
// their text from here, so the report and the page cannot round apart. The
// digits sit in a small buffer for the report's numbers (a million lines of
// them), in a string for the rest.
struct Rounded {
    Rounded(double value, int decimals) {
        const double magnitude = std::fabs(value);
        Wide scaledTimesTen = 0;
        Wide rounded = 0;
        if (roundScaledExactly(magnitude, decimals, rounded)) {
            char* const end = buffer + sizeof buffer;
            const char* const start = writeDigits(rounded, decimals, end);
            digits = std::string_view(start, static_cast<std::size_t>(end - start));
        } else if (isExactTie(magnitude, decimals, scaledTimesTen)) {
            general.assign(static_cast<std::size_t>(decimals) + 48, ' ');
            char* const end = general.data() + general.size();
            const char* const start = writeDigits((scaledTimesTen + 5) / 10, decimals, end);
            general.erase(0, static_cast<std::size_t>(start - general.data()));
            digits = general;
        } else {
            // Not a tie: the correctly rounded conversion is the nearest value.
            const int size = std::snprintf(nullptr, 0, "%.*f", decimals, magnitude);
            general.resize(static_cast<std::size_t>(size) + 1);
            std::snprintf(general.data(), general.size(), "%.*f", decimals, magnitude);
            general.resize(static_cast<std::size_t>(size));
            digits = general;
        }
        const bool roundsToZero = digits.find_first_not_of("0.") == std::string_view::npos;
        negative = std::signbit(value) && !roundsToZero;
    }
    Rounded(const Rounded&) = delete;
    Rounded& operator=(const Rounded&) = delete;

    char buffer[48];
    std::string general;
    std::string_view digits;
    bool negative = false;
};

}  // namespace

std::string integerField(std::int64_t value, int width) {
    return rightAligned(std::to_string(value), width);
}

std::string fixedDecimals(double value, int decimals) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    const Rounded r(value, decimals);
    std::string text(r.negative ? "-" : "");
    text += r.digits;
    return text;
}

std::string realField(double value, int width, int decimals) {
    if (std::isnan(value)) return rightAligned("NaN", width);
    if (std::isinf(value)) return rightAligned(value < 0 ? "-Inf" : "Inf", width);
    Rounded r(value, decimals);
    auto length = [&] { return static_cast<int>(r.digits.size()) + (r.negative ? 1 : 0); };
    // The leading zero of a value below 1 is the first thing to give way.
    if (length() > width && r.digits.starts_with("0.")) r.digits.remove_prefix(1);
    if (length() > width) return std::string(static_cast<std::size_t>(width), '*');
    std::string field(static_cast<std::size_t>(width), ' ');
    char* p = field.data() + (width - length());
    if (r.negative) *p++ = '-';
    r.digits.copy(p, r.digits.size());
    return field;
}

std::string textField(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return text + std::string(static_cast<std::size_t>(width) - text.size(), ' ');
}

std::string quotedNumber(double value, int maxDigits) {
    char text[40];
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= maxDigits; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

}  // namespace tl
