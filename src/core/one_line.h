#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tl {

// A diagnostic is one line: line breaks and other control characters in the
// text it quotes (a cell, a column name, a key) are shown escaped.
inline std::string oneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 0x20 && c != '\t') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace tl
