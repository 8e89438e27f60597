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

}  // namespace tl
