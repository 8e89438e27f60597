#include "results_files/results_html.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <vector>

#include "core/version.h"
#include "results_files/category_names.h"
#include "results_files/comparison_html.h"
#include "results_files/groups_html.h"
#include "results_files/html_text.h"
#include "results_files/model_svg.h"
#include "results_files/number_text.h"
#include "results_files/page_style.h"
#include "results_files/results_svg.h"
#include "results_files/sweep_files.h"
#include "results_files/sweep_svg.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

std::string th(const std::string& content, const std::string& attributes = "") {
    return "<th" + attributes + ">" + content + "</th>";
}

std::string path(const std::string& prefix, std::size_t index, const std::string& rest = "") {
    return prefix + "." + std::to_string(index) + (rest.empty() ? "" : "." + rest);
}

std::string numberList(const std::vector<double>& values) {
    std::string list;
    for (std::size_t i = 0; i < values.size(); ++i)
        list += (i ? ", " : "") + shortestText(values[i]);
    return list;
}

std::string summary(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    const ControlCard& card = r.card;
    std::string body = "<tbody>\n";
    auto row = [&body](const std::string& label, const std::string& cell) {
        body += "<tr>" + th(label, " scope=\"row\"") + cell + "</tr>\n";
    };
    row("Examinees", integerCell("examinees", r.examineeCount));
    row("Categories", integerCell("categories", r.categoryCount()));
    row("Observed cuts", "<td>" + numberList(card.observedCuts) + "</td>");
    row("True cuts", "<td>" + numberList(card.trueCuts) + "</td>");
    row("Bias correction", std::string("<td>") + (r.biasCorrected ? "yes" : "no") + "</td>");
    row("Composite mean", realCell("composite.mean", t.composite.mean));
    row("Composite SD", realCell("composite.sd", t.composite.sd));
    row("Composite min", scoreCell("composite.min", t.composite.min));
    row("Composite max", scoreCell("composite.max", t.composite.max));
    row("Sample variance", realCell("reliability.sample_variance", r.reliability.sampleVariance));
    row("Average error variance",
        realCell("reliability.average_error_variance", r.reliability.averageErrorVariance));
    row("Reliability", realCell("reliability.reliability", r.reliability.reliability));
    if (r.bootstrap) {
        const IndexSpread& s = r.bootstrap->reliability;
        row("Reliability SE", realCell("bootstrap.reliability.se", s.se));
        row("Reliability 95% interval",
            "<td class=\"num\"><span data-json=\"bootstrap.reliability.ci_low\">" +
                shownReal(s.ciLow) +
                "</span> to <span data-json=\"bootstrap.reliability.ci_high\">" +
                shownReal(s.ciHigh) + "</span></td>");
    }
    std::string html = scrollingTable("summary", "Run summary", body + "</tbody>\n");

    const std::vector<std::string>& names = r.labels.setNames;
    const bool named =
        std::any_of(names.begin(), names.end(), [](const std::string& n) { return !n.empty(); });
    std::string sets = "<thead><tr>" + th("Set", " scope=\"col\"") +
                       (named ? th("Name", " scope=\"col\"") : std::string()) +
                       th("Weight", " scope=\"col\"") + th("Items", " scope=\"col\"") +
                       th("Score points", " scope=\"col\"") + th("Data file", " scope=\"col\"") +
                       "</tr></thead>\n<tbody>\n";
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        const ItemSet& set = card.itemSets[s];
        sets += "<tr>" + th(std::to_string(s + 1), " scope=\"row\"") +
                (named ? "<td>" + escapeHtml(s < names.size() ? names[s] : "") + "</td>"
                       : std::string()) +
                "<td class=\"num\">" + shortestText(set.weight) + "</td><td class=\"num\">" +
                std::to_string(set.itemCount) + "</td><td>" + numberList(set.scorePoints) +
                "</td><td>" + escapeHtml(set.dataFile) + "</td></tr>\n";
    }
    return html + scrollingTable("item-sets", "Item sets", sets + "</tbody>\n");
}

