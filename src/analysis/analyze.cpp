#include "analysis/analyze.h"

#include <tuple>

#include "analysis/beta_binomial_groups.h"
#include "analysis/beta_binomial_units.h"
#include "analysis/bootstrap.h"
#include "analysis/composite_fit.h"
#include "analysis/corrected_pass.h"
#include "analysis/irt_units.h"
#include "analysis/item_moments.h"
#include "analysis/response_collector.h"
#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "model/count_vector_table.h"
#include "model/set_distributions.h"
#include "model/set_loader.h"
#include "plan/memory_estimate.h"

namespace tl {

namespace {

class Analysis {
  public:
    // `forBootstrap`: keep what a bootstrap resamples.
    Analysis(RunPlan plan, DataSource& data, const AnalysisHooks& hooks, bool forBootstrap)
        : data_(data), hooks_(hooks), forBootstrap_(forBootstrap) {
        state_.plan = std::move(plan);
        state_.model.threads = plan_.options.threads;
        state_.model.substitutes = hooks.substitutes;
        state_.results.card = plan_.card;
        state_.results.scales = plan_.scales;
        state_.results.engine = plan_.engine;
    }

    AnalysisState run() {
        firstPass();
        if (plan_.biasCorrection) secondPass();
        classify();
        return std::move(state_);
    }

  private:
    void stepDone() {
        if (hooks_.onProgress) hooks_.onProgress(++steps_, plan_.progressSteps);
    }

    bool keepsObservedProfiles() const { return forBootstrap_ && plan_.biasCorrection; }

    const ModelChoice& errorModel() const { return plan_.options.model; }
    // The IRT model estimates abilities from the responses unless the data
    // give them.
    bool collectsResponses() const {
        return errorModel().kind == ModelKind::Irt && data_.abilities() == nullptr;
    }
    // The multinomial's distributions are needed by that model, and by a
    // beta-binomial run that takes its reliability.
    bool runsMultinomial() const {
        return errorModel().kind == ModelKind::Multinomial ||
               (errorModel().kind == ModelKind::BetaBinomial &&
                errorModel().betaBinomial.reliabilitySource == "multinomial");
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
        ResponseCollector responses(results_.card, s, responses_, collectsResponses() && findings);
        SetMoments* moments = nullptr;
        if (findings && errorModel().kind == ModelKind::BetaBinomial)
            moments = &moments_.emplace_back();
        // Each level's own moments, for its own alpha.
        const ExamineeGroups* levels = moments ? data_.groups() : nullptr;
        std::vector<SetMoments*> levelMoments;
        if (levels) levelMoments = addLevelMoments(*levels);
        std::size_t row = 0;
        data_.readSet(s, examinees, [&](std::span<const double> scores, std::int64_t line) {
            loader.add(scores, line);
            responses.add(scores);
            if (moments) moments->add(scores);
            if (levels) {
                std::size_t first = 0;
                for (const GroupingVariable& v : levels->variables) {
                    levelMoments[first + v.levelOf[row]]->add(scores);
                    first += v.levels.size();
                }
            }
            ++row;
        });
        if (findings) {
            findings->source = data_.sourceName(s);
            findings->layout = data_.layout(s);
            findings->unmatched = loader.unmatched();
            findings->unmatchedLine = loader.unmatchedLine();
        }
        return loader.takeProfiles();
    }

    // A slot for this set's moments in every level's list, levels flattened
    // variable by variable.
    std::vector<SetMoments*> addLevelMoments(const ExamineeGroups& groups) {
        std::size_t count = 0;
        for (const GroupingVariable& v : groups.variables) count += v.levels.size();
        levelMoments_.resize(count);
        std::vector<SetMoments*> slots;
        for (std::vector<SetMoments>& level : levelMoments_) slots.push_back(&level.emplace_back());
        return slots;
    }

