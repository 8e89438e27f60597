#include "analysis/bootstrap_replicate.h"

#include <limits>

#include "analysis/beta_binomial_groups.h"
#include "analysis/corrected_pass.h"
#include "classify/category_groups.h"
#include "classify/classification.h"
#include "core/errors.h"
#include "model/reliability.h"

namespace tl {

namespace {

ReplicateIndices undefinedIndices(std::size_t cuts, double reliability) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const IndexSet undefined{nan, nan, nan, nan, nan, nan};
    PrecisionIndices precision{std::vector<CutDiagnostics>(cuts, {nan, nan, nan, nan, nan}),
                               std::vector<CategoryDiagnostics>(cuts + 1, {nan, nan}),
                               {nan, nan, nan, nan}};
    ReplicateIndices r;
    r.overall = undefined;
    r.cuts.assign(cuts, undefined);
    r.precision = std::move(precision);
    r.reliability = reliability;
    return r;
}

// The sample's first-pass reliability, from its examinees' own values.
double sampleReliability(const Results& run, ExamineeSample sample) {
    const std::size_t n = sample.size();
    std::vector<double> errorVariance(n), observed(n);
    for (std::size_t j = 0; j < n; ++j) {
        errorVariance[j] = run.compositeErrorVariance[sample[j]];
        observed[j] = run.observedComposite[sample[j]];
    }
    return summarizeReliability(errorVariance, observed).reliability;
}

// The sample's observed composites, in sample order.
std::vector<double> sampleComposites(const Results& run, ExamineeSample sample) {
    std::vector<double> composites(sample.size());
    for (std::size_t j = 0; j < sample.size(); ++j)
        composites[j] = run.observedComposite[sample[j]];
    return composites;
}

// The sample's sweep from the run's kept tails: each group weighs its
// examinees' number of draws, added in group order.
std::optional<CutSweep> keptTailsSweep(const AnalysisState& state, ExamineeSample sample) {
    const Results& run = state.results;
    const GroupTails& kept = state.sweepTails;
    if (!run.sweep || kept.empty()) return std::nullopt;
    const std::vector<std::uint32_t>& groupOf = run.categoryGroups.groupOf;
    std::vector<double> draws(kept.trueScore.size(), 0.0);
    for (std::uint32_t i : sample) draws[groupOf[i]] = draws[groupOf[i]] + 1.0;
    TallyRequest request;
    request.sweep = true;
    request.fixedTrueCut = run.sweep->trueCut;
    const std::span<const double> scores = run.scales.composite.compositeScores;
    DistributionTally tally(draws.size(), scores, request);
    for (std::size_t g = 0; g < draws.size(); ++g) {
        if (draws[g] > 0.0)
            tally.addTails(g, draws[g], kept.trueScore[g], kept.below(g), kept.above(g));
    }
    return sweepCuts(tally.finish(), scores, static_cast<double>(sample.size()),
                     sampleComposites(run, sample),
                     state.plan.options.sweep.value_or(SweepOptions{}));
}

// `origin[j]`: the run's examinee that sample entry j stands for.
ReplicateIndices indicesOf(const ClassifiedExaminees& classified, ExamineeSample sample,
                           double reliability, const AnalysisState& state, ExamineeSample origin) {
    ReplicateIndices r;
    if (!state.groups.variables.empty())
        r.groups = groupSampleIndices(classified, sample, origin, state.groups);
    r.overall = overallIndices(classified, sample);
    r.cuts = cutIndices(classified, sample);
    r.precision = precisionIndices(classified, sample, r.overall.kappa);
    r.reliability = reliability;
    return r;
}

ReplicateIndices biasCorrectedIndices(const AnalysisState& state, ExamineeSample sample) {
    const Results& run = state.results;
    const std::size_t n = sample.size();
    const std::size_t cuts = static_cast<std::size_t>(run.card.categoryCount) - 1;

    const double reliability = sampleReliability(run, sample);
    if (!(reliability >= 0.0)) return undefinedIndices(cuts, reliability);

    // The second pass on the sample: one model thread, since replicates are
    // what runs in parallel.
    ModelOptions model = state.model;
    model.threads = 1;
    const ReplicateEngine& engine = state.replicates;
    const CorrectedPass pass =
        correctedPass(state, reliability, n, model, engine.convolveSet, [&](std::size_t s) {
            const ProportionProfiles& observedSet = state.observedProfiles[s];
            ProportionProfiles profiles(observedSet.scorePointCount(), model.shareProfiles(), n);
            for (std::uint32_t i : sample) {
                profiles.addExaminee(observedSet.proportions(observedSet.profileOf(i)));
            }
            return profiles;
        });
    std::vector<SetScale> scales;
    for (std::size_t s = 0; s < run.card.itemSets.size(); ++s) {
        scales.push_back({run.card.itemSets[s].weight, run.scales.sets[s].rawScores});
    }
    const CompositeScale& composite = run.scales.composite;
    CategoryInputs inputs;
    inputs.sets = pass.distributions;
    inputs.scales = scales;
    inputs.compositeScores = composite.compositeScores;
    inputs.minComposite = composite.minComposite;
    inputs.observedCuts = run.card.observedCuts;
    inputs.categoryCount = run.card.categoryCount;
    inputs.composite = &engine.composite;
    inputs.options = model;
    const std::span<const double> corrected =
        std::span<const double>(pass.correctedComposite).first(n);
    if (run.sweep) {
        inputs.tally.sweep = true;
        inputs.tally.fixedTrueCut = run.sweep->trueCut;
        inputs.trueScore = corrected;
    }
    DistributionSums sums;
    const CategoryGroups groups = computeCategoryGroups(inputs, &sums);

    const std::vector<std::int32_t> trueCategory =
        categoriesOf(std::span<const double>(pass.correctedComposite).first(n), run.card.trueCuts);
    const ClassifiedExaminees classified{
        groups.groupOf, groups.probabilities, trueCategory, run.card.categoryCount, {}};
    const std::vector<std::uint32_t> inOrder = wholeSample(n);
    ReplicateIndices indices = indicesOf(classified, inOrder, reliability, state, sample);
    if (run.sweep)
        indices.sweep = sweepCuts(sums, composite.compositeScores, static_cast<double>(n),
                                  sampleComposites(run, sample),
                                  state.plan.options.sweep.value_or(SweepOptions{}));
    return indices;
}

// The beta-binomial refitted to the sample's observed composites (moments,
// effective length and beta; the reliability stays the run's), its nodes then
// classified as the run's were. A sample the model cannot fit gets NaN.
ReplicateIndices betaBinomialIndices(const AnalysisState& state, ExamineeSample sample) {
    const Results& run = state.results;
    const std::size_t cuts = static_cast<std::size_t>(run.card.categoryCount) - 1;
    BetaBinomialUnitsInput in = state.betaBinomial;
    std::vector<double> scores(sample.size());
    for (std::size_t j = 0; j < sample.size(); ++j) scores[j] = state.examineeComposite[sample[j]];
    in.card = &run.card;
    in.scales = &run.scales;
    in.model = &state.plan.options.model;
    ReplicateIndices r;
    if (!state.groups.variables.empty())
        r.groups = betaBinomialGroupSampleIndices(in, state.examineeComposite, sample, state.groups,
                                                  state.levelReliability);
    const std::optional<FittedNodes> fit = fitNodes(in, scores);
    if (!fit) {
        ReplicateIndices undefined = undefinedIndices(cuts, in.reliability);
        undefined.groups = std::move(r.groups);
        return undefined;
    }
    const ClassifiedExaminees classified = fit->classified(run.card.categoryCount);
    const std::vector<std::uint32_t> nodes = wholeSample(classified.size());
    r.overall = overallIndices(classified, nodes);
    r.cuts = cutIndices(classified, nodes);
    r.precision = precisionIndices(classified, nodes, r.overall.kappa);
    r.reliability = in.reliability;
    r.modelFellBack = !fit->units.summary.fellBackFrom.empty();
    return r;
}

}  // namespace

ReplicateIndices replicateIndices(const AnalysisState& state, ExamineeSample sample) {
    const Results& run = state.results;
    if (run.model.kind == ModelKind::BetaBinomial) {
        ReplicateIndices indices = betaBinomialIndices(state, sample);
        if (run.scale)
            indices.scaleReliability =
                sampleScaleReliability(*run.scale, state.examineeComposite, sample);
        return indices;
    }
    ReplicateIndices indices =
        run.biasCorrected
            ? biasCorrectedIndices(state, sample)
            : indicesOf(run.classified(), sample, sampleReliability(run, sample), state, sample);
    if (!run.biasCorrected) indices.sweep = keptTailsSweep(state, sample);
    if (run.scale)
        indices.scaleReliability =
            sampleScaleReliability(*run.scale, run.observedComposite, sample);
    return indices;
}

}  // namespace tl