std::string spreadCells(const std::string& prefix, const IndexSpread& s) {
    return realCell(prefix + ".se", s.se) + "<td class=\"num\"><span data-json=\"" + prefix +
           ".ci_low\">" + shownReal(s.ciLow) + "</span> to <span data-json=\"" + prefix +
           ".ci_high\">" + shownReal(s.ciHigh) + "</span></td>";
}

// One cell of an index table: the value's results.json path and, after a
// bootstrap, the path and spread of its standard error and interval.
struct GridCell {
    std::string path;
    double value = 0.0;
    std::string spreadPath;
    const IndexSpread* spread = nullptr;
};

// Indices in rows and where they hold (overall, a cut, a category) in columns.
// After a bootstrap each index and column is a row of its own, with value, SE
// and interval beside it, so that the table stays three numbers wide however
// many cuts there are: a laptop screen shows it without scrolling sideways.
std::string indexTable(const std::string& id, const std::string& caption,
                       const std::vector<std::string>& rows,
                       const std::vector<std::string>& columns,
                       const std::function<GridCell(std::size_t, std::size_t)>& cell, bool spread) {
    std::string html = "<thead><tr>" + th("Index", " scope=\"col\"");
    if (spread) {
        html += th("At", " scope=\"col\"") + th("Value", " scope=\"col\"") +
                th("SE", " scope=\"col\"") + th("95% interval", " scope=\"col\"");
    } else {
        for (const std::string& column : columns) html += th(escapeHtml(column), " scope=\"col\"");
    }
    html += "</tr></thead>\n<tbody>\n";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!spread) {
            html += "<tr>" + th(escapeHtml(rows[r]), " scope=\"row\"");
            for (std::size_t c = 0; c < columns.size(); ++c) {
                const GridCell g = cell(r, c);
                html += realCell(g.path, g.value);
            }
            html += "</tr>\n";
            continue;
        }
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const GridCell g = cell(r, c);
            html += "<tr>";
            if (c == 0) {
                html += th(escapeHtml(rows[r]), " scope=\"rowgroup\" rowspan=\"" +
                                                    std::to_string(columns.size()) + "\"");
            }
            html += "<td>" + escapeHtml(columns[c]) + "</td>" + realCell(g.path, g.value) +
                    spreadCells(g.spreadPath, *g.spread) + "</tr>\n";
        }
    }
    return scrollingTable(id, caption, html + "</tbody>\n");
}

std::string bootstrapNote(const Results& r) {
    if (!r.bootstrap) return "";
    return "; bootstrap of " + std::to_string(r.bootstrap->replicates) + " replicates, seed " +
           std::to_string(r.bootstrap->seed);
}

std::vector<std::string> cutHeadings(const Results& r) {
    std::vector<std::string> headings;
    for (std::size_t c = 0; c < r.card.observedCuts.size(); ++c) {
        headings.push_back("Cut " + std::to_string(c + 1) + " (" +
                           shortestText(r.card.observedCuts[c]) + " / " +
                           shortestText(r.card.trueCuts[c]) + ")");
    }
    return headings;
}

template <class Field, std::size_t N>
std::vector<std::string> labelsOf(const std::array<Field, N>& fields, std::size_t count = N) {
    std::vector<std::string> labels;
    for (const Field& field : fields) {
        if (labels.size() == count) break;
        labels.emplace_back(field.label);
    }
    return labels;
}

