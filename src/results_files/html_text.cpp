#include "results_files/html_text.h"

#include <cmath>

#include "core/number_field.h"
#include "results_files/number_text.h"

namespace tl {

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string shownReal(double value) {
    return std::isfinite(value) ? fixedDecimals(value, kShownDecimals) : "n/a";
}

std::string realCell(std::string_view jsonPath, double value) {
    return "<td class=\"num\" data-json=\"" + escapeHtml(jsonPath) + "\">" + shownReal(value) +
           "</td>";
}

std::string integerCell(std::string_view jsonPath, std::int64_t value) {
    return "<td class=\"num\" data-json=\"" + escapeHtml(jsonPath) + "\">" + std::to_string(value) +
           "</td>";
}

std::string scoreCell(std::string_view jsonPath, double value) {
    return "<td class=\"num\" data-json=\"" + escapeHtml(jsonPath) + "\">" + shortestText(value) +
           "</td>";
}

std::string scrollingTable(const std::string& id, const std::string& title,
                           const std::string& body) {
    const std::string label = id + "-title";
    return "<p class=\"table-title\" id=\"" + label + "\">" + escapeHtml(title) +
           "</p>\n<div class=\"scroll\" role=\"region\" aria-labelledby=\"" + label +
           "\" tabindex=\"0\">\n<table id=\"" + id + "\" aria-labelledby=\"" + label + "\">\n" +
           body + "</table>\n</div>\n";
}

}  // namespace tl
