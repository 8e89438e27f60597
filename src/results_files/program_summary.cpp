#include "results_files/program_summary.h"

#include "results_files/results_directory.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

// The comparison's indices over the whole scale; the cuts' are in each
// model's own summary rows.
ComparisonSummary summarizeComparison(const ModelComparison& comparison) {
    ComparisonSummary summary;
    summary.replicates = comparison.replicates;
    for (const ComparedModel& model : comparison.models)
        summary.models.push_back({model.name, {}, {}});
    for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
        if (comparison.indices[i].cut != 0) continue;
        summary.indices.push_back(comparison.indices[i].name);
        for (std::size_t m = 0; m < comparison.models.size(); ++m) {
            const ComparedModel& model = comparison.models[m];
            summary.models[m].values.push_back(model.values[i]);
            if (i < model.spreads.size()) summary.models[m].ses.push_back(model.spreads[i].se);
        }
    }
    return summary;
}

}  // namespace

TestSummary summarizeTest(const Results& results) {
    const ClassificationTables& tables = tablesOf(results);
    TestSummary test;
    test.title = results.labels.title;
    test.model = results.modelName;
    test.examinees = results.examineeCount;
    test.categories = results.categoryCount();
    test.reliability = results.reliability.reliability;
    test.overall = results.classification.overall;
    if (results.bootstrap) {
        test.overallSpreads = results.bootstrap->overall;
        test.reliabilitySe = results.bootstrap->reliability.se;
    }
    for (std::size_t cut = 0; cut < tables.cuts.size(); ++cut) {
        CutSummary row;
        row.observedCut = results.card.observedCuts[cut];
        row.trueCut = results.card.trueCuts[cut];
        row.indices = tables.cuts[cut];
        if (results.bootstrap) row.spreads = results.bootstrap->cuts[cut];
        test.cuts.push_back(row);
    }
    test.groups = groupSummaries(results);
    for (const Results& other : results.otherModels)
        test.otherModels.push_back(summarizeTest(other));
    if (results.comparison) test.comparison = summarizeComparison(*results.comparison);
    return test;
}

std::vector<ModelRow> modelRows(const std::vector<TestSummary>& tests) {
    std::vector<ModelRow> rows;
    for (std::size_t t = 0; t < tests.size(); ++t) {
        const TestSummary& test = tests[t];
        rows.push_back({&test, &test, t, test.folder});
        if (!test.ran()) continue;
        for (const TestSummary& other : test.otherModels) {
            rows.push_back({&test, &other, t,
                            test.folder + "/" + std::string(kModelsFolder) + "/" + other.model});
        }
    }
    return rows;
}

}  // namespace tl