// The six indices, overall and at each cut (observed / true).
std::string indices(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    std::vector<std::string> columns{"Overall"};
    for (std::string& heading : cutHeadings(r)) columns.push_back(std::move(heading));
    const auto cell = [&](std::size_t row, std::size_t column) {
        const IndexField& field = kIndexFields[row];
        const std::string key(field.key);
        GridCell g;
        if (column == 0) {
            g.path = "overall." + key;
            g.value = r.classification.overall.*field.value;
            g.spreadPath = "bootstrap.overall." + key;
            if (r.bootstrap) g.spread = &(r.bootstrap->overall.*field.spread);
        } else {
            g.path = path("cuts", column - 1, key);
            g.value = t.cuts[column - 1].*field.value;
            g.spreadPath = path("bootstrap.cuts", column - 1, key);
            if (r.bootstrap) g.spread = &(r.bootstrap->cuts[column - 1].*field.spread);
        }
        return g;
    };
    return indexTable(
        "indices",
        "Consistency and accuracy, overall and at each cut (observed / true)" + bootstrapNote(r),
        labelsOf(kIndexFields), columns, cell, r.bootstrap.has_value());
}

// Each cut on the observed and true scales and the CSEM there.
std::string cutCsemTable(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    std::string html = "<thead><tr>" + th("Cut", " scope=\"col\"") +
                       th("Observed", " scope=\"col\"") + th("True", " scope=\"col\"") +
                       th("CSEM", " scope=\"col\"") + "</tr></thead>\n<tbody>\n";
    for (std::size_t c = 0; c < t.cutCsem.size(); ++c) {
        html += "<tr>" + th(std::to_string(c + 1), " scope=\"row\"") + "<td class=\"num\">" +
                shortestText(r.card.observedCuts[c]) + "</td><td class=\"num\">" +
                shortestText(r.card.trueCuts[c]) + "</td>" +
                realCell(path("cuts", c, "csem"), t.cutCsem[c]) + "</tr>\n";
    }
    return scrollingTable("cut-csem", "The cuts and the CSEM at each observed cut",
                          html + "</tbody>\n");
}

std::string diagnosticsTable(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    const auto cell = [&](std::size_t row, std::size_t c) {
        const CutDiagnosticsField& field = kCutDiagnosticsFields[row];
        const std::string key(field.key);
        GridCell g{path("cuts", c, key), t.precision.cuts[c].*field.value,
                   path("bootstrap.cuts", c, key), nullptr};
        if (r.bootstrap) g.spread = &(r.bootstrap->cutDiagnostics[c].*field.spread);
        return g;
    };
    return indexTable("diagnostics",
                      "Sensitivity, specificity and predictive values at each cut (positive: "
                      "above the cut)" +
                          bootstrapNote(r),
                      labelsOf(kCutDiagnosticsFields), cutHeadings(r), cell,
                      r.bootstrap.has_value());
}

std::string perCategoryTable(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    std::vector<std::string> columns;
    for (std::size_t k = 0; k < t.precision.categories.size(); ++k)
        columns.push_back("Category " + std::to_string(k + 1));
    const auto cell = [&](std::size_t row, std::size_t k) {
        const CategoryDiagnosticsField& field = kCategoryDiagnosticsFields[row];
        const std::string key(field.key);
        GridCell g{path("per_category", k, key), t.precision.categories[k].*field.value,
                   path("bootstrap.per_category", k, key), nullptr};
        if (r.bootstrap) g.spread = &(r.bootstrap->categories[k].*field.spread);
        return g;
    };
    return indexTable("per-category", "Sensitivity and PPV of each category" + bootstrapNote(r),
                      labelsOf(kCategoryDiagnosticsFields), columns, cell, r.bootstrap.has_value());
}

std::string agreementTable(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    const std::size_t count = agreementFieldCount(r.categoryCount());
    const auto cell = [&](std::size_t row, std::size_t) {
        const AgreementField& field = kAgreementFields[row];
        const std::string key(field.key);
        GridCell g{"agreement." + key, t.precision.agreement.*field.value,
                   "bootstrap.agreement." + key, nullptr};
        if (r.bootstrap) g.spread = &(r.bootstrap->agreement.*field.spread);
        return g;
    };
    return indexTable("agreement", "Agreement that credits near misses" + bootstrapNote(r),
                      labelsOf(kAgreementFields, count), {"Value"}, cell, r.bootstrap.has_value());
}

