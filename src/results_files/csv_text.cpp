#include "results_files/csv_text.h"

#include <charconv>
#include <cmath>

#include "results_files/number_text.h"

namespace tl {

bool opensAsFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r'").find(text.front()) != std::string_view::npos;
}

std::string csvField(std::string_view text) {
    std::string escaped;
    if (opensAsFormula(text)) {
        escaped = "'";
        escaped += text;
        text = escaped;
    }
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

void CsvText::separate() {
    if (rowStarted_) text_ += ',';
    rowStarted_ = true;
}

void CsvText::text(std::string_view field) {
    separate();
    text_ += csvField(field);
}

void CsvText::number(double value) {
    separate();
    if (!std::isfinite(value)) return;
    char digits[kMaxNumberText];
    text_.append(digits, writeShortest(digits, value));
}

void CsvText::integer(std::int64_t value) {
    separate();
    char digits[24];
    text_.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void CsvText::endRow() {
    text_ += "\r\n";
    rowStarted_ = false;
}

}  // namespace tl
