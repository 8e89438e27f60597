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
        } else if ((byte < 0x20 && c != '\t') || byte == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

// The most characters of one value that a diagnostic quotes.
inline constexpr std::size_t kShownCharacters = 200;

// A value as a diagnostic quotes it: escaped as oneLine does, and cut after
// kShownCharacters characters (never inside one) with "…", so that a cell of
// a megabyte still gives one short line.
inline std::string shownValue(std::string_view text) {
    std::size_t characters = 0, cut = 0;
    for (; cut < text.size(); ++cut) {
        const bool starts = (static_cast<unsigned char>(text[cut]) & 0xC0) != 0x80;
        if (starts && characters++ == kShownCharacters) break;
    }
    return oneLine(text.substr(0, cut)) + (cut < text.size() ? "\xE2\x80\xA6" : "");
}

}  // namespace tl