std::string squareTable(const std::string& id, const std::string& caption,
                        const std::string& rowName, const std::string& columnName,
                        const std::string& key, const std::vector<double>& cells,
                        const TableMargins& m, const std::vector<std::string>& names) {
    const std::size_t k = names.size();
    std::string html =
        "<thead><tr>" + th(escapeHtml(rowName) + " \\ " + escapeHtml(columnName), " scope=\"col\"");
    for (std::size_t c = 0; c < k; ++c) html += th(escapeHtml(names[c]), " scope=\"col\"");
    html += th("Total", " scope=\"col\"") + "</tr></thead>\n<tbody>\n";
    const std::string margins = key + "_margins";
    for (std::size_t r = 0; r < k; ++r) {
        html += "<tr>" + th(escapeHtml(names[r]), " scope=\"row\"");
        for (std::size_t c = 0; c < k; ++c) {
            html +=
                realCell(key + "." + std::to_string(r) + "." + std::to_string(c), cells[r * k + c]);
        }
        html += realCell(path(margins + ".rows", r), m.rows[r]) + "</tr>\n";
    }
    html += "<tr class=\"total\">" + th("Total", " scope=\"row\"");
    for (std::size_t c = 0; c < k; ++c)
        html += realCell(path(margins + ".columns", c), m.columns[c]);
    html += realCell(margins + ".total", m.total) + "</tr>\n</tbody>\n";
    return scrollingTable(id, caption, html);
}

std::string categories(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    std::string html = "<thead><tr>" + th("Category", " scope=\"col\"") +
                       th("Observed examinees", " scope=\"col\"") +
                       th("True examinees", " scope=\"col\"") +
                       th("Expected proportion", " scope=\"col\"") + "</tr></thead>\n<tbody>\n";
    for (std::size_t k = 0; k < t.observedCounts.size(); ++k) {
        html += "<tr>" + th(escapeHtml(categoryName(r, k)), " scope=\"row\"") +
                integerCell(path("category_counts.observed", k), t.observedCounts[k]) +
                integerCell(path("category_counts.true", k), t.trueCounts[k]) +
                realCell(path("expected_proportions", k), r.classification.categoryMarginal[k]) +
                "</tr>\n";
    }
    return scrollingTable("categories", "Examinees and expected proportion per category",
                          html + "</tbody>\n");
}

std::string conditionalTable(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    std::string html = "<thead><tr>" + th("Score", " scope=\"col\"") +
                       th("Examinees", " scope=\"col\"") + th("Consistency", " scope=\"col\"") +
                       th("Accuracy", " scope=\"col\"");
    for (const std::string& name : categoryNames(r)) {
        html += th("P(" + escapeHtml(name) + ")", " scope=\"col\"");
    }
    html += th("CSEM", " scope=\"col\"") + "</tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < t.conditional.size(); ++i) {
        const ConditionalRow& row = t.conditional[i];
        html += "<tr><th scope=\"row\" data-json=\"" + path("conditional", i, "score") + "\">" +
                shortestText(row.score) + "</th>" +
                integerCell(path("conditional", i, "examinees"), row.examinees) +
                realCell(path("conditional", i, "consistency"), row.consistency) +
                realCell(path("conditional", i, "accuracy"), row.accuracy);
        for (std::size_t k = 0; k < row.probabilities.size(); ++k) {
            html += realCell(path("conditional", i, "probabilities." + std::to_string(k)),
                             row.probabilities[k]);
        }
        html += realCell(path("conditional", i, "csem"), row.csem) + "</tr>\n";
    }
    return scrollingTable("conditional", "Mean results at each observed composite score",
                          html + "</tbody>\n");
}

}  // namespace

