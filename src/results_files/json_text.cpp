#include "results_files/json_text.h"

#include <cmath>
#include <string_view>

#include "results_files/number_text.h"

namespace tl {

namespace {

using Json = nlohmann::ordered_json;

void appendReal(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[kMaxNumberText];
    const std::string_view digits(text,
                                  static_cast<std::size_t>(writeShortest(text, value) - text));
    out += digits;
    if (digits.find_first_of(".e") == std::string_view::npos) out += ".0";
}

bool isFlat(const Json& array) {
    for (const Json& element : array) {
        if (element.is_structured()) return false;
    }
    return true;
}

void append(std::string& out, const Json& value, int depth) {
    const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
    const std::string closing(static_cast<std::size_t>(depth) * 2, ' ');
    if (value.is_number_float()) {
        appendReal(out, value.get<double>());
    } else if (value.is_object() && !value.empty()) {
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            out += first ? "" : ",\n";
            first = false;
            out += indent + Json(key).dump() + ": ";
            append(out, member, depth + 1);
        }
        out += "\n" + closing + "}";
    } else if (value.is_array() && !value.empty()) {
        const bool flat = isFlat(value);
        out += flat ? "[" : "[\n";
        bool first = true;
        for (const Json& element : value) {
            out += first ? "" : flat ? ", " : ",\n";
            first = false;
            if (!flat) out += indent;
            append(out, element, depth + 1);
        }
        out += flat ? "]" : "\n" + closing + "]";
    } else {
        out += value.dump();  // strings, integers, booleans, null, {} and []
    }
}

}  // namespace

std::string dumpJson(const Json& document) {
    std::string out;
    append(out, document, 0);
    out += "\n";
    return out;
}

nlohmann::ordered_json squareRows(const std::vector<double>& cells, std::size_t k) {
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (std::size_t r = 0; r < k; ++r) {
        rows.push_back(nlohmann::ordered_json(
            std::vector<double>(cells.begin() + static_cast<std::ptrdiff_t>(r * k),
                                cells.begin() + static_cast<std::ptrdiff_t>(r * k + k))));
    }
    return rows;
}

nlohmann::ordered_json csemRows(const std::vector<CsemRow>& rows, const char* scoreKey) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const CsemRow& row : rows) {
        array.push_back({{scoreKey, row.score},
                         {"examinees", row.examinees},
                         {"error_variance", row.errorVariance},
                         {"csem", row.csem}});
    }
    return array;
}

}  // namespace tl
