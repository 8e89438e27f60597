#include "analysis/compared_runs.h"

#include <vector>

namespace tl {

namespace {

// Conditional accuracy by composite score: the model's own score rows where
// its units are not the examinees, else the examinees' conditional rows.
std::vector<ConditionalPoint> conditionalAccuracy(const Results& run) {
    std::vector<ConditionalPoint> points;
    bool ownRows = false;
    for (const ModelConditionalRow& row : run.model.conditional) {
        if (row.kind != "score") continue;
        ownRows = true;
        points.push_back({row.composite, row.accuracy});
    }
    if (ownRows || !run.tables) return points;
    for (const ConditionalRow& row : run.tables->conditional)
        points.push_back({row.score, row.accuracy});
    return points;
}

ModelRunValues valuesOf(const Results& run) {
    ModelRunValues m;
    m.name = run.modelName;
    m.kind = run.model.kind;
    m.method = run.model.method;
    if (run.tables) {
        m.values = comparedValues(run.reliability.reliability, run.classification.overall,
                                  run.tables->cuts, run.tables->precision.agreement);
    }
    if (run.bootstrap) m.replicates = run.bootstrap->comparedReplicates;
    m.conditionalAccuracy = conditionalAccuracy(run);
    return m;
}

}  // namespace

ModelComparison compareRuns(const Results& primary, std::span<const Results> others) {
    std::vector<ModelRunValues> models{valuesOf(primary)};
    for (const Results& other : others) models.push_back(valuesOf(other));
    return compareModels(comparedIndices(primary.categoryCount()), models);
}

}  // namespace tl