// Scale scores: each cut on both scales, the scale's reliability and its CSEM
// by observed scale score.
std::string scaleSection(const Results& r) {
    const ScaleResults& s = *r.scale;
    std::string cuts = "<thead><tr>" + th("Cut", " scope=\"col\"") +
                       th("Observed, scale", " scope=\"col\"") +
                       th("Observed, raw", " scope=\"col\"") + th("True, scale", " scope=\"col\"") +
                       th("True, raw", " scope=\"col\"") + "</tr></thead>\n<tbody>\n";
    for (std::size_t c = 0; c < s.plan.observedCuts.size(); ++c) {
        cuts += "<tr>" + th(std::to_string(c + 1), " scope=\"row\"") +
                scoreCell(path("scale.observed_cuts", c, "scale"), s.plan.observedCuts[c].scale) +
                scoreCell(path("scale.observed_cuts", c, "raw"), s.plan.observedCuts[c].raw) +
                scoreCell(path("scale.true_cuts", c, "scale"), s.plan.trueCuts[c].scale) +
                scoreCell(path("scale.true_cuts", c, "raw"), s.plan.trueCuts[c].raw) + "</tr>\n";
    }
    std::string summary =
        "<thead><tr>" + th("Statistic", " scope=\"col\"") + th("Value", " scope=\"col\"") +
        (r.bootstrap ? th("SE", " scope=\"col\"") + th("95% interval", " scope=\"col\"")
                     : std::string()) +
        "</tr></thead>\n<tbody>\n";
    const std::pair<const char*, const char*> rows[] = {
        {"Mean", "mean"},
        {"Variance of the scale scores", "sample_variance"},
        {"Mean error variance", "average_error_variance"},
        {"Reliability", "reliability"}};
    const double values[] = {s.mean, s.reliability.sampleVariance,
                             s.reliability.averageErrorVariance, s.reliability.reliability};
    for (std::size_t i = 0; i < 4; ++i) {
        summary += "<tr>" + th(rows[i].first, " scope=\"row\"") +
                   realCell(std::string("scale.") + rows[i].second, values[i]);
        if (r.bootstrap) {
            summary +=
                i == 3 ? spreadCells("bootstrap.scale_reliability", r.bootstrap->scaleReliability)
                       : "<td></td><td></td>";
        }
        summary += "</tr>\n";
    }
    return "<section aria-labelledby=\"scale-heading\">\n<h2 id=\"scale-heading\">"
           "Scale scores</h2>\n"
           "<p>Each examinee's scale score converts the observed composite, rounded, by the "
           "conversion table " +
           escapeHtml(s.plan.source) + "; the cuts are written on the " +
           (s.plan.cutsOnScale ? "scale" : "raw composite") +
           ". Scale-score error variance: the variance of the scale score under the "
           "examinee's composite distribution. Reliability: 1 - mean error variance / variance "
           "of the scale scores.</p>\n" +
           scrollingTable("scale-cuts", "The cuts on the scale and on the raw composite",
                          cuts + "</tbody>\n") +
           scrollingTable("scale-summary", "Scale scores", summary + "</tbody>\n") +
           "<figure>\n<div class=\"scroll\">\n" + scaleCsemFigureSvg(r) +
           "</div>\n<figcaption>CSEM at each observed scale score; a mark's area grows with "
           "the number of examinees at the score. Dashed lines: observed cuts on the "
           "scale.</figcaption>\n</figure>\n</section>\n";
}

// Which error model and method ran, and its notes, beside the multinomial.
std::string modelNote(const Results& r) {
    if (r.model.kind == ModelKind::Multinomial) return {};
    std::string html =
        "<p class=\"model\">Error model: " + escapeHtml(std::string(modelKindName(r.model.kind))) +
        ", method " + escapeHtml(std::string(modelMethodName(r.model.method))) + ".";
    for (std::string note : r.model.notes) {
        if (!note.empty())
            note[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(note[0])));
        html += " " + escapeHtml(note) + ".";
    }
    if (r.model.fit) {
        html += " Model fit: chi-square " + escapeHtml(shownReal(r.model.fit->chi2)) + ", df " +
                std::to_string(r.model.fit->df) + ", p " + escapeHtml(shownReal(r.model.fit->p)) +
                " (fit.csv).";
    }
    return html + "</p>\n";
}

