#include "results_files/results_csv.h"

#include "results_files/category_names.h"
#include "results_files/csv_text.h"
#include "results_files/index_fields.h"

namespace tl {

namespace {

void spreadColumns(CsvText& csv, const IndexSpread& s) {
    csv.number(s.se);
    csv.number(s.ciLow);
    csv.number(s.ciHigh);
    csv.integer(s.replicatesUndefined);
}

// rowLabel and columnLabel name the two classifications the table crosses.
std::string squareTableCsv(const std::vector<double>& cells, const TableMargins& margins,
                           const std::vector<std::string>& names, const std::string& rowLabel,
                           const std::string& columnLabel) {
    const std::size_t k = names.size();
    CsvText csv;
    csv.text(rowLabel + "_category");
    for (std::size_t c = 0; c < k; ++c) csv.text(columnLabel + "_" + names[c]);
    csv.text("total");
    csv.endRow();
    for (std::size_t r = 0; r < k; ++r) {
        csv.text(names[r]);
        for (std::size_t c = 0; c < k; ++c) csv.number(cells[r * k + c]);
        csv.number(margins.rows[r]);
        csv.endRow();
    }
    csv.text("total");
    for (double column : margins.columns) csv.number(column);
    csv.number(margins.total);
    csv.endRow();
    return csv.take();
}

}  // namespace

std::string composeOverallCsv(const Results& results) {
    tablesOf(results);
    const IndexSet overall = results.classification.overall;
    CsvText csv;
    csv.text("index");
    csv.text("value");
    if (results.bootstrap) {
        for (const char* column : {"se", "ci_low", "ci_high", "replicates_undefined"})
            csv.text(column);
    }
    csv.endRow();
    for (const IndexField& field : kIndexFields) {
        csv.text(field.key);
        csv.number(overall.*field.value);
        if (results.bootstrap) spreadColumns(csv, results.bootstrap->overall.*field.spread);
        csv.endRow();
    }
    return csv.take();
}

std::string composeCutsCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    CsvText csv;
    for (const char* column : {"cut", "observed_cut", "true_cut"}) csv.text(column);
    for (const IndexField& field : kIndexFields) csv.text(field.key);
    if (results.bootstrap) {
        for (const IndexField& field : kIndexFields) {
            for (const char* suffix : {"_se", "_ci_low", "_ci_high", "_replicates_undefined"}) {
                csv.text(std::string(field.key) + suffix);
            }
        }
    }
    csv.endRow();
    for (std::size_t cut = 0; cut < t.cuts.size(); ++cut) {
        csv.integer(static_cast<std::int64_t>(cut + 1));
        csv.number(results.card.observedCuts[cut]);
        csv.number(results.card.trueCuts[cut]);
        for (const IndexField& field : kIndexFields) csv.number(t.cuts[cut].*field.value);
        if (results.bootstrap) {
            for (const IndexField& field : kIndexFields) {
                spreadColumns(csv, results.bootstrap->cuts[cut].*field.spread);
            }
        }
        csv.endRow();
    }
    return csv.take();
}

std::string composeTrueByObservedCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    return squareTableCsv(t.trueByObserved, t.trueByObservedMargins, categoryNames(results), "true",
                          "observed");
}

std::string composeConsistencyTableCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    return squareTableCsv(t.consistencyTable, t.consistencyMargins, categoryNames(results), "first",
                          "second");
}

std::string composeConditionalCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    CsvText csv;
    for (const char* column : {"score", "examinees", "consistency", "accuracy"}) csv.text(column);
    for (const std::string& name : categoryNames(results)) csv.text("p_" + name);
    csv.endRow();
    for (const ConditionalRow& row : t.conditional) {
        csv.number(row.score);
        csv.integer(row.examinees);
        csv.number(row.consistency);
        csv.number(row.accuracy);
        for (double p : row.probabilities) csv.number(p);
        csv.endRow();
    }
    return csv.take();
}

}  // namespace tl
