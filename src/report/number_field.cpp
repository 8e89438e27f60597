#include "report/number_field.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace tl {

namespace {

__extension__ using Wide = unsigned __int128;

std::string rightAligned(const std::string& text, int width) {
    if (static_cast<int>(text.size()) > width) return std::string(static_cast<std::size_t>(width), '*');
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

std::string digitsOf(Wide scaled, int decimals) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(scaled % 10)));
        scaled /= 10;
    } while (scaled != 0);
    if (decimals == 0) return digits;
    while (static_cast<int>(digits.size()) <= decimals) digits.insert(digits.begin(), '0');
    digits.insert(digits.end() - decimals, '.');
    return digits;
}

}  // namespace

std::string integerField(std::int64_t value, int width) {
    return rightAligned(std::to_string(value), width);
}

std::string realField(double value, int width, int decimals) {
    if (std::isnan(value)) return rightAligned("NaN", width);
    if (std::isinf(value)) return rightAligned(value < 0 ? "-Inf" : "Inf", width);

    const double magnitude = std::fabs(value);
    std::string digits;
    Wide scaledTimesTen = 0;
    if (isExactTie(magnitude, decimals, scaledTimesTen)) {
        digits = digitsOf((scaledTimesTen + 5) / 10, decimals);
    } else {
        // Not a tie: the correctly rounded conversion is the nearest value.
        const int size = std::snprintf(nullptr, 0, "%.*f", decimals, magnitude);
        digits.resize(static_cast<std::size_t>(size) + 1);
        std::snprintf(digits.data(), digits.size(), "%.*f", decimals, magnitude);
        digits.resize(static_cast<std::size_t>(size));
    }
    const bool roundsToZero = digits.find_first_not_of("0.") == std::string::npos;
    std::string text = (std::signbit(value) && !roundsToZero ? "-" : "") + digits;
    if (static_cast<int>(text.size()) > width) {
        // The leading zero of a value below 1 is the first thing to give way.
        const std::size_t zero = text[0] == '-' ? 1 : 0;
        if (text.compare(zero, 2, "0.") == 0) text.erase(zero, 1);
    }
    return rightAligned(text, width);
}

std::string textField(const std::string& text, int width) {
    if (static_cast<int>(text.size()) >= width) return text;
    return text + std::string(static_cast<std::size_t>(width) - text.size(), ' ');
}

}  // namespace tl