    // Only enumerated sets need their count vectors; a convolved set keeps an
    // empty table that names its item count.
    CountVectorTable tableOf(std::size_t s) const {
        if (plan_.engine.convolveSet[s]) {
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
                    throw DetectedError(
                        messages::noCompleteRecord(set(0).dataFile, set(0).itemCount),
                        FindingCode::NoCompleteRecord);
                }
                results_.compositeErrorVariance.assign(observed.size(), 0.0);
            }
            if (set(s).scorePointCount > kMaxScorePoints) {
                throw DetectedError(messages::tooManyScorePoints(),
                                    FindingCode::TooManyScorePoints);
            }
            if (hooks_.onSetRead) hooks_.onSetRead(s, findings);
            if (!runsMultinomial()) {
                stepDone();
                continue;
            }
            tables_.push_back(tableOf(s));
            if (tables_.back().negativeFactorial && hooks_.onNegativeFactorial) {
                hooks_.onNegativeFactorial();
            }
            distributions_.push_back(
                distributionsOf(state_, s, profiles, plan_.engine.convolveSet[s], model_));
            addErrorVariances(s, distributions_.back());
            // A bias-corrected bootstrap resamples these observed proportions;
            // any other run lets them go with the set.
            if (keepsObservedProfiles()) state_.observedProfiles.push_back(std::move(profiles));
            stepDone();
        }
        if (!runsMultinomial()) return;
        results_.reliability =
            summarizeReliability(results_.compositeErrorVariance, results_.observedComposite);
        if (keepsObservedProfiles()) {
            state_.replicates = replicateEngine(plan_, results_.card, tables_);
        }
        // The scale-score variances and the fit check come from these
        // first-pass distributions; without a second pass the composite step
        // finds them.
        const bool fitsHere = errorModel().kind == ModelKind::Multinomial && plan_.options.fit;
        if (plan_.biasCorrection && (plan_.scale || fitsHere)) {
            DistributionSums sums;
            const CategoryGroups first =
                compositeGroups(plan_.scale ? std::span<const double>(plan_.scale->conversion.scale)
                                            : std::span<const double>(),
                                TallyRequest{fitsHere, false, {}}, &sums);
            if (plan_.scale) scaleVariance_ = perExaminee(first);
            if (fitsHere) results_.model.fit = fitOf(sums, results_.observedComposite, 1.0, true);
        }
    }

    // The fit check of a model's expected frequencies (the units' summed mass
    // times `perUnit`) against the examinees' observed composites.
    ModelFitSummary fitOf(const DistributionSums& sums, std::span<const double> examinees,
                          double perUnit, bool descriptive) const {
        std::vector<double> expected = sums.mass;
        if (perUnit != 1.0)
            for (double& e : expected) e = e * perUnit;
        return compositeFit(expected, results_.scales.composite.compositeScores, examinees,
                            errorModel().minExpected, descriptive);
    }

    // The tally every composite step of the run's classifying pass asks for.
    TallyRequest classifyingTally() const {
        TallyRequest tally;
        tally.fit = errorModel().kind != ModelKind::Multinomial || plan_.options.fit;
        if (plan_.options.sweep) {
            tally.sweep = true;
            tally.fixedTrueCut = plan_.options.sweep->trueCut;
            // A bias-corrected replicate finds its own distributions.
            tally.keepTails = plan_.bootstrap() && !plan_.biasCorrection;
        }
        return tally;
    }

    void sweepFrom(DistributionSums& sums, std::span<const double> examinees) {
        if (!plan_.options.sweep) return;
        state_.sweepTails = std::move(sums.tails);
        results_.sweep = sweepCuts(sums, results_.scales.composite.compositeScores,
                                   static_cast<double>(results_.categoryGroups.groupOf.size()),
                                   examinees, *plan_.options.sweep);
    }

    std::vector<SetScale> setScales() const {
        std::vector<SetScale> scales;
        for (std::size_t s = 0; s < results_.card.itemSets.size(); ++s) {
            scales.push_back({set(s).weight, rawScores(s)});
        }
        return scales;
    }