// The error model's own figures: conditional results by ability (IRT) and the
// model's fit. Empty for the multinomial unless its fit was asked for.
std::string modelFigures(const Results& r) {
    const bool ability = !r.theta.empty();
    if (!ability && !r.model.fit) return {};
    std::string html =
        "<section aria-labelledby=\"model-heading\">\n<h2 id=\"model-heading\">"
        "Error model</h2>\n";
    if (ability) {
        html += "<figure>\n<div class=\"scroll\">\n" + thetaFigureSvg(r) +
                "</div>\n<figcaption>Consistency and accuracy by ability" +
                (r.unitWeight.empty() ? std::string(" estimate: a mark per distinct estimate")
                                      : std::string(" at each quadrature node")) +
                ". Dashed lines: true cuts on ability.</figcaption>\n</figure>\n";
    }
    if (r.model.fit) {
        html += "<figure>\n<div class=\"scroll\">\n" + modelFitFigureSvg(r) +
                "</div>\n<figcaption>Observed examinees (bars) and the model's expected "
                "numbers (line) in each score bin of the fit (fit.csv)." +
                std::string(r.model.fit->descriptive
                                ? " The model fitted nothing to the score distribution, so the "
                                  "chi-square describes the misfit but is not a test."
                                : "") +
                "</figcaption>\n</figure>\n";
    }
    return html + "</section>\n";
}

// The what-if sweep: every possible single cut, and the ROC curve.
std::string sweepFigures(const Results& r) {
    if (!r.sweep) return {};
    const CutSweep& sweep = *r.sweep;
    std::string best;
    if (sweep.bestYouden)
        best += " Youden's J is largest at cut " +
                escapeHtml(shortestText(sweepCutOf(sweep, sweep.bestYouden))) + ";";
    if (sweep.bestAccuracy)
        best += " the accuracy is largest at cut " +
                escapeHtml(shortestText(sweepCutOf(sweep, sweep.bestAccuracy))) + ".";
    for (const SweepTarget& target : sweep.targets)
        best += " The lowest cut with " + escapeHtml(target.index) + " at least " +
                escapeHtml(shortestText(target.value)) + " is " +
                (target.row ? escapeHtml(shortestText(sweepCutOf(sweep, target.row)))
                            : std::string("none")) +
                ".";
    return "<section aria-labelledby=\"sweep-heading\">\n<h2 id=\"sweep-heading\">"
           "What-if cuts</h2>\n<p>Each possible cut taken as the only cut (sweep.csv)." +
           best + "</p>\n<figure>\n<div class=\"scroll\">\n" + sweepFigureSvg(r) +
           "</div>\n<figcaption>Consistency and accuracy with each cut as the only cut. Dashed "
           "lines: the run's observed cuts.</figcaption>\n</figure>\n<figure>\n<div "
           "class=\"scroll\">\n" +
           rocFigureSvg(r) + "</div>\n<figcaption>ROC curve over the cuts; area " +
           escapeHtml(shownReal(sweep.auc)) + ".</figcaption>\n</figure>\n</section>\n";
}

std::string composeIndicesHtml(const Results& r) {
    return indices(r);
}

