#include "results_files/comparison_html.h"

#include <functional>

#include "results_files/comparison_svg.h"
#include "results_files/html_text.h"
#include "results_files/number_text.h"
#include "results_files/results_directory.h"

namespace tl {

namespace {

std::string colHead(const std::string& content) {
    return "<th scope=\"col\">" + content + "</th>";
}

// Index i of model m in results.json's comparison.
std::string jsonPath(std::size_t m, std::size_t i, const std::string& rest) {
    return "comparison.models." + std::to_string(m) + ".indices." + std::to_string(i) + "." + rest;
}

std::string span(const std::string& path, double value) {
    return "<span data-json=\"" + path + "\">" + shownReal(value) + "</span>";
}

// A further model's own page, in its folder of the results folder.
std::string modelLink(const std::string& name) {
    return "<a href=\"" + std::string(kModelsFolder) + "/" + escapeHtml(name) + "/report.html\">" +
           escapeHtml(name) + "</a>";
}

// The row heading of a compared index: its name, and the cut where it holds
// at one (observed cut score in parentheses).
std::string rowHead(const Results& r, const ComparedIndex& index) {
    std::string label = comparedIndexLabel(index.name);
    if (index.cut > 0) {
        const auto c = static_cast<std::size_t>(index.cut - 1);
        label += " at cut " + std::to_string(index.cut) + " (" +
                 shortestText(r.card.observedCuts[c]) + ")";
    }
    return "<tr><th scope=\"row\">" + escapeHtml(label) + "</th>";
}

// The compared indices in rows and the models from `first` on in columns,
// each heading a further model's link; `cell(m, i)` is model m's cell of
// index i.
std::string modelsTable(const Results& r, std::size_t first,
                        const std::function<std::string(std::size_t, std::size_t)>& cell) {
    const ModelComparison& c = *r.comparison;
    std::string html = "<thead><tr>" + colHead("Index");
    for (std::size_t m = first; m < c.models.size(); ++m)
        html += colHead(m == 0 ? escapeHtml(c.models[m].name) + "<br>(primary)"
                               : modelLink(c.models[m].name));
    html += "</tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < c.indices.size(); ++i) {
        html += rowHead(r, c.indices[i]);
        for (std::size_t m = first; m < c.models.size(); ++m)
            html += "<td class=\"num\">" + cell(m, i) + "</td>";
        html += "</tr>\n";
    }
    return html + "</tbody>\n";
}

// Each model's values, with the standard error in parentheses after a
// bootstrap.
std::string valuesTable(const Results& r) {
    const ModelComparison& c = *r.comparison;
    const bool spread = c.replicates > 0;
    const auto cell = [&](std::size_t m, std::size_t i) {
        const ComparedModel& model = c.models[m];
        std::string html = span(jsonPath(m, i, "value"), model.values[i]);
        if (spread && i < model.spreads.size())
            html += "<br><small>(" + span(jsonPath(m, i, "spread.se"), model.spreads[i].se) +
                    ")</small>";
        return html;
    };
    return scrollingTable(
        "comparison-values",
        "Indices of each model" +
            std::string(spread ? ", standard errors in parentheses below the values" : ""),
        modelsTable(r, 0, cell));
}

// Each further model's differences from the primary one, with their 95%
// intervals after a bootstrap.
std::string differencesTable(const Results& r) {
    const ModelComparison& c = *r.comparison;
    const bool spread = c.replicates > 0;
    const auto cell = [&](std::size_t m, std::size_t i) {
        const ComparedModel& model = c.models[m];
        std::string html = span(jsonPath(m, i, "difference"), model.differences[i]);
        if (spread && i < model.differenceSpreads.size()) {
            const IndexSpread& s = model.differenceSpreads[i];
            html += "<br><small>" + span(jsonPath(m, i, "difference_spread.ci_low"), s.ciLow) +
                    " to " + span(jsonPath(m, i, "difference_spread.ci_high"), s.ciHigh) +
                    "</small>";
        }
        return html;
    };
    return scrollingTable("comparison-differences",
                          "Differences from " + c.models.front().name +
                              (spread ? ", 95% intervals below the differences" : ""),
                          modelsTable(r, 1, cell));
}

}  // namespace

std::string comparisonSectionHtml(const Results& r) {
    if (!r.comparison || r.comparison->models.empty()) return "";
    const ModelComparison& c = *r.comparison;
    std::string links;
    for (std::size_t m = 1; m < c.models.size(); ++m)
        links += (m == 1                     ? ""
                  : m + 1 == c.models.size() ? " and "
                                             : ", ") +
                 modelLink(c.models[m].name);
    const bool spread = c.replicates > 0;
    return "<section aria-labelledby=\"comparison-heading\">\n<h2 id=\"comparison-heading\">"
           "Models side by side</h2>\n<p>Each model ran alone on the same data; this page is " +
           escapeHtml(c.models.front().name) + "'s, the primary model" +
           (links.empty() ? std::string(".") : "; the further models' own pages: " + links + ".") +
           (spread ? " Every model was resampled with the same examinees in each of the " +
                         std::to_string(c.replicates) +
                         " bootstrap replicates, so a difference's interval is that of the "
                         "replicates' own differences."
                   : std::string()) +
           " comparison.csv and comparison_differences.csv hold every digit.</p>\n" +
           valuesTable(r) + (c.models.size() > 1 ? differencesTable(r) : std::string()) +
           "<figure>\n<div class=\"scroll\">\n" + comparisonAccuracyFigureSvg(r) +
           "</div>\n<figcaption>Accuracy at each composite score under each model. Dashed "
           "vertical lines: observed cuts.</figcaption>\n</figure>\n<figure>\n<div "
           "class=\"scroll\">\n" +
           comparisonIndicesFigureSvg(r) + "</div>\n<figcaption>Overall indices of each model" +
           (spread ? ", with 95% bootstrap intervals" : "") + ".</figcaption>\n</figure>\n" +
           "</section>\n";
}

}  // namespace tl
