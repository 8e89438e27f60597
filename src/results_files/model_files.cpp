#include "results_files/model_files.h"

#include <cmath>

#include "results_files/category_names.h"
#include "results_files/csv_text.h"
#include "results_files/examinee_fields.h"

namespace tl {

std::string composeModelFitCsv(const ModelFitSummary& fit) {
    CsvText csv;
    for (const char* column : {"first_score", "last_score", "expected", "observed"})
        csv.text(column);
    csv.endRow();
    for (const ModelFitBin& bin : fit.bins) {
        csv.number(bin.first);
        csv.number(bin.last);
        csv.number(bin.expected);
        csv.number(bin.observed);
        csv.endRow();
    }
    csv.endRow();
    csv.text("statistic");
    csv.text("value");
    csv.endRow();
    csv.text("chi2");
    csv.number(fit.chi2);
    csv.endRow();
    csv.text("df");
    csv.integer(fit.df);
    csv.endRow();
    csv.text("p");
    csv.number(fit.p);
    csv.endRow();
    csv.text("largest_cdf_difference");
    csv.number(fit.largestCdfDifference);
    csv.endRow();
    // A model that fitted nothing to the scores gives a chi-square to read,
    // not to test.
    csv.text("descriptive");
    csv.text(fit.descriptive ? "yes" : "no");
    csv.endRow();
    return csv.take();
}

}  // namespace tl

namespace tl {

namespace {

// With scale scores, each row's scale CSEM follows its CSEM.
void rowValues(CsvText& csv, const Results& results, const ModelConditionalRow& row) {
    for (double p : row.probabilities) csv.number(p);
    csv.number(row.consistency);
    csv.number(row.accuracy);
    csv.number(row.csem);
    if (results.scale) csv.number(std::sqrt(row.scaleVariance));
}

void valueHeaders(CsvText& csv, const Results& results) {
    for (const std::string& name : categoryNames(results)) csv.text(probabilityColumn(name));
    for (const char* column : {"consistency", "accuracy", "csem"}) csv.text(column);
    if (results.scale) csv.text(column::kScaleCsem);
}

}  // namespace

std::string composeModelConditionalCsv(const Results& results) {
    CsvText csv;
    for (const char* column : {"kind", "value", "composite", "category", "weight"})
        csv.text(column);
    valueHeaders(csv, results);
    csv.endRow();
    for (const ModelConditionalRow& row : results.model.conditional) {
        csv.text(row.kind);
        csv.number(row.value);
        csv.number(row.composite);
        csv.integer(row.category);
        csv.number(row.weight);
        rowValues(csv, results, row);
        csv.endRow();
    }
    return csv.take();
}

std::string composeModelExamineesCsv(const Results& results) {
    const ModelExaminees& examinees = *results.model.examinees;
    const std::vector<std::string>& ids = results.records.ids;
    CsvText csv;
    csv.text("record");
    if (!ids.empty()) csv.text("id");
    for (const char* column : {"observed_composite", "model_score", "observed_category"})
        csv.text(column);
    if (results.scale) csv.text(column::kScaleScore);
    valueHeaders(csv, results);
    csv.endRow();
    for (std::size_t i = 0; i < examinees.composite.size(); ++i) {
        csv.integer(results.records.rows.empty() ? static_cast<std::int64_t>(i + 1)
                                                 : results.records.rows[i]);
        if (!ids.empty()) csv.text(ids[i]);
        const ModelConditionalRow& row =
            results.model.conditional[static_cast<std::size_t>(examinees.scoreRow[i])];
        csv.number(examinees.composite[i]);
        csv.number(row.value);
        csv.integer(row.category);
        if (results.scale) csv.number(results.scale->scaleScoreOf(examinees.composite[i]));
        rowValues(csv, results, row);
        csv.endRow();
    }
    return csv.take();
}

}  // namespace tl
