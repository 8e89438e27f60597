#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "classify/bootstrap_summary.h"
#include "classify/category_groups.h"
#include "classify/classification.h"
#include "classify/classification_indices.h"
#include "classify/classification_tables.h"
#include "classify/cut_sweep.h"
#include "classify/group_results.h"
#include "classify/model_comparison.h"
#include "classify/scale_scores.h"
#include "core/control_card.h"
#include "core/data_findings.h"
#include "core/engine_plan.h"
#include "core/model_summary.h"
#include "core/run_labels.h"
#include "core/score_scales.h"
#include "model/reliability.h"

namespace tl {

// Everything one run computes, from the examinee count to the overall indices.
// Every output (the report, the results files, the R package) reads its
// numbers from here and computes none of its own.
struct Results {
    ControlCard card;
    ScoreScales scales;
    std::int32_t examineeCount = 0;
    bool biasCorrected = false;  // the second pass ran
    EnginePlan engine;           // which sets, and whether the composite, were convolved

    // Per examinee, in record order.
    std::vector<double> observedComposite;   // the report's "Total"
    std::vector<double> correctedComposite;  // empty unless biasCorrected
    std::vector<double> compositeErrorVariance;
    std::vector<std::int32_t> observedCategory;  // of the observed composite on the observed cuts

    ReliabilitySummary reliability;
    // P(i, k): examinees with the same composite distribution share a row.
    CategoryGroups categoryGroups;
    Classification classification;
    // 1 minus the sum of the mean category probabilities: the share that falls
    // on no composite score of any category (with one set whose weighted scores
    // are not whole numbers, or where the raw-score lists cut a distribution).
    double probabilityInNoCategory = 0.0;

    // Per-cut indices, K x K tables and conditional results, when asked for.
    std::optional<ClassificationTables> tables;

    // Standard errors and intervals of the overall and per-cut indices, when a
    // bootstrap was asked for.
    std::optional<BootstrapSummary> bootstrap;

    // Each level of each grouping variable asked for, variable by variable
    // (empty when none is); its spreads are bootstrap->groups, index for index.
    std::vector<GroupLevel> groups;
    std::int64_t minGroup = ExamineeGroups::kDefaultMinGroup;  // below it a level is small
    // Scale scores beside the raw composite, when a conversion table was given.
    std::optional<ScaleResults> scale;
    // Every possible single cut, when a sweep was asked for and the model
    // gives composite distributions.
    std::optional<CutSweep> sweep;

    // The error model that ran, with what it used and found.
    ModelSummary model;
    std::string modelName;  // its name among the run's models
    // The models run beside this one on the same data, each as it ran alone,
    // in the order named; and all of them side by side, this one first.
    std::vector<Results> otherModels;
    std::optional<ModelComparison> comparison;
    // Per examinee, with a model other than the multinomial: the true score
    // the true category is taken from (the true composite, or the ability on
    // ability cuts) and those cuts; the ability estimate and its standard
    // error with the IRT model.
    std::vector<double> trueScore;
    // Each unit's weight (their mean 1) when the units are a population's
    // nodes rather than the examinees; the per-examinee vectors above then
    // hold one entry per node, the node's true composite as its score.
    std::vector<double> unitWeight;
    std::vector<double> trueScoreCuts;
    std::vector<double> theta;
    std::vector<double> thetaSe;
    // With the IRT model, each unit's true composite at its ability, not
    // rounded; empty otherwise.
    std::vector<double> trueComposite;
    // The true cuts on ability with the IRT model, whether it classifies on
    // ability or on the true composite (NaN where no ability reaches a cut).
    std::vector<double> thetaTrueCuts;

    // What the first pass found in each set's scores.
    std::vector<SetFindings> findings;

    // What an analysis file names: the title, the sets and the categories.
    RunLabels labels;
    // The table row and ID of each examinee, when the scores came from a table
    // (empty otherwise: examinee i is record i + 1).
    ExamineeRecords records;
    // The table's missing responses, when the scores came from a table.
    std::optional<TableSummary> table;

    std::int32_t categoryCount() const { return card.categoryCount; }

    // The examinees' observed composites in record order: the per-unit
    // vector, unless the units are a model's nodes, whose per-examinee results
    // keep the examinees' own.
    std::span<const double> examineeComposites() const {
        if (model.examinees) return model.examinees->composite;
        return observedComposite;
    }

    // The composite the true category is taken from.
    std::span<const double> classificationComposite() const {
        if (!trueScore.empty()) return trueScore;
        return biasCorrected ? std::span<const double>(correctedComposite)
                             : std::span<const double>(observedComposite);
    }

    ClassifiedExaminees classified() const {
        return {categoryGroups.groupOf, categoryGroups.probabilities, classification.trueCategory,
                card.categoryCount, unitWeight};
    }

    // Examinee i's (0-based) probability of each category.
    std::span<const double> categoryProbabilities(std::size_t examinee) const {
        const auto k = static_cast<std::size_t>(card.categoryCount);
        return {categoryGroups.probabilities.data() + categoryGroups.groupOf[examinee] * k, k};
    }
};

}  // namespace tl
