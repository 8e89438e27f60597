#include "results_files/number_text.h"

#include <charconv>

namespace tl {

char* writeShortest(char* out, double value) {
    return std::to_chars(out, out + kMaxNumberText, value).ptr;
}

std::string shortestText(double value) {
    char text[kMaxNumberText];
    return std::string(text, writeShortest(text, value));
}

std::string fixedText(double value, int decimals) {
    char text[400];  // DBL_MAX in fixed notation, with the decimals asked for
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

}  // namespace tl
