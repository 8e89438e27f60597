#include "analysis/irt_units.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string_view>
#include <unordered_map>

#include "classify/classification.h"
#include "core/errors.h"
#include "model/irt/ability.h"
#include "model/irt/item_probability.h"
#include "model/irt/rudner.h"
#include "model/irt/summed_score.h"
#include "model/irt/true_score.h"
#include "model/parallel_for.h"
#include "model/scale_score_variance.h"

namespace tl {

namespace {

constexpr double kCutSearchLow = -10.0;
constexpr double kCutSearchHigh = 10.0;

// The parameters of set s's items, as pointers in item order.
std::vector<std::vector<const irt::ItemParameters*>> itemsBySet(const ControlCard& card,
                                                                const IrtSettings& irt) {
    std::vector<std::vector<const irt::ItemParameters*>> sets;
    std::size_t next = 0;
    for (const ItemSet& set : card.itemSets) {
        auto& items = sets.emplace_back();
        for (std::int32_t j = 0; j < set.itemCount && next < irt.parameters.size(); ++j)
            items.push_back(&irt.parameters[next++]);
    }
    return sets;
}

std::vector<const irt::ItemParameters*> allItems(const IrtSettings& irt) {
    std::vector<const irt::ItemParameters*> items;
    for (const irt::ItemParameters& p : irt.parameters) items.push_back(&p);
    return items;
}

double distributionVariance(std::span<const double> q, std::span<const double> scores) {
    double mean = 0.0;
    for (std::size_t c = 0; c < q.size(); ++c) mean = mean + q[c] * scores[c];
    double variance = 0.0;
    for (std::size_t c = 0; c < q.size(); ++c) {
        const double d = scores[c] - mean;
        variance = variance + q[c] * d * d;
    }
    return variance;
}

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

[[noreturn]] void unreachableCut(const char* which, std::size_t c, double cut) {
    Finding finding;
    finding.code = FindingCode::ModelRefused;
    finding.key = which;
    finding.value = std::to_string(cut);
    finding.text = std::string(which) + " cut " + std::to_string(c + 1) + " (" + numberText(cut) +
                   ") is beyond the true composites the items can give between theta -10 and "
                   "10; move it inside the test's score range";
    throw InputError(std::move(finding));
}

// One set of examinees' patterns, each distinct pattern once.
struct Patterns {
    std::vector<std::uint32_t> patternOf;  // examinee -> pattern
    std::vector<std::size_t> firstExaminee;
};

Patterns distinctPatterns(const ResponseTable& responses, std::size_t examinees) {
    Patterns patterns;
    patterns.patternOf.resize(examinees);
    std::unordered_map<std::string_view, std::uint32_t> index;
    index.reserve(examinees);
    const auto* base = reinterpret_cast<const char*>(responses.cells.data());
    for (std::size_t e = 0; e < examinees; ++e) {
        const std::string_view key(base + e * responses.itemCount, responses.itemCount);
        const auto [it, inserted] =
            index.try_emplace(key, static_cast<std::uint32_t>(patterns.firstExaminee.size()));
        if (inserted) patterns.firstExaminee.push_back(e);
        patterns.patternOf[e] = it->second;
    }
    return patterns;
}

// What the summed-score method finds at one ability: the category
// probabilities on the observed cuts, and the composite distribution's variance.
class SummedScoreAt {
  public:
    SummedScoreAt(const IrtUnitsInput& in,
                  std::span<const std::vector<const irt::ItemParameters*>> sets)
        : in_(in),
          sets_(sets),
          setRows_(sets.size()),
          rows_(sets.size()),
          distribution_(in.scales->composite.compositeScores.size()) {
        const ControlCard& card = *in.card;
        weighted_.resize(sets.size());
        for (std::size_t s = 0; s < sets.size(); ++s) {
            setRows_[s].resize(in.scales->sets[s].rawScores.size());
            for (double r : in.scales->sets[s].rawScores)
                weighted_[s].push_back(card.itemSets[s].weight * r);
        }
        starts_ = categoryStarts(card.observedCuts, in.scales->composite.compositeScores);
    }