std::string composeResultsHtml(const Results& r) {
    const ClassificationTables& t = tablesOf(r);
    const std::string program = std::string(kProgramName) + " " + std::string(kProgramVersion);
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Classification consistency and accuracy: " +
        std::to_string(r.examineeCount) + " examinees</title>\n<style>" + kPageStyle +
        "</style>\n</head>\n<body>\n<header>\n" +
        (r.labels.title.empty()
             ? std::string()
             : "<p class=\"run-title\">" + escapeHtml(r.labels.title) + "</p>\n") +
        "<h1>Classification consistency and accuracy</h1>\n<p class=\"lead\">" +
        std::to_string(r.examineeCount) + " examinees in " + std::to_string(r.categoryCount()) +
        " categories; numbers rounded to " + std::to_string(kShownDecimals) +
        " decimals (results.json and the CSV files hold every digit).</p>\n"
        "</header>\n<main>\n";
    html += "<section aria-labelledby=\"run-heading\">\n<h2 id=\"run-heading\">Run</h2>\n" +
            summary(r) + modelNote(r) + "</section>\n";
    html +=
        "<section aria-labelledby=\"indices-heading\">\n<h2 id=\"indices-heading\">"
        "Consistency and accuracy</h2>\n" +
        indices(r) + categories(r) + "</section>\n";
    html +=
        "<section aria-labelledby=\"precision-heading\">\n<h2 id=\"precision-heading\">"
        "Precision, diagnostic statistics and agreement</h2>\n"
        "<p>CSEM: the square root of the mean composite error variance of the examinees "
        "at a score, interpolated between scores at a cut. Sensitivity: the expected share "
        "classified above a cut of those truly above it; specificity: at or below it of those "
        "truly at or below; PPV and NPV: the share truly above (at or below) of those "
        "classified so; Youden: sensitivity + specificity - 1. Weighted kappa credits near "
        "misses by |j - k| (linear) or (j - k)&#178; (quadratic); within one: the share of "
        "two administrations (or of true and observed categories) at most one category "
        "apart.</p>\n" +
        cutCsemTable(r) + diagnosticsTable(r) + perCategoryTable(r) + agreementTable(r) +
        "<figure>\n<div class=\"scroll\">\n" + csemFigureSvg(r) +
        "</div>\n"
        "<figcaption>CSEM at each observed composite score; a mark's area grows with the "
        "number of examinees at the score. Dashed lines: observed cuts.</figcaption>\n"
        "</figure>\n</section>\n";
    if (r.scale) html += scaleSection(r);
    html +=
        "<section aria-labelledby=\"tables-heading\">\n<h2 id=\"tables-heading\">"
        "Classification tables</h2>\n"
        "<p>Proportions of examinees: by true category (rows) and observed category "
        "(columns), with accuracy on the diagonal, false positives above it and false "
        "negatives below it; and by the categories of two independent administrations, "
        "with consistency on the diagonal.</p>\n" +
        squareTable("true-by-observed", "True by observed category", "True", "Observed",
                    "true_by_observed", t.trueByObserved, t.trueByObservedMargins,
                    categoryNames(r)) +
        squareTable("consistency-table", "First by second administration", "First", "Second",
                    "consistency_table", t.consistencyTable, t.consistencyMargins,
                    categoryNames(r)) +
        "</section>\n";
    html +=
        "<section aria-labelledby=\"figures-heading\">\n<h2 id=\"figures-heading\">"
        "By observed composite score</h2>\n<figure>\n<div class=\"scroll\">\n" +
        conditionalFigureSvg(r) +
        "</div>\n"
        "<figcaption>Mean consistency and accuracy of the examinees at each observed "
        "composite score; a mark's area grows with the number of examinees at the score. "
        "Dashed lines: observed cuts.</figcaption>\n</figure>\n<figure>\n<div class=\"scroll\">\n" +
        histogramSvg(r) +
        "</div>\n"
        "<figcaption>Number of examinees at each observed composite score. Dashed lines: "
        "observed cuts.</figcaption>\n</figure>\n"
        "<details>\n<summary>The figures' numbers</summary>\n" +
        conditionalTable(r) + "</details>\n</section>\n";
    html += modelFigures(r);
    html += comparisonSectionHtml(r);
    html += sweepFigures(r);
    html += groupsSectionHtml(r);
    html += "</main>\n<footer>Written by " + escapeHtml(program) + ".</footer>\n</body>\n</html>\n";
    return html;
}

}  // namespace tl