    // The composite distributions of distributions_, grouped, with what
    // `tally` asks for summed into `sums`.
    CategoryGroups compositeGroups(std::span<const double> scaleScores,
                                   const TallyRequest& tally = {},
                                   DistributionSums* sums = nullptr) const {
        const CompositeScale& composite = results_.scales.composite;
        const std::vector<SetScale> scales = setScales();
        CategoryInputs inputs;
        inputs.sets = distributions_;
        inputs.scales = scales;
        inputs.compositeScores = composite.compositeScores;
        inputs.minComposite = composite.minComposite;
        inputs.observedCuts = results_.card.observedCuts;
        inputs.categoryCount = results_.card.categoryCount;
        inputs.composite = &plan_.composite;
        inputs.options = model_;
        inputs.scaleScores = scaleScores;
        inputs.tally = tally;
        inputs.trueScore = results_.classificationComposite();
        return computeCategoryGroups(inputs, sums);
    }

    static std::vector<double> perExaminee(const CategoryGroups& groups) {
        std::vector<double> values(groups.groupOf.size());
        for (std::size_t e = 0; e < values.size(); ++e)
            values[e] = groups.scaleVariance[groups.groupOf[e]];
        return values;
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
        if (!(r >= 0.0))
            throw DetectedError(messages::reliabilityBlocksBiasCorrection(r),
                                FindingCode::ReliabilityBlocksBias);
        const std::size_t n = static_cast<std::size_t>(results_.examineeCount);
        // The files are read again for this pass; its observed composites are
        // summed anew from them.
        results_.observedComposite.assign(n, 0.0);
        distributions_.clear();
        CorrectedPass pass = correctedPass(
            state_, r, n, model_, plan_.engine.convolveSet,
            [this](std::size_t s) {
                return load(s, results_.examineeCount, results_.observedComposite, nullptr);
            },
            [this] { stepDone(); });
        distributions_ = std::move(pass.distributions);
        results_.correctedComposite = std::move(pass.correctedComposite);
        results_.biasCorrected = true;
    }

    CompositeCombiner combiner() const {
        return {&plan_.composite, model_.substitutes.composite,
                results_.scales.composite.compositeScores, results_.scales.composite.minComposite};
    }

    // The units of a model other than the multinomial take the place of the
    // multinomial's composite distributions; the classification is the same.
    void takeUnits(ModelUnits units) {
        results_.categoryGroups = std::move(units.groups);
        results_.compositeErrorVariance = std::move(units.errorVariance);
        results_.reliability = units.reliability;
        results_.trueScore = std::move(units.trueScore);
        results_.trueScoreCuts = std::move(units.trueCuts);
        results_.theta = std::move(units.theta);
        results_.thetaSe = std::move(units.thetaSe);
        results_.trueComposite = std::move(units.trueComposite);
        results_.thetaTrueCuts = std::move(units.thetaTrueCuts);
        results_.model = std::move(units.summary);
        if (!units.weight.empty()) {
            results_.unitWeight = std::move(units.weight);
            results_.observedComposite = std::move(units.unitScore);
        }
    }

    void classifyByModel() {
        IrtUnitsInput in;
        in.card = &results_.card;
        in.scales = &results_.scales;
        in.model = &errorModel();
        in.observedComposite = results_.observedComposite;
        in.responses = &responses_;
        in.given = data_.abilities();
        in.combine = combiner();
        in.threads = model_.threads;
        if (plan_.scale) in.scaleScores = plan_.scale->conversion.scale;
        const bool rudner = errorModel().method == ModelMethod::RudnerP ||
                            errorModel().method == ModelMethod::RudnerD;
        const bool nodes = methodUsesNodes(errorModel().method);
        if (!rudner) in.tally = classifyingTally();
        // The nodes do not change with the examinees drawn.
        if (nodes) in.tally.keepTails = false;
        ModelUnits units = nodes ? irtNodeUnits(in) : irtExamineeUnits(in);
        DistributionSums sums = std::move(units.sums);
        const std::vector<double> examinees = results_.observedComposite;
        const double perUnit = nodes ? static_cast<double>(examinees.size()) /
                                           static_cast<double>(units.groups.groupOf.size())
                                     : 1.0;
        takeUnits(std::move(units));
        if (!rudner) {
            // Summed-d fits nothing to these data: its chi-square is a test.
            results_.model.fit = fitOf(sums, examinees, perUnit, !nodes);
            sweepFrom(sums, examinees);
        }
        if (plan_.scale) {
            scaleVariance_ = perExaminee(results_.categoryGroups);
            results_.categoryGroups.scaleVariance = {};
        }
        responses_ = {};
        stepDone();
        finishClassification(results_.trueScoreCuts);
    }

