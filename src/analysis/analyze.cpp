#include "analysis/analyze.h"

#include "analysis/bootstrap.h"
#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "model/bias_correction.h"
#include "model/composite_convolution.h"
#include "model/count_vector_table.h"
#include "model/parallel_for.h"
#include "model/raw_score_convolution.h"
#include "model/set_distributions.h"
#include "model/set_loader.h"
#include "plan/card_checks.h"
#include "plan/score_ranges.h"

namespace tl {

namespace {

// The composite convolution behind the replaceable composite kernel's shape.
void convolveOnScale(std::span<const SetRow> sets, std::span<const double> compositeScores,
                     std::span<double> out) {
    const auto minComposite =
        compositeScores.empty() ? 0 : static_cast<std::int32_t>(compositeScores.front());
    convolveCompositeDistribution(sets, minComposite, out);
}

class Analysis {
  public:
    // `forBootstrap`: keep what a bootstrap resamples.
    Analysis(const ControlCard& card, const ScoreScales& scales, DataSource& data,
             const AnalysisOptions& options, bool forBootstrap)
        : data_(data), options_(options), forBootstrap_(forBootstrap) {
        state_.model = options.model;
        if (state_.model.threads == 0) state_.model.threads = hardwareThreads();
        state_.results.card = card;
        state_.results.scales = scales;
        state_.results.engine = planEngine(card, scales, state_.model.engine);
    }

    AnalysisState run() {
        firstPass();
        if (results_.card.biasCorrection == 1) secondPass();
        classify();
        return std::move(state_);
    }

  private:
    void stepDone() {
        if (!options_.onProgress) return;
        const auto sets = static_cast<std::int64_t>(results_.card.itemSets.size());
        const std::int64_t total = sets * (results_.card.biasCorrection == 1 ? 2 : 1) + 1;
        options_.onProgress(++steps_, total);
    }

    bool keepsObservedProfiles() const {
        return forBootstrap_ && results_.card.biasCorrection == 1;
    }

    const ItemSet& set(std::size_t s) const { return results_.card.itemSets[s]; }
    std::span<const double> rawScores(std::size_t s) const {
        return results_.scales.sets[s].rawScores;
    }

    // Reads set s into profiles, adding its weighted scores to `composite`.
    // With `examinees` below zero the set's records decide the examinee count.
    ProportionProfiles load(std::size_t s, std::int32_t examinees, std::vector<double>& composite,
                            SetFindings* findings) {
        SetLoader loader(set(s), composite, model_.shareProfiles(),
                         static_cast<std::size_t>(examinees > 0 ? examinees : 0));
        data_.readSet(s, examinees, [&loader](std::span<const double> scores, std::int64_t line) {
            loader.add(scores, line);
        });
        if (findings) {
            findings->source = data_.sourceName(s);
            findings->layout = data_.layout(s);
            findings->unmatched = loader.unmatched();
            findings->unmatchedLine = loader.unmatchedLine();
        }
        return loader.takeProfiles();
    }

    SetDistributions distributionsOf(std::size_t s, const ProportionProfiles& profiles) {
        return computeSetDistributions(tables_[s], profiles, set(s).scorePoints, rawScores(s),
                                       modelForSet(state_, s));
    }

    // Only enumerated sets need their count vectors; a convolved set keeps an
    // empty table that names its item count.
    CountVectorTable tableOf(std::size_t s) const {
        if (results_.engine.convolveSet[s]) {
            CountVectorTable table;
            table.itemCount = set(s).itemCount;
            table.scorePointCount = set(s).scorePointCount;
            table.entryCount = rawScores(s).size();
            return table;
        }
        return buildCountVectorTable(set(s).itemCount, set(s).scorePoints, rawScores(s));
    }

    void firstPass() {
        std::vector<double>& observed = results_.observedComposite;
        observed.clear();
        for (std::size_t s = 0; s < results_.card.itemSets.size(); ++s) {
            // The first set's complete records are the examinees; the other
            // files must give a record for each of them.
            const std::int32_t wanted = s == 0 ? -1 : results_.examineeCount;
            SetFindings& findings = results_.findings.emplace_back();
            ProportionProfiles profiles = load(s, wanted, observed, &findings);
            if (s == 0) {
                results_.examineeCount = static_cast<std::int32_t>(profiles.examineeCount());
                if (results_.examineeCount == 0) {
                    throw DetectedError{
                        messages::noCompleteRecord(set(0).dataFile, set(0).itemCount)};
                }
                results_.compositeErrorVariance.assign(observed.size(), 0.0);
            }
            if (set(s).scorePointCount > kMaxScorePoints) {
                throw DetectedError{messages::tooManyScorePoints()};
            }
            if (options_.onSetRead) options_.onSetRead(s, findings);
            tables_.push_back(tableOf(s));
            if (tables_.back().negativeFactorial && options_.onNegativeFactorial) {
                options_.onNegativeFactorial();
            }
            distributions_.push_back(distributionsOf(s, profiles));
            addErrorVariances(s, distributions_.back());
            // A bias-corrected bootstrap resamples these observed proportions;
            // any other run lets them go with the set.
            if (keepsObservedProfiles()) state_.observedProfiles.push_back(std::move(profiles));
            stepDone();
        }
        results_.reliability =
            summarizeReliability(results_.compositeErrorVariance, results_.observedComposite);
    }

