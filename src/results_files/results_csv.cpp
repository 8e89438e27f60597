#include "results_files/results_csv.h"

#include <array>

#include "results_files/category_names.h"
#include "results_files/csv_text.h"
#include "results_files/examinee_fields.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

void spreadColumns(CsvText& csv, const IndexSpread& s) {
    csv.number(s.se);
    csv.number(s.ciLow);
    csv.number(s.ciHigh);
    csv.integer(s.replicatesUndefined);
}

const char* const kSpreadSuffixes[] = {"_se", "_ci_low", "_ci_high", "_replicates_undefined"};

template <class Field, std::size_t N>
void spreadHeaders(CsvText& csv, const std::array<Field, N>& fields) {
    for (const Field& field : fields)
        for (const char* suffix : kSpreadSuffixes) csv.text(std::string(field.key) + suffix);
}

// One row per index of `fields`: index,value and, with spreads, the spread.
template <class Values, class Spreads, std::size_t N>
std::string indexRowsCsv(const Values& values, const Spreads* spreads,
                         const std::array<PrecisionField<Values, Spreads>, N>& fields,
                         std::size_t count) {
    CsvText csv;
    csv.text("index");
    csv.text("value");
    if (spreads) {
        for (const char* column : {"se", "ci_low", "ci_high", "replicates_undefined"})
            csv.text(column);
    }
    csv.endRow();
    for (std::size_t f = 0; f < count; ++f) {
        csv.text(fields[f].key);
        csv.number(values.*fields[f].value);
        if (spreads) spreadColumns(csv, (*spreads).*fields[f].spread);
        csv.endRow();
    }
    return csv.take();
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
            for (const char* suffix : kSpreadSuffixes) csv.text(std::string(field.key) + suffix);
        }
    }
    csv.text("csem");
    for (const CutDiagnosticsField& field : kCutDiagnosticsFields) csv.text(field.key);
    if (results.bootstrap) spreadHeaders(csv, kCutDiagnosticsFields);
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
        csv.number(t.cutCsem[cut]);
        const CutDiagnostics& diagnostics = t.precision.cuts[cut];
        for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
            csv.number(diagnostics.*field.value);
        if (results.bootstrap) {
            for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
                spreadColumns(csv, results.bootstrap->cutDiagnostics[cut].*field.spread);
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
    for (const std::string& name : columnNames(kConditionalColumns, results, false, false, false))
        csv.text(name);
    csv.endRow();
    for (const ConditionalRow& row : t.conditional) {
        csv.number(row.score);
        csv.integer(row.examinees);
        csv.number(row.consistency);
        csv.number(row.accuracy);
        for (double p : row.probabilities) csv.number(p);
        csv.number(row.falsePositive);
        csv.number(row.falseNegative);
        csv.number(row.errorVariance);
        csv.number(row.csem);
        csv.endRow();
    }
    return csv.take();
}

std::string csemCsv(const std::vector<CsemRow>& rows, const char* scoreColumn) {
    CsvText csv;
    for (const char* column : {scoreColumn, "examinees", "error_variance", "csem"})
        csv.text(column);
    csv.endRow();
    for (const CsemRow& row : rows) {
        csv.number(row.score);
        csv.integer(row.examinees);
        csv.number(row.errorVariance);
        csv.number(row.csem);
        csv.endRow();
    }
    return csv.take();
}

std::string composeCsemCsv(const Results& results) {
    return csemCsv(tablesOf(results).csem, "score");
}

std::string composePerCategoryCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    CsvText csv;
    for (const char* column : {"category", "label"}) csv.text(column);
    for (const CategoryDiagnosticsField& field : kCategoryDiagnosticsFields) csv.text(field.key);
    if (results.bootstrap) spreadHeaders(csv, kCategoryDiagnosticsFields);
    csv.endRow();
    for (std::size_t k = 0; k < t.precision.categories.size(); ++k) {
        csv.integer(static_cast<std::int64_t>(k + 1));
        csv.text(categoryName(results, k));
        for (const CategoryDiagnosticsField& field : kCategoryDiagnosticsFields)
            csv.number(t.precision.categories[k].*field.value);
        if (results.bootstrap) {
            for (const CategoryDiagnosticsField& field : kCategoryDiagnosticsFields)
                spreadColumns(csv, results.bootstrap->categories[k].*field.spread);
        }
        csv.endRow();
    }
    return csv.take();
}

std::string composeAgreementCsv(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    const AgreementSpread* spreads = results.bootstrap ? &results.bootstrap->agreement : nullptr;
    return indexRowsCsv(t.precision.agreement, spreads, kAgreementFields,
                        agreementFieldCount(results.categoryCount()));
}

}  // namespace tl