    // The reliability the beta-binomial's effective test length is found with.
    std::pair<double, std::string> betaBinomialReliability() const {
        const BetaBinomialSettings& settings = errorModel().betaBinomial;
        if (settings.reliabilitySource == "multinomial")
            return {results_.reliability.reliability, "multinomial"};
        if (settings.reliabilitySource == "given") return {settings.reliability, "given"};
        const double variance = varianceAboutMean(results_.observedComposite);
        return {alphaOfSets(results_.card, moments_, variance),
                moments_.size() == 1 ? "alpha" : "stratified alpha"};
    }

    void classifyByBetaBinomial() {
        BetaBinomialUnitsInput in;
        if (plan_.scale) in.scale = &plan_.scale->conversion;
        in.card = &results_.card;
        in.scales = &results_.scales;
        in.model = &errorModel();
        in.observedComposite = results_.observedComposite;
        std::tie(in.reliability, in.reliabilitySource) = betaBinomialReliability();
        ModelUnits units = betaBinomialUnits(in);
        if (plan_.scale) scaleVariance_ = betaBinomialScaleVariance(units);
        state_.examineeComposite = results_.observedComposite;
        if (const ExamineeGroups* groups = data_.groups()) {
            const bool alpha = errorModel().betaBinomial.reliabilitySource == "alpha";
            state_.levelReliability =
                levelReliabilities(in,
                                   alpha ? std::span<const std::vector<SetMoments>>(levelMoments_)
                                         : std::span<const std::vector<SetMoments>>(),
                                   state_.examineeComposite, *groups);
            units.summary.notes.push_back(
                "subgroups: each level is fitted to its own examinees' scores, since the "
                "true-score distribution is a property of the group; with reliability from "
                "alpha each level's own alpha is used, otherwise the run's reliability");
        }
        in.observedComposite = {};
        state_.betaBinomial = in;
        takeUnits(std::move(units));
        stepDone();
        finishClassification(results_.trueScoreCuts);
    }

    void classify() {
        if (errorModel().kind == ModelKind::BetaBinomial) return classifyByBetaBinomial();
        if (errorModel().kind != ModelKind::Multinomial) return classifyByModel();
        const bool scaleHere = plan_.scale && !plan_.biasCorrection;
        DistributionSums sums;
        results_.categoryGroups =
            compositeGroups(scaleHere ? std::span<const double>(plan_.scale->conversion.scale)
                                      : std::span<const double>(),
                            classifyingTally(), &sums);
        if (plan_.options.fit)
            (results_.biasCorrected ? results_.model.correctedFit : results_.model.fit) =
                fitOf(sums, results_.observedComposite, 1.0, true);
        sweepFrom(sums, results_.observedComposite);
        if (scaleHere) {
            scaleVariance_ = perExaminee(results_.categoryGroups);
            results_.categoryGroups.scaleVariance = {};
        }
        stepDone();
        finishClassification(results_.card.trueCuts);
    }

