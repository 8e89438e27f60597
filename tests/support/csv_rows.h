#pragma once

// Reads back the CSV the results folder holds, strictly as RFC 4180 has it:
// every row ends in CR LF, a quoted field doubles its quotes. Anything else
// throws, so a test that reads a file also checks its syntax.

#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tl::testing {

using CsvRow = std::vector<std::string>;

inline std::vector<CsvRow> parseCsv(std::string_view text) {
    std::vector<CsvRow> rows;
    CsvRow row;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) throw std::runtime_error("unterminated quoted field");
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"', ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"') throw std::runtime_error("quote inside an unquoted field");
                field += text[i++];
            }
        }
        if (i >= text.size()) throw std::runtime_error("last row without CR LF");
        row.push_back(std::move(field));
        field.clear();
        if (text[i] == ',') {
            ++i;
        } else if (text.substr(i, 2) == "\r\n") {
            i += 2;
            rows.push_back(std::move(row));
            row.clear();
        } else {
            throw std::runtime_error("a field followed by neither a comma nor CR LF");
        }
    }
    return rows;
}

// A CSV real read back: an empty field is a missing value (NaN).
inline double csvReal(const std::string& field) {
    if (field.empty()) return std::numeric_limits<double>::quiet_NaN();
    char* end = nullptr;
    const double value = std::strtod(field.c_str(), &end);
    if (end != field.c_str() + field.size()) throw std::runtime_error("not a number: " + field);
    return value;
}

}  // namespace tl::testing