    // Writes the category probabilities into `p`; returns the variance, and
    // with scale scores their variance into `scaleVariance`.
    double operator()(double theta, std::span<double> p, double* scaleVariance = nullptr) {
        const ControlCard& card = *in_.card;
        for (std::size_t s = 0; s < sets_.size(); ++s) {
            const std::span<const double> raw = in_.scales->sets[s].rawScores;
            irt::setScoreDistribution(sets_[s], card.itemSets[s].scorePoints,
                                      in_.model->irt.scaling, theta, raw, setRows_[s], scratch_);
            rows_[s] = SetRow{setRows_[s].data(), weighted_[s].data(), raw.data(),
                              card.itemSets[s].weight, raw.size()};
        }
        in_.combine(rows_, distribution_, convolution_);
        categoryProbabilities(distribution_, starts_, p);
        if (scaleVariance) *scaleVariance = scaleScoreVariance(distribution_, in_.scaleScores);
        return distributionVariance(distribution_, in_.scales->composite.compositeScores);
    }

    // The composite distribution of the last call.
    std::span<const double> distribution() const { return distribution_; }

  private:
    const IrtUnitsInput& in_;
    std::span<const std::vector<const irt::ItemParameters*>> sets_;
    std::vector<std::vector<double>> setRows_;
    std::vector<SetRow> rows_;
    std::vector<double> distribution_;
    std::vector<std::vector<double>> weighted_;
    std::vector<std::size_t> starts_;
    irt::SummedScoreScratch scratch_;
    CompositeConvolution::Scratch convolution_;
};

void describeSettings(ModelSummary& summary, const ModelChoice& model) {
    const IrtSettings& irt = model.irt;
    summary.kind = model.kind;
    summary.method = model.method;
    summary.add("items", irt.itemsPath);
    summary.add("D", irt.scaling);
    summary.add("cuts_on", std::string(kIrtCutsOnNames[irt.cutsOnTheta ? 1 : 0]));
    for (std::size_t c = 0; c < irt.thetaObservedCuts.size(); ++c)
        summary.add("theta_observed_cut_" + std::to_string(c + 1), irt.thetaObservedCuts[c]);
    for (std::size_t c = 0; c < irt.thetaTrueCuts.size(); ++c)
        summary.add("theta_true_cut_" + std::to_string(c + 1), irt.thetaTrueCuts[c]);
}

// The nodes of the population table, or of the normal population.
std::vector<irt::PopulationNode> populationOf(const IrtSettings& irt) {
    if (irt.populationTheta.empty())
        return irt::normalPopulation(irt.populationMean, irt.populationSd, irt.populationPoints);
    std::vector<irt::PopulationNode> nodes;
    for (std::size_t q = 0; q < irt.populationTheta.size(); ++q)
        nodes.push_back({irt.populationTheta[q], irt.populationWeight[q]});
    return nodes;
}

// irtTrueComposite with the sets' items at hand, so that a unit's true
// composite gathers no item lists.
double trueCompositeOf(const ControlCard& card, const IrtSettings& irt,
                       std::span<const std::vector<const irt::ItemParameters*>> sets,
                       double theta) {
    double total = 0.0;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        double sum = 0.0;
        for (const irt::ItemParameters* item : sets[s])
            sum = sum +
                  irt::expectedItemScore(*item, irt.scaling, theta, card.itemSets[s].scorePoints);
        total = total + card.itemSets[s].weight * sum;
    }
    return total;
}

// Examinees who share one ability and SE, each distinct pair once.
Patterns distinctAbilities(const GivenAbilities& given) {
    Patterns patterns;
    const std::size_t examinees = given.theta.size();
    patterns.patternOf.resize(examinees);
    std::unordered_map<std::string_view, std::uint32_t> index;
    std::vector<double> keys(2 * examinees);
    for (std::size_t e = 0; e < examinees; ++e) {
        keys[2 * e] = given.theta[e];
        keys[2 * e + 1] = given.se.empty() ? 0.0 : given.se[e];
        const std::string_view key(reinterpret_cast<const char*>(keys.data() + 2 * e),
                                   2 * sizeof(double));
        const auto [it, inserted] =
            index.try_emplace(key, static_cast<std::uint32_t>(patterns.firstExaminee.size()));
        if (inserted) patterns.firstExaminee.push_back(e);
        patterns.patternOf[e] = it->second;
    }
    return patterns;
}

// The true cuts on ability: the run's own where it classifies on ability,
// else the abilities whose true composite is each true cut, NaN where none
// between theta -10 and 10 reaches it (the run needs none of them then; the
// figures mark those found).
std::vector<double> abilityTrueCuts(const ControlCard& card, const IrtSettings& irt,
                                    std::span<const std::vector<const irt::ItemParameters*>> sets) {
    if (!irt.thetaTrueCuts.empty()) return irt.thetaTrueCuts;
    const auto tau = [&](double theta) { return trueCompositeOf(card, irt, sets, theta); };
    std::vector<double> cuts;
    for (const double cut : card.trueCuts)
        cuts.push_back(irt::inverseMonotone(tau, cut, kCutSearchLow, kCutSearchHigh));
    return cuts;
}

}  // namespace

