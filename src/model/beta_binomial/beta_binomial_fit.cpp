#include "model/beta_binomial/beta_binomial_fit.h"

#include <cmath>
#include <stdexcept>

#include "model/beta_binomial/refusal.h"

namespace tl::betabinomial {

namespace {

// HB's n is the item count and x' the number correct itself.
EffectiveLength numberCorrectLength(std::span<const double> scores, double a, double b,
                                    const Settings& settings) {
    const std::int32_t n = settings.itemCount;
    if (n < 2 || a != 0.0 || b != static_cast<double>(n)) {
        refuse(FindingCode::ModelHbNotDichotomous,
               "Hanson-Brennan error needs number-correct scores from 0 to the item count on "
               "one set of at least two items scored 0/1 (range " +
                   valueText(a) + " to " + valueText(b) + ", " + std::to_string(n) +
                   " items): use the Livingston-Lewis method",
               "model.method", b);
    }
    for (double x : scores) {
        if (!(x >= 0.0 && x <= b && x == std::floor(x))) {
            refuse(FindingCode::ModelHbNotDichotomous,
                   "the score " + valueText(x) + " is not a number of correct answers from 0 to " +
                       std::to_string(n) +
                       ": Hanson-Brennan error needs items scored 0/1; use the Livingston-Lewis "
                       "method",
                   "model.method", x);
        }
    }
    checkReliability(settings.reliability);
    const ScoreSummary summary = summarizeScores(scores);
    EffectiveLength length{summary.mean, summary.variance, settings.reliability,
                           static_cast<double>(n), n};
    return length;
}

}  // namespace

BetaBinomialFit fitBetaBinomial(std::span<const double> scores, double a, double b,
                                const Settings& settings) {
    // The tables pair true category k with observed category k.
    if (settings.trueCuts.size() != settings.observedCuts.size())
        throw std::invalid_argument("fitBetaBinomial: as many true cuts as observed ones");
    BetaBinomialFit out;
    const bool hb = settings.method == Method::HansonBrennan;
    out.length = hb ? numberCorrectLength(scores, a, b, settings)
                    : effectiveLength(scores, a, b, settings.reliability);
    const std::int32_t n = out.length.n;
    out.effectiveScores = effectiveScores(scores, a, b, n);
    out.frequencies = scoreFrequencies(out.effectiveScores, n);
    if (hb) {
        const double errorVariance = out.length.variance * (1.0 - out.length.reliability);
        out.k = lordK(out.length.mean, out.length.variance, errorVariance, n);
    }
    out.moments = lordMoments(out.frequencies, n, out.k);
    out.shape = shapeMoments(out.moments);
    out.beta = fitBeta(out.shape, settings.trueModel, settings.l, settings.u);

    const ErrorModel error(settings.method, n, out.k);
    out.categories = observedCategories(settings.observedCuts, a, b, n);
    out.trueCuts = trueCutsOnTau(settings.trueCuts, a, b);
    out.nodes = betaQuadrature(out.beta, out.trueCuts, 2 * n);
    out.nodeCategoryProbabilities = nodeCategoryProbabilities(out.nodes, error, out.categories);
    out.indices =
        classificationIndices(out.nodes, out.nodeCategoryProbabilities, out.categories.count());
    if (settings.conditionalRows) {
        out.tauRows = tauRows(out.beta, error, out.categories, out.trueCuts, a, b);
    }
    // The x' rows carry the expected frequencies the fit needs.
    out.scoreRows =
        scoreRows(out.nodes, error, out.categories, out.nodeCategoryProbabilities, a, b);
    std::vector<double> expected;
    const double count = static_cast<double>(scores.size());
    for (const ScoreRow& row : out.scoreRows) expected.push_back(count * row.proportion);
    out.fit = modelFit(expected, out.frequencies, out.beta.parameters, settings.minExpected);
    if (out.fit.p < 0.05) {
        Finding misfit;
        misfit.code = FindingCode::ModelMisfit;
        misfit.severity = Severity::Warning;
        misfit.value = valueText(out.fit.p);
        misfit.text = "the beta-binomial model fits the observed scores poorly (chi-square " +
                      valueText(out.fit.chi2) + ", df " + std::to_string(out.fit.df) + ", p " +
                      valueText(out.fit.p) + "): read its indices with care";
        out.findings.push_back(std::move(misfit));
    }
    if (!settings.conditionalRows) out.scoreRows.clear();
    return out;
}

}  // namespace tl::betabinomial
