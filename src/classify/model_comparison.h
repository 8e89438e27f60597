#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "classify/bootstrap_summary.h"
#include "classify/classification_indices.h"
#include "classify/precision_indices.h"
#include "core/model_choice.h"

namespace tl {

// One index the models of a run are compared on: `name` as the results files
// name it, over the whole scale (cut 0) or at cut c = 1 .. K-1.
struct ComparedIndex {
    std::string name;
    std::int32_t cut = 0;
};

// The compared indices of a run with `categoryCount` categories, in order:
// reliability, consistency, chance, kappa, accuracy, false_positive,
// false_negative, weighted_kappa_linear, weighted_kappa_quadratic, then each
// cut's consistency and accuracy.
std::vector<ComparedIndex> comparedIndices(std::int32_t categoryCount);

// The values of comparedIndices, from one run or one bootstrap replicate.
std::vector<double> comparedValues(double reliability, const IndexSet& overall,
                                   std::span<const IndexSet> cuts, const Agreement& agreement);

// A point of a model's conditional accuracy: at a composite score, the mean
// accuracy of the examinees (or the model's score rows) there.
struct ConditionalPoint {
    double score = 0.0;
    double accuracy = 0.0;
};

// What one model of a comparison gives: its values and, with a bootstrap,
// each value's replicates (replicate by replicate, as comparedValues).
struct ModelRunValues {
    std::string name;
    ModelKind kind = ModelKind::Multinomial;
    ModelMethod method = ModelMethod::Multinomial;
    std::vector<double> values;
    std::vector<std::vector<double>> replicates;  // empty without a bootstrap
    std::vector<ConditionalPoint> conditionalAccuracy;
};

struct ComparedModel {
    std::string name;
    ModelKind kind = ModelKind::Multinomial;
    ModelMethod method = ModelMethod::Multinomial;
    std::vector<double> values;  // index for index with ModelComparison::indices
    // With a bootstrap: each value's spread; empty without one.
    std::vector<IndexSpread> spreads;
    // Each value minus the primary model's (0 for the primary itself), and,
    // with a bootstrap, the spread of the replicates' differences: every model
    // was resampled with the same examinees, replicate for replicate.
    std::vector<double> differences;
    std::vector<IndexSpread> differenceSpreads;
    std::vector<ConditionalPoint> conditionalAccuracy;
};

// The models of one run side by side, the primary one first.
struct ModelComparison {
    std::vector<ComparedIndex> indices;
    std::vector<ComparedModel> models;
    std::int64_t replicates = 0;  // 0 without a bootstrap
};

// The comparison of `models` (the primary first). Spreads are those of
// spreadOf over each value's replicates; the differences' spreads those of
// the replicate-by-replicate differences, where every model has the same
// number of replicates (none otherwise).
ModelComparison compareModels(std::vector<ComparedIndex> indices,
                              std::span<const ModelRunValues> models);

}  // namespace tl