double irtTrueComposite(const ControlCard& card, const IrtSettings& irt, double theta) {
    return trueCompositeOf(card, irt, itemsBySet(card, irt), theta);
}

void settleIrtCuts(ControlCard& card, IrtSettings& irt, bool rudner) {
    if (irt.cutsOnTheta) {
        irt.thetaObservedCuts = card.observedCuts;
        irt.thetaTrueCuts = card.trueCuts;
        for (double& cut : card.observedCuts) cut = irtTrueComposite(card, irt, cut);
        for (double& cut : card.trueCuts) cut = irtTrueComposite(card, irt, cut);
        return;
    }
    if (!rudner) return;
    const auto tau = [&](double theta) { return irtTrueComposite(card, irt, theta); };
    irt.thetaObservedCuts.clear();
    irt.thetaTrueCuts.clear();
    for (std::size_t c = 0; c < card.observedCuts.size(); ++c) {
        const double theta =
            irt::inverseMonotone(tau, card.observedCuts[c], kCutSearchLow, kCutSearchHigh);
        if (std::isnan(theta)) unreachableCut("observed", c, card.observedCuts[c]);
        irt.thetaObservedCuts.push_back(theta);
    }
    for (std::size_t c = 0; c < card.trueCuts.size(); ++c) {
        const double theta =
            irt::inverseMonotone(tau, card.trueCuts[c], kCutSearchLow, kCutSearchHigh);
        if (std::isnan(theta)) unreachableCut("true", c, card.trueCuts[c]);
        irt.thetaTrueCuts.push_back(theta);
    }
}

