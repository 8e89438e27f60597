#include "analysis/irt_units.h"

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
    finding.text = std::string(which) + " cut " + std::to_string(c + 1) + " (" +
                   numberText(cut) +
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

}  // namespace

double irtTrueComposite(const ControlCard& card, const IrtSettings& irt, double theta) {
    const auto sets = itemsBySet(card, irt);
    double total = 0.0;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        double sum = 0.0;
        for (const irt::ItemParameters* item : sets[s])
            sum = sum + irt::expectedItemScore(*item, irt.scaling, theta,
                                               card.itemSets[s].scorePoints);
        total = total + card.itemSets[s].weight * sum;
    }
    return total;
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
    const std::span<const double> compositeScores = in.scales->composite.compositeScores;

    const auto setItems = itemsBySet(card, irt);
    const auto items = allItems(irt);
    const Patterns patterns = distinctPatterns(*in.responses, examinees);
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
    std::vector<double> theta(patternCount), se(patternCount), tau(patternCount),
        variance(patternCount, 0.0);
    std::vector<std::uint8_t> atBound(patternCount, 0);

    std::vector<std::vector<double>> weighted(setItems.size());
    for (std::size_t s = 0; s < setItems.size(); ++s)
        for (double r : in.scales->sets[s].rawScores)
            weighted[s].push_back(card.itemSets[s].weight * r);
    const std::vector<std::size_t> starts = categoryStarts(card.observedCuts, compositeScores);

    parallelFor(patternCount, in.threads, [&](std::size_t begin, std::size_t end, unsigned) {
        std::vector<double> workspace(grid.nodeCount());
        std::vector<std::vector<double>> setRows(setItems.size());
        for (std::size_t s = 0; s < setItems.size(); ++s)
            setRows[s].resize(in.scales->sets[s].rawScores.size());
        std::vector<SetRow> rows(setItems.size());
        std::vector<double> distribution(compositeScores.size());
        irt::SummedScoreScratch scratch;
        CompositeConvolution::Scratch convolution;
        for (std::size_t g = begin; g < end; ++g) {
            const std::span<const std::uint8_t> pattern(
                in.responses->cells.data() + patterns.firstExaminee[g] * in.responses->itemCount,
                in.responses->itemCount);
            irt::AbilityEstimate estimate = grid.eap(pattern, workspace);
            if (irt.maximumLikelihood) estimate = irt::mle(items, D, pattern, estimate.theta);
            theta[g] = estimate.theta;
            se[g] = estimate.se;
            atBound[g] = estimate.atBound ? 1 : 0;
            std::span<double> p(units.groups.probabilities.data() + g * categories, categories);
            if (rudner) {
                irt::rudnerProbabilities(estimate.theta, estimate.se, irt.thetaObservedCuts, p);
            } else {
                for (std::size_t s = 0; s < setItems.size(); ++s) {
                    const std::span<const double> raw = in.scales->sets[s].rawScores;
                    irt::setScoreDistribution(setItems[s], card.itemSets[s].scorePoints, D,
                                              estimate.theta, raw, setRows[s], scratch);
                    rows[s] = SetRow{setRows[s].data(), weighted[s].data(), raw.data(),
                                     card.itemSets[s].weight, raw.size()};
                }
                in.combine(rows, distribution, convolution);
                categoryProbabilities(distribution, starts, p);
                variance[g] = distributionVariance(distribution, compositeScores);
                tau[g] = irtTrueComposite(card, irt, estimate.theta);
            }
            units.groups.consistency[g] = conditionalConsistency(p);
        }
    });

    // The true category: theta against theta cuts where the model works on
    // theta, else the true composite against the composite's true cuts.
    const bool onTheta = rudner || irt.cutsOnTheta;
    units.trueCuts = onTheta ? irt.thetaTrueCuts : card.trueCuts;
    units.trueScore.resize(examinees);
    units.theta.resize(examinees);
    units.thetaSe.resize(examinees);
    // Rudner's method has no composite distribution, so no error variance.
    units.errorVariance.assign(examinees, rudner ? std::numeric_limits<double>::quiet_NaN() : 0.0);
    std::int64_t bounded = 0;
    for (std::size_t e = 0; e < examinees; ++e) {
        const std::uint32_t g = patterns.patternOf[e];
        units.theta[e] = theta[g];
        units.thetaSe[e] = se[g];
        units.trueScore[e] = onTheta ? theta[g] : tau[g];
        if (!rudner) units.errorVariance[e] = variance[g];
        bounded += atBound[g];
    }
    units.reliability = summarizeReliability(units.errorVariance, in.observedComposite);

    ModelSummary& summary = units.summary;
    summary.kind = model.kind;
    summary.method = model.method;
    summary.add("items", irt.itemsPath);
    summary.add("D", D);
    summary.add("estimator", irt.maximumLikelihood ? "mle" : "eap");
    summary.add("prior_mean", irt.priorMean);
    summary.add("prior_sd", irt.priorSd);
    summary.add("points", static_cast<double>(irt.priorPoints));
    summary.add("cuts_on", irt.cutsOnTheta ? "theta" : "raw");
    summary.add("patterns", static_cast<double>(patternCount));
    if (irt.maximumLikelihood) summary.add("at_bound", static_cast<double>(bounded));
    for (std::size_t c = 0; c < irt.thetaObservedCuts.size(); ++c)
        summary.add("theta_observed_cut_" + std::to_string(c + 1), irt.thetaObservedCuts[c]);
    for (std::size_t c = 0; c < irt.thetaTrueCuts.size(); ++c)
        summary.add("theta_true_cut_" + std::to_string(c + 1), irt.thetaTrueCuts[c]);
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

}  // namespace tl
