#include "results_files/csv_text.h"

#include <charconv>
#include <cmath>

#include "results_files/number_text.h"

namespace tl {

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string quoted = "\"";
    for (char c : field) {
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