ModelUnits irtExamineeUnits(const IrtUnitsInput& in) {
    const ControlCard& card = *in.card;
    const ModelChoice& model = *in.model;
    const IrtSettings& irt = model.irt;
    const double D = irt.scaling;
    const bool rudner = model.method == ModelMethod::RudnerP;
    const std::size_t examinees = in.observedComposite.size();
    const auto categories = static_cast<std::size_t>(card.categoryCount);
    const auto setItems = itemsBySet(card, irt);
    const auto items = allItems(irt);
    const GivenAbilities* given = in.given;
    const Patterns patterns =
        given ? distinctAbilities(*given) : distinctPatterns(*in.responses, examinees);
    const std::size_t patternCount = patterns.firstExaminee.size();

    irt::Prior prior;
    prior.mean = irt.priorMean;
    prior.sd = irt.priorSd;
    prior.points = irt.priorPoints;
    const irt::AbilityGrid grid(items, D, prior);

    ModelUnits units;
    units.groups.groupOf = patterns.patternOf;
    units.groups.probabilities.assign(patternCount * categories, 0.0);
    units.groups.consistency.assign(patternCount, 0.0);
    const bool scaled = !in.scaleScores.empty() && !rudner;
    if (scaled) units.groups.scaleVariance.assign(patternCount, 0.0);
    std::vector<double> theta(patternCount), se(patternCount), tau(patternCount),
        variance(patternCount, 0.0);
    std::vector<std::uint8_t> atBound(patternCount, 0);
    const bool tallied = in.tally.any() && !rudner;
    std::vector<double> members(tallied ? patternCount : 0, 0.0);
    for (std::size_t e = 0; tallied && e < examinees; ++e)
        members[patterns.patternOf[e]] = members[patterns.patternOf[e]] + 1.0;
    DistributionTally tally(tallied ? patternCount : 0, in.scales->composite.compositeScores,
                            in.tally);
    const std::size_t block = tally.blockSize();
    const std::size_t blocks = (patternCount + block - 1) / block;

    parallelFor(blocks, in.threads, [&](std::size_t firstBlock, std::size_t endBlock, unsigned) {
        const std::size_t begin = firstBlock * block;
        const std::size_t end = std::min(patternCount, endBlock * block);
        std::vector<double> workspace(grid.nodeCount());
        SummedScoreAt summed(in, setItems);
        for (std::size_t g = begin; g < end; ++g) {
            irt::AbilityEstimate estimate;
            const std::size_t first = patterns.firstExaminee[g];
            if (given) {
                estimate.theta = given->theta[first];
                estimate.se =
                    given->se.empty() ? std::numeric_limits<double>::quiet_NaN() : given->se[first];
            } else {
                const std::span<const std::uint8_t> pattern(
                    in.responses->cells.data() + first * in.responses->itemCount,
                    in.responses->itemCount);
                estimate = grid.eap(pattern, workspace);
                if (irt.maximumLikelihood) estimate = irt::mle(items, D, pattern, estimate.theta);
            }
            theta[g] = estimate.theta;
            se[g] = estimate.se;
            atBound[g] = estimate.atBound ? 1 : 0;
            std::span<double> p(units.groups.probabilities.data() + g * categories, categories);
            if (rudner) {
                irt::rudnerProbabilities(estimate.theta, estimate.se, irt.thetaObservedCuts, p);
            } else {
                variance[g] =
                    summed(estimate.theta, p, scaled ? &units.groups.scaleVariance[g] : nullptr);
            }
            tau[g] = trueCompositeOf(card, irt, setItems, estimate.theta);
            units.groups.consistency[g] = conditionalConsistency(p);
            if (tallied) tally.add(g, members[g], tau[g], summed.distribution());
        }
    });
    if (tallied) units.sums = tally.finish();

    // The true category: theta against theta cuts where the model works on
    // theta, else the true composite against the composite's true cuts.
    const bool onTheta = rudner || irt.cutsOnTheta;
    units.trueCuts = onTheta ? irt.thetaTrueCuts : card.trueCuts;
    units.thetaTrueCuts = abilityTrueCuts(card, irt, setItems);
    units.trueScore.resize(examinees);
    units.theta.resize(examinees);
    units.thetaSe.resize(examinees);
    units.trueComposite.resize(examinees);
    // Rudner's method has no composite distribution, so no error variance.
    units.errorVariance.assign(examinees, rudner ? std::numeric_limits<double>::quiet_NaN() : 0.0);
    std::int64_t bounded = 0;
    for (std::size_t e = 0; e < examinees; ++e) {
        const std::uint32_t g = patterns.patternOf[e];
        units.theta[e] = theta[g];
        units.thetaSe[e] = se[g];
        units.trueComposite[e] = tau[g];
        units.trueScore[e] = onTheta ? theta[g] : tau[g];
        if (!rudner) units.errorVariance[e] = variance[g];
        bounded += atBound[g];
    }
    units.reliability = summarizeReliability(units.errorVariance, in.observedComposite);

    ModelSummary& summary = units.summary;
    describeSettings(summary, model);
    if (given) {
        summary.add("theta", irt.thetaColumn);
        if (!irt.thetaSeColumn.empty()) summary.add("theta_se", irt.thetaSeColumn);
        summary.add("abilities", static_cast<double>(patternCount));
        summary.notes.push_back("abilities are given in the data table's column " +
                                irt.thetaColumn + ", not estimated from the responses");
    } else {
        summary.add("estimator", std::string(kIrtEstimatorNames[irt.maximumLikelihood ? 1 : 0]));
        summary.add("prior_mean", irt.priorMean);
        summary.add("prior_sd", irt.priorSd);
        summary.add("points", static_cast<double>(irt.priorPoints));
        summary.add("patterns", static_cast<double>(patternCount));
    }
    if (irt.maximumLikelihood) summary.add("at_bound", static_cast<double>(bounded));
    summary.notes.push_back(
        "units are the examinees, each at their ability estimate; a bootstrap resamples "
        "examinees and keeps the item parameters fixed");
    if (rudner)
        summary.notes.push_back(
            "Rudner's method has no composite distribution: the CSEM and scale-score tables "
            "are omitted, and the reliability is not defined");
    if (irt.maximumLikelihood && bounded > 0)
        summary.notes.push_back(std::to_string(bounded) +
                                " examinees answered every item in its lowest or highest "
                                "category; their maximum-likelihood ability is the bound -6 or 6");
    return units;
}

