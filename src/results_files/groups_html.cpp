#include "results_files/groups_html.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "core/number_field.h"
#include "results_files/html_text.h"
#include "results_files/plot_parts.h"
#include "results_files/svg_plot.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

constexpr double kWidth = 720, kHeight = 400;
constexpr double kLeft = 72, kRight = 700, kTop = 24, kBottom = 300;

std::string th(const std::string& content, const std::string& attributes = "") {
    return "<th" + attributes + ">" + content + "</th>";
}

std::string levelPath(std::size_t g, const std::string& rest) {
    return "groups." + std::to_string(g) + "." + rest;
}

// The levels of one variable, as indices into Results::groups.
struct VariableLevels {
    std::string name;
    std::vector<std::size_t> levels;
};

std::vector<VariableLevels> byVariable(const Results& r) {
    std::vector<VariableLevels> variables;
    for (std::size_t g = 0; g < r.groups.size(); ++g) {
        if (variables.empty() || variables.back().name != r.groups[g].variable)
            variables.push_back({r.groups[g].variable, {}});
        variables.back().levels.push_back(g);
    }
    return variables;
}

const GroupLevelSpread* spreadsOf(const Results& r, std::size_t g) {
    if (!r.bootstrap || r.bootstrap->groups.size() <= g) return nullptr;
    return &r.bootstrap->groups[g];
}

std::string intervalCell(const std::string& prefix, const IndexSpread& s) {
    return "<td class=\"num\"><span data-json=\"" + prefix + ".ci_low\">" + shownReal(s.ciLow) +
           "</span> to <span data-json=\"" + prefix + ".ci_high\">" + shownReal(s.ciHigh) +
           "</span></td>";
}

std::string variableTable(const Results& r, const VariableLevels& v, std::size_t number) {
    const bool spread = r.bootstrap.has_value();
    std::string html =
        "<thead><tr>" + th("Level", " scope=\"col\"") + th("Examinees", " scope=\"col\"");
    for (const IndexField& field : kIndexFields)
        html += th(std::string(field.label), " scope=\"col\"");
    if (spread) {
        html += th("Consistency SE", " scope=\"col\"") +
                th("Consistency 95% interval", " scope=\"col\"") +
                th("Accuracy SE", " scope=\"col\"") + th("Accuracy 95% interval", " scope=\"col\"");
    }
    html += "</tr></thead>\n<tbody>\n";
    for (std::size_t g : v.levels) {
        const GroupLevel& level = r.groups[g];
        html += "<tr>" +
                th(escapeHtml(level.level) + (level.small ? " (small)" : ""), " scope=\"row\"") +
                integerCell(levelPath(g, "examinees"), level.examinees);
        for (const IndexField& field : kIndexFields) {
            html += realCell(levelPath(g, "overall." + std::string(field.key)),
                             level.indices.overall.*field.value);
        }
        if (const GroupLevelSpread* s = spreadsOf(r, g)) {
            const std::string prefix = levelPath(g, "bootstrap.overall.");
            html += realCell(prefix + "consistency.se", s->overall.consistency.se) +
                    intervalCell(prefix + "consistency", s->overall.consistency) +
                    realCell(prefix + "accuracy.se", s->overall.accuracy.se) +
                    intervalCell(prefix + "accuracy", s->overall.accuracy);
        }
        html += "</tr>\n";
    }
    const std::string id = "groups-" + std::to_string(number + 1);
    const std::string label = id + "-title";
    return "<p class=\"table-title\" id=\"" + label + "\">" +
           escapeHtml("By " + v.name + ": overall indices of each level") +
           "</p>\n<div class=\"scroll\" role=\"region\" aria-labelledby=\"" + label +
           "\" tabindex=\"0\">\n<table id=\"" + id + "\" aria-labelledby=\"" + label + "\">\n" +
           html + "</tbody>\n</table>\n</div>\n";
}

