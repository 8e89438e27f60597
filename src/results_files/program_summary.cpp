#include "results_files/program_summary.h"

#include "results_files/tables_of.h"

namespace tl {

TestSummary summarizeTest(const Results& results) {
    const ClassificationTables& tables = tablesOf(results);
    TestSummary test;
    test.title = results.labels.title;
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
    return test;
}

}  // namespace tl