ModelUnits irtNodeUnits(const IrtUnitsInput& in) {
    const ControlCard& card = *in.card;
    const ModelChoice& model = *in.model;
    const IrtSettings& irt = model.irt;
    const bool rudner = model.method == ModelMethod::RudnerD;
    const auto categories = static_cast<std::size_t>(card.categoryCount);
    const auto setItems = itemsBySet(card, irt);
    const auto items = allItems(irt);
    const std::vector<irt::PopulationNode> nodes = populationOf(irt);
    const std::size_t count = nodes.size();

    ModelUnits units;
    units.groups.groupOf.resize(count);
    units.groups.probabilities.assign(count * categories, 0.0);
    units.groups.consistency.assign(count, 0.0);
    units.errorVariance.assign(count, std::numeric_limits<double>::quiet_NaN());
    units.theta.resize(count);
    units.thetaSe.resize(count);
    units.trueScore.resize(count);
    units.unitScore.resize(count);
    units.weight.resize(count);
    const bool onTheta = rudner || irt.cutsOnTheta;
    units.trueCuts = onTheta ? irt.thetaTrueCuts : card.trueCuts;
    units.thetaTrueCuts = abilityTrueCuts(card, irt, setItems);
    SummedScoreAt summed(in, setItems);
    const bool tallied = in.tally.any() && !rudner;
    DistributionTally tally(tallied ? count : 0, in.scales->composite.compositeScores, in.tally);
    for (std::size_t q = 0; q < count; ++q) {
        const double theta = nodes[q].theta;
        units.groups.groupOf[q] = static_cast<std::uint32_t>(q);
        std::span<double> p(units.groups.probabilities.data() + q * categories, categories);
        const double tau = trueCompositeOf(card, irt, setItems, theta);
        units.theta[q] = theta;
        units.thetaSe[q] = 1.0 / std::sqrt(irt::testInformation(items, irt.scaling, theta));
        if (rudner) {
            irt::rudnerProbabilities(theta, units.thetaSe[q], irt.thetaObservedCuts, p);
        } else {
            units.errorVariance[q] = summed(theta, p);
        }
        units.groups.consistency[q] = conditionalConsistency(p);
        units.trueScore[q] = onTheta ? theta : tau;
        units.unitScore[q] = tau;
        units.trueComposite.push_back(tau);
        // Weights of mean 1, so that a mean over the nodes is a weighted sum.
        units.weight[q] = nodes[q].weight * static_cast<double>(count);
        if (tallied) tally.add(q, units.weight[q], tau, summed.distribution());
    }
    if (tallied) units.sums = tally.finish();
    // The model's marginal reliability: E[Var] / (E[Var] + Var[tau]).
    double meanVariance = 0.0, meanTau = 0.0;
    for (std::size_t q = 0; q < count; ++q) {
        meanVariance = meanVariance + nodes[q].weight * units.errorVariance[q];
        meanTau = meanTau + nodes[q].weight * units.unitScore[q];
    }
    double tauVariance = 0.0;
    for (std::size_t q = 0; q < count; ++q) {
        const double d = units.unitScore[q] - meanTau;
        tauVariance = tauVariance + nodes[q].weight * d * d;
    }
    units.reliability.averageErrorVariance = meanVariance;
    units.reliability.sampleVariance = meanVariance + tauVariance;
    units.reliability.reliability = 1.0 - meanVariance / (meanVariance + tauVariance);

    ModelSummary& summary = units.summary;
    describeSettings(summary, model);
    if (irt.populationTheta.empty()) {
        summary.add("population", "normal");
        summary.add("mean", irt.populationMean);
        summary.add("sd", irt.populationSd);
    } else {
        summary.add("population", irt.populationPath);
    }
    summary.add("nodes", static_cast<double>(count));
    summary.notes.push_back(
        "units are the population's quadrature nodes: conditional results are per node, and "
        "the per-examinee tables list the nodes with their true composites as scores");
    if (rudner)
        summary.notes.push_back(
            "Rudner's method has no composite distribution: the CSEM and scale-score tables "
            "are omitted, and the reliability is not defined");
    return units;
}

}  // namespace tl