    // Adds (w w) times each examinee's conditional error variance on the set, so
    // that the composite error variance is summed in set order.
    void addErrorVariances(std::size_t s, const SetDistributions& sd) {
        std::vector<double> variance(sd.profileCount, 0.0);
        for (std::size_t p = 0; p < sd.profileCount; ++p) {
            variance[p] = setErrorVariance(rawScores(s), sd.row(p), set(s).itemCount);
        }
        const double weightSquared = set(s).weight * set(s).weight;
        std::vector<double>& total = results_.compositeErrorVariance;
        for (std::size_t e = 0; e < sd.profileOf.size(); ++e) {
            total[e] = total[e] + weightSquared * variance[sd.profileOf[e]];
        }
    }

    void secondPass() {
        const double r = results_.reliability.reliability;
        if (!(r >= 0.0)) throw DetectedError{messages::reliabilityBlocksBiasCorrection(r)};
        const std::size_t n = static_cast<std::size_t>(results_.examineeCount);
        results_.observedComposite.assign(n, 0.0);
        results_.correctedComposite.assign(n, 0.0);
        for (std::size_t s = 0; s < results_.card.itemSets.size(); ++s) {
            ProportionProfiles profiles =
                load(s, results_.examineeCount, results_.observedComposite, nullptr);
            correctProportions(profiles, set(s), r, results_.correctedComposite);
            distributions_[s] = distributionsOf(s, profiles);
            stepDone();
        }
        results_.biasCorrected = true;
    }

    void classify() {
        std::vector<SetScale> scales;
        for (std::size_t s = 0; s < results_.card.itemSets.size(); ++s) {
            scales.push_back({set(s).weight, rawScores(s)});
        }
        const CompositeScale& composite = results_.scales.composite;
        results_.categoryGroups = computeCategoryGroups(
            distributions_, scales, composite.compositeScores, composite.minComposite,
            results_.card.observedCuts, results_.card.categoryCount, modelForComposite(state_));
        stepDone();
        const CategoryGroups& groups = results_.categoryGroups;
        results_.classification = classifyExaminees(
            results_.classificationComposite(), results_.card.trueCuts, results_.card.categoryCount,
            groups.groupOf, groups.probabilities, groups.consistency);
        double classified = 0.0;
        for (double p : results_.classification.categoryMarginal) classified = classified + p;
        results_.probabilityInNoCategory = 1.0 - classified;
        if (options_.tables) {
            results_.tables = tabulateClassification(
                results_.classified(), results_.classification, results_.observedComposite,
                results_.card.observedCuts, results_.reliability.sampleVariance);
        }
    }

    DataSource& data_;
    const AnalysisOptions& options_;
    bool forBootstrap_;
    AnalysisState state_;
    Results& results_ = state_.results;
    const ModelOptions& model_ = state_.model;
    std::vector<CountVectorTable>& tables_ = state_.tables;  // per set, built in the first pass
    std::vector<SetDistributions> distributions_;            // per set, from the last pass
    std::int64_t steps_ = 0;
};

}  // namespace

ModelOptions modelForSet(const AnalysisState& state, std::size_t s) {
    ModelOptions model = state.model;
    if (state.results.engine.convolveSet[s] && !model.rawDistributionKernel) {
        model.rawDistributionKernel = &convolveRawDistribution;
    }
    return model;
}

ModelOptions modelForComposite(const AnalysisState& state) {
    ModelOptions model = state.model;
    if (state.results.engine.convolveComposite && !model.compositeKernel) {
        model.compositeKernel = &convolveOnScale;
    }
    return model;
}

ScoreScales prepareScales(const ControlCard& card, ModelOptions::Engine engine) {
    ScoreScales scales = deriveScoreScales(card);
    checkCutScores(card, scales.composite);
    refuseUnworkableCard(card, scales, engine);
    return scales;
}

AnalysisState analyzeKeepingState(const ControlCard& card, const ScoreScales& scales,
                                  DataSource& data, const AnalysisOptions& options) {
    return Analysis(card, scales, data, options, true).run();
}

Results analyze(const ControlCard& card, const ScoreScales& scales, DataSource& data,
                const AnalysisOptions& options) {
    checkBootstrapReplicates(options.bootstrapReplicates);
    const bool bootstrap = options.bootstrapReplicates >= 2;
    AnalysisState state = Analysis(card, scales, data, options, bootstrap).run();
    if (bootstrap) {
        state.results.bootstrap =
            bootstrapIndices(state, options.bootstrapReplicates, options.seed, state.model.threads,
                             options.onBootstrapProgress);
    }
    return std::move(state.results);
}

}  // namespace tl