    // Everything downstream of the category probabilities, for every model.
    void finishClassification(std::span<const double> trueCuts) {
        const CategoryGroups& groups = results_.categoryGroups;
        results_.classification = classifyExaminees(
            results_.classificationComposite(), trueCuts, results_.card.categoryCount,
            groups.groupOf, groups.probabilities, groups.consistency, results_.unitWeight);
        results_.observedCategory =
            categoriesOf(results_.observedComposite, results_.card.observedCuts);
        double classified = 0.0;
        for (double p : results_.classification.categoryMarginal) classified = classified + p;
        results_.probabilityInNoCategory = 1.0 - classified;
        if (const ExamineeGroups* asked = data_.groups()) {
            state_.groups = *asked;
            results_.minGroup = asked->minGroup;
            if (errorModel().kind == ModelKind::BetaBinomial) {
                results_.groups = betaBinomialGroupLevels(
                    state_.betaBinomial, state_.examineeComposite, state_.groups,
                    state_.levelReliability, results_.model.notes);
            } else {
                results_.groups = groupLevels(results_.classified(), results_.observedCategory,
                                              state_.groups, model_.threads);
            }
        }
        if (plan_.options.tables) {
            results_.tables = tabulateClassification(
                results_.classified(), results_.classification, results_.observedComposite,
                results_.observedCategory, results_.card.observedCuts,
                results_.compositeErrorVariance, results_.reliability.sampleVariance);
        }
        if (plan_.scale) {
            // A beta-binomial run's units are nodes; its scale scores are the
            // examinees'.
            const bool nodes = errorModel().kind == ModelKind::BetaBinomial;
            results_.scale =
                summarizeScale(*plan_.scale, std::move(scaleVariance_),
                               nodes ? state_.examineeComposite : results_.observedComposite,
                               plan_.options.tables);
        }
    }

    DataSource& data_;
    const AnalysisHooks& hooks_;
    bool forBootstrap_;
    AnalysisState state_;
    const RunPlan& plan_ = state_.plan;
    Results& results_ = state_.results;
    const ModelOptions& model_ = state_.model;
    std::vector<CountVectorTable>& tables_ = state_.tables;  // per set, built in the first pass
    std::vector<SetDistributions> distributions_;            // per set, from the last pass
    std::vector<double> scaleVariance_;  // per examinee, with a conversion table
    ResponseTable responses_;            // each examinee's categories, for the IRT model
    std::vector<SetMoments> moments_;    // per set, for the beta-binomial's alpha
    std::vector<std::vector<SetMoments>> levelMoments_;  // per group level, then per set
    std::int64_t steps_ = 0;
};

AnalysisState runPlanned(RunPlan plan, DataSource& data, const AnalysisHooks& hooks,
                         bool forBootstrap) {
    if (hooks.onPlan) hooks.onPlan(plan);
    return Analysis(std::move(plan), data, hooks, forBootstrap).run();
}

Results analyzePlanned(RunPlan plan, DataSource& data, const AnalysisHooks& hooks) {
    const bool bootstrap = plan.bootstrap();
    AnalysisState state = runPlanned(std::move(plan), data, hooks, bootstrap);
    state.results.modelName = modelName(state.plan.options.model);
    if (bootstrap) {
        // Now that the examinees and group levels are known.
        const Results& run = state.results;
        refuseUnaffordableRun(state.plan,
                              {run.examineeCount, static_cast<std::int64_t>(run.groups.size())});
        state.results.bootstrap = bootstrapIndices(state, hooks.onBootstrapProgress);
        if (state.results.model.kind == ModelKind::BetaBinomial)
            state.results.model.add("bootstrap_fallbacks",
                                    static_cast<double>(state.results.bootstrap->modelFallbacks));
    }
    return std::move(state.results);
}

}  // namespace

AnalysisState analyzeKeepingState(const ControlCard& card, DataSource& data,
                                  const AnalysisOptions& options, const AnalysisHooks& hooks) {
    return runPlanned(planRun(card, options), data, hooks, true);
}

Results analyze(const ControlCard& card, DataSource& data, const AnalysisOptions& options,
                const AnalysisHooks& hooks) {
    return analyzePlanned(planRun(card, options), data, hooks);
}

Results analyze(ScaledCard card, DataSource& data, const AnalysisOptions& options,
                const AnalysisHooks& hooks) {
    return analyzePlanned(planRun(std::move(card), options), data, hooks);
}

}  // namespace tl