std::string variableFigure(const Results& r, const VariableLevels& v, std::size_t number,
                           SvgUse use = SvgUse::Page) {
    const std::string id = "groups-figure-" + std::to_string(number + 1);
    // The value axis spans every mark and interval, with 1 at the top.
    double low = 1.0;
    for (std::size_t g : v.levels) {
        const IndexSet& o = r.groups[g].indices.overall;
        for (double value : {o.consistency, o.accuracy})
            if (std::isfinite(value)) low = std::min(low, value);
        if (const GroupLevelSpread* s = spreadsOf(r, g)) {
            for (double value : {s->overall.consistency.ciLow, s->overall.accuracy.ciLow})
                if (std::isfinite(value)) low = std::min(low, value);
        }
    }
    const Axis y = niceAxis(std::max(0.0, low - 0.02), 1.0, kBottom, kTop, 5);
    const std::string desc =
        "For each level of " + v.name +
        ", its consistency (blue circle, left) and accuracy (orange square, right)" +
        (r.bootstrap ? ", each with its 95% bootstrap interval" : std::string()) + ".";
    std::string svg =
        svgOpen(id, "Consistency and accuracy by " + v.name, desc, kWidth, kHeight, use);
    svg += "<g aria-hidden=\"true\">\n";
    for (double tick : y.ticks) {
        const double at = y.pixel(tick);
        svg += svgLine(kLeft, at, kRight, at, "stroke=\"#ddd\"");
        svg +=
            svgText(kLeft - 8, at + 4, fixedDecimals(tick, y.tickDecimals), " text-anchor=\"end\"");
    }
    svg += svgLine(kLeft, kBottom, kRight, kBottom, "stroke=\"#333\"");
    svg += svgLine(kLeft, kTop, kLeft, kBottom, "stroke=\"#333\"");
    const double slot = (kRight - kLeft) / static_cast<double>(v.levels.size());
    for (std::size_t l = 0; l < v.levels.size(); ++l) {
        const double centre = kLeft + slot * (static_cast<double>(l) + 0.5);
        svg +=
            svgText(centre, kBottom + 20, r.groups[v.levels[l]].level, " text-anchor=\"middle\"");
    }
    svg += svgText((kLeft + kRight) / 2, kBottom + 44, v.name, " text-anchor=\"middle\"");
    const double legend = kHeight - 24;
    svg += "<circle cx=\"" + px(kLeft + 6) + "\" cy=\"" + px(legend - 5) + "\" r=\"5.5\" fill=\"" +
           kConsistencyColour + "\"/>\n" + svgText(kLeft + 18, legend, "Consistency");
    svg += "<rect x=\"" + px(kLeft + 150) + "\" y=\"" + px(legend - 10) +
           "\" width=\"10\" height=\"10\" fill=\"" + kAccuracyColour + "\"/>\n" +
           svgText(kLeft + 166, legend, "Accuracy");
    svg += "</g>\n<g>\n";
    for (std::size_t l = 0; l < v.levels.size(); ++l) {
        const std::size_t g = v.levels[l];
        const double centre = kLeft + slot * (static_cast<double>(l) + 0.5);
        const IndexSet& o = r.groups[g].indices.overall;
        const GroupLevelSpread* s = spreadsOf(r, g);
        svg += intervalMark(centre - 10, y, o.consistency, s ? &s->overall.consistency : nullptr,
                            kConsistencyColour, MarkShape::Circle);
        svg += intervalMark(centre + 10, y, o.accuracy, s ? &s->overall.accuracy : nullptr,
                            kAccuracyColour, MarkShape::Square);
    }
    return svg + "</g>\n</svg>\n";
}

// A variable's name as part of a file name: letters, digits, "-" and "_"
// kept, anything else "_".
std::string fileStem(const std::string& name) {
    std::string stem;
    for (const char c : name) {
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        stem += kept ? c : '_';
    }
    return stem;
}

}  // namespace

std::vector<std::pair<std::string, std::string>> groupFigureFiles(const Results& r) {
    std::vector<std::pair<std::string, std::string>> files;
    const std::vector<VariableLevels> variables = byVariable(r);
    for (std::size_t v = 0; v < variables.size(); ++v) {
        std::string name = "groups_" + fileStem(variables[v].name);
        // Two names that differ only where a file name cannot hold them.
        const std::string base = name;
        for (int n = 2; std::any_of(files.begin(), files.end(),
                                    [&](const auto& f) { return f.first == name + ".svg"; });
             ++n)
            name = base + "-" + std::to_string(n);
        files.emplace_back(name + ".svg", variableFigure(r, variables[v], v, SvgUse::File));
    }
    return files;
}

std::string groupsSectionHtml(const Results& r) {
    if (r.groups.empty()) return "";
    std::string html =
        "<section aria-labelledby=\"groups-heading\">\n<h2 id=\"groups-heading\">"
        "Groups</h2>\n<p>The model is fitted once on all examinees; each level's indices are "
        "the examinees' own averaged over that level. A level with fewer than " +
        std::to_string(r.minGroup) +
        " examinees is marked small; its numbers are given all the same. results.json and "
        "groups.csv hold every cut's indices too.</p>\n";
    const std::vector<VariableLevels> variables = byVariable(r);
    for (std::size_t v = 0; v < variables.size(); ++v) {
        html += variableTable(r, variables[v], v) + "<figure>\n<div class=\"scroll\">\n" +
                variableFigure(r, variables[v], v) +
                "</div>\n<figcaption>Consistency and "
                "accuracy of each level of " +
                escapeHtml(variables[v].name) +
                (r.bootstrap ? ", with 95% bootstrap intervals" : "") +
                ".</figcaption>\n</figure>\n";
    }
    return html + "</section>\n";
}

}  // namespace tl
