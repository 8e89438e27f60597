#include <algorithm>

#include "results_files/csv_text.h"
#include "results_files/summary_files.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

// Standard-error columns appear when any test was bootstrapped; a test that
// was not leaves them empty.
bool anyBootstrapped(const std::vector<TestSummary>& tests) {
    return std::any_of(tests.begin(), tests.end(),
                       [](const TestSummary& t) { return t.overallSpreads.has_value(); });
}

void indexHeaders(CsvText& csv, bool withSpreads) {
    for (const IndexField& field : kIndexFields) csv.text(field.key);
    if (!withSpreads) return;
    for (const IndexField& field : kIndexFields) csv.text(std::string(field.key) + "_se");
}

void indexColumns(CsvText& csv, const IndexSet& indices,
                  const std::optional<IndexSetSpread>& spreads, bool withSpreads) {
    for (const IndexField& field : kIndexFields) csv.number(indices.*field.value);
    if (!withSpreads) return;
    for (const IndexField& field : kIndexFields) {
        if (spreads) {
            csv.number((*spreads.*field.spread).se);
        } else {
            csv.text("");
        }
    }
}

}  // namespace

std::string composeSummaryCsv(const std::vector<TestSummary>& tests) {
    const bool withSpreads = anyBootstrapped(tests);
    CsvText csv;
    for (const char* column : {"file", "model", "folder", "title", "status", "error", "examinees",
                               "categories", "reliability"})
        csv.text(column);
    indexHeaders(csv, withSpreads);
    if (withSpreads) csv.text("reliability_se");
    csv.endRow();
    for (const ModelRow& row : modelRows(tests)) {
        const TestSummary& test = *row.test;
        const TestSummary& model = *row.values;
        csv.text(test.file);
        csv.text(test.ran() ? model.model : "");
        csv.text(row.folder);
        csv.text(test.title);
        csv.integer(test.status);
        csv.text(test.error);
        if (!test.ran()) {
            const std::size_t empty =
                3 + kIndexFields.size() * (withSpreads ? 2 : 1) + (withSpreads ? 1 : 0);
            for (std::size_t f = 0; f < empty; ++f) csv.text("");
            csv.endRow();
            continue;
        }
        csv.integer(model.examinees);
        csv.integer(model.categories);
        csv.number(model.reliability);
        indexColumns(csv, model.overall, model.overallSpreads, withSpreads);
        if (withSpreads) {
            if (model.reliabilitySe) {
                csv.number(*model.reliabilitySe);
            } else {
                csv.text("");
            }
        }
        csv.endRow();
    }
    return csv.take();
}

std::string composeSummaryCutsCsv(const std::vector<TestSummary>& tests) {
    const bool withSpreads = anyBootstrapped(tests);
    CsvText csv;
    for (const char* column : {"file", "model", "cut", "observed_cut", "true_cut"})
        csv.text(column);
    indexHeaders(csv, withSpreads);
    csv.endRow();
    for (const ModelRow& model : modelRows(tests)) {
        const std::vector<CutSummary>& cuts = model.values->cuts;
        for (std::size_t cut = 0; cut < cuts.size(); ++cut) {
            const CutSummary& row = cuts[cut];
            csv.text(model.test->file);
            csv.text(model.values->model);
            csv.integer(static_cast<std::int64_t>(cut + 1));
            csv.number(row.observedCut);
            csv.number(row.trueCut);
            indexColumns(csv, row.indices, row.spreads, withSpreads);
            csv.endRow();
        }
    }
    return csv.take();
}

std::string composeSummaryGroupsCsv(const std::vector<TestSummary>& tests) {
    const bool withSpreads = anyBootstrapped(tests);
    CsvText csv;
    for (const char* column : {"file", "model", "variable", "level", "examinees", "small"})
        csv.text(column);
    indexHeaders(csv, withSpreads);
    csv.endRow();
    for (const ModelRow& model : modelRows(tests)) {
        for (const GroupSummary& row : model.values->groups) {
            csv.text(model.test->file);
            csv.text(model.values->model);
            csv.text(row.variable);
            csv.text(row.level);
            csv.integer(row.examinees);
            csv.text(row.small ? "true" : "false");
            indexColumns(csv, row.indices, row.spreads, withSpreads);
            csv.endRow();
        }
    }
    return csv.take();
}

}  // namespace tl
