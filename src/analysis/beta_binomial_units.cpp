#include "analysis/beta_binomial_units.h"

#include <cmath>

#include "classify/classification.h"
#include "model/beta_binomial/beta_binomial_fit.h"

namespace tl {

namespace {

betabinomial::TrueModel trueModelNamed(const std::string& name) {
    if (name == "4P") return betabinomial::TrueModel::FourParameter;
    if (name == "3P") return betabinomial::TrueModel::ThreeParameter;
    if (name == "2P") return betabinomial::TrueModel::TwoParameter;
    return betabinomial::TrueModel::Auto;
}

void describe(ModelSummary& summary, const ModelChoice& model,
              const betabinomial::BetaBinomialFit& fit, double a, double b,
              const std::string& reliabilitySource) {
    summary.kind = model.kind;
    summary.method = model.method;
    summary.add("a", a);
    summary.add("b", b);
    summary.add("reliability", fit.length.reliability);
    summary.add("reliability_source", reliabilitySource);
    summary.add("mean", fit.length.mean);
    summary.add("variance", fit.length.variance);
    summary.add("n_eff", fit.length.nEff);
    summary.add("n", static_cast<double>(fit.length.n));
    if (model.method == ModelMethod::HansonBrennan) summary.add("k", fit.k);
    for (std::size_t r = 0; r < fit.moments.raw.size(); ++r)
        summary.add("m" + std::to_string(r + 1), fit.moments.raw[r]);
    summary.add("true_model", fit.beta.fit);
    summary.add("l", fit.beta.l);
    summary.add("u", fit.beta.u);
    summary.add("alpha", fit.beta.alpha);
    summary.add("beta", fit.beta.beta);
    if (!fit.beta.why.empty()) summary.add("fallback", fit.beta.why);
    if (fit.beta.parameters < 4) summary.fellBackFrom = fit.beta.why.empty() ? "4P" : fit.beta.why;
    summary.add("nodes", static_cast<double>(fit.nodes.tau.size()));
    summary.notes.push_back(
        "units are the quadrature nodes of the fitted beta true-score distribution: every "
        "index is an integral over it; conditional results are per node, by true composite");
    summary.notes.push_back(
        "the observed mean and variance use divisor N - 1, as the beta-binomial literature "
        "does");
}

// The scale score of each effective score x' = 0 .. n.
std::vector<double> scaleOfEffectiveScores(const ScaleConversion& scale, double a, double b,
                                           std::int32_t n) {
    std::vector<double> scores;
    for (std::int32_t x = 0; x <= n; ++x)
        scores.push_back(scale.scaleScoreOf(a + (b - a) * static_cast<double>(x) / n));
    return scores;
}

// The 101 rows across the true scores and the rows of each effective score,
// and each examinee's effective score; with scale scores, each row's scale CSEM.
void describeRows(ModelSummary& summary, const betabinomial::BetaBinomialFit& fit, double a,
                  double b, std::span<const double> observed, const betabinomial::ErrorModel& error,
                  const ScaleConversion* scale) {
    const double n = static_cast<double>(fit.length.n);
    std::vector<double> scaleOfScore, posterior, pmf;
    if (scale) {
        scaleOfScore = scaleOfEffectiveScores(*scale, a, b, fit.length.n);
        posterior = betabinomial::posteriorScaleVariance(fit.nodes, error, scaleOfScore);
    }
    for (const betabinomial::TauRow& row : fit.tauRows) {
        ModelConditionalRow& out = summary.conditional.emplace_back(ModelConditionalRow{
            "tau", row.tau, a + (b - a) * row.tau, row.trueCategory + 1, row.density,
            row.categoryProbabilities, row.consistency, row.accuracy, row.csem});
        if (scale)
            out.scaleVariance = betabinomial::scaleVarianceAt(error, row.tau, scaleOfScore, pmf);
    }
    const auto first = static_cast<std::int32_t>(summary.conditional.size());
    for (const betabinomial::ScoreRow& row : fit.scoreRows) {
        const double x = static_cast<double>(row.score);
        ModelConditionalRow& out = summary.conditional.emplace_back(ModelConditionalRow{
            "score", x, a + (b - a) * x / n, row.observedCategory + 1, row.proportion,
            row.categoryProbabilities, row.consistency, row.accuracy, row.csem});
        if (scale) out.scaleVariance = posterior[static_cast<std::size_t>(row.score)];
    }
    ModelExaminees& examinees = summary.examinees.emplace();
    examinees.composite.assign(observed.begin(), observed.end());
    for (std::int32_t x : fit.effectiveScores) examinees.scoreRow.push_back(first + x);
}

}  // namespace

ModelUnits betaBinomialUnits(const BetaBinomialUnitsInput& in) {
    const ControlCard& card = *in.card;
    const ModelChoice& model = *in.model;
    const BetaBinomialSettings& settings = model.betaBinomial;
    const double a = static_cast<double>(in.scales->composite.minComposite);
    const double b = static_cast<double>(in.scales->composite.maxComposite);

    betabinomial::Settings fitting;
    fitting.method = model.method == ModelMethod::HansonBrennan
                         ? betabinomial::Method::HansonBrennan
                         : betabinomial::Method::LivingstonLewis;
    fitting.reliability = in.reliability;
    fitting.itemCount = card.itemSets.empty() ? 0 : card.itemSets[0].itemCount;
    fitting.trueModel = trueModelNamed(settings.trueModel);
    fitting.l = settings.lower.value_or(0.0);
    fitting.u = settings.upper.value_or(1.0);
    fitting.minExpected = model.minExpected;
    fitting.observedCuts = card.observedCuts;
    fitting.trueCuts = card.trueCuts;
    fitting.conditionalRows = !in.forReplicate;
    const betabinomial::BetaBinomialFit fit =
        betabinomial::fitBetaBinomial(in.observedComposite, a, b, fitting);

    const auto categories = static_cast<std::size_t>(card.categoryCount);
    const std::size_t count = fit.nodes.tau.size();
    const double n = static_cast<double>(fit.length.n);
    const betabinomial::ErrorModel error(fitting.method, fit.length.n, fit.k);
    ModelUnits units;
    units.groups.groupOf.resize(count);
    units.groups.probabilities = fit.nodeCategoryProbabilities;
    units.groups.consistency.resize(count);
    units.trueScore = fit.nodes.tau;
    units.trueCuts = fit.trueCuts;
    units.weight.resize(count);
    units.unitScore.resize(count);
    units.errorVariance.resize(count);
    const double scale = (b - a) / n;
    for (std::size_t q = 0; q < count; ++q) {
        units.groups.groupOf[q] = static_cast<std::uint32_t>(q);
        units.groups.consistency[q] = conditionalConsistency(std::span<const double>(
            units.groups.probabilities.data() + q * categories, categories));
        units.weight[q] = fit.nodes.weight[q] * static_cast<double>(count);
        units.unitScore[q] = a + (b - a) * fit.nodes.tau[q];
        units.errorVariance[q] = error.variance(fit.nodes.tau[q]) * scale * scale;
    }
    units.reliability.reliability = fit.length.reliability;
    units.reliability.sampleVariance = fit.length.variance;
    double meanError = 0.0;
    for (std::size_t q = 0; q < count; ++q)
        meanError = meanError + fit.nodes.weight[q] * units.errorVariance[q];
    units.reliability.averageErrorVariance = meanError;

    describe(units.summary, model, fit, a, b, in.reliabilitySource);
    ModelFitSummary& summary = units.summary.fit.emplace();
    for (const FitBin& bin : fit.fit.bins)
        summary.bins.push_back({static_cast<double>(bin.first), static_cast<double>(bin.last),
                                bin.expected, bin.observed});
    summary.chi2 = fit.fit.chi2;
    summary.df = fit.fit.df;
    summary.p = fit.fit.p;
    summary.largestCdfDifference = fit.fit.largestCdfDifference;
    units.summary.findings = fit.findings;
    if (!in.forReplicate)
        describeRows(units.summary, fit, a, b, in.observedComposite, error, in.scale);
    return units;
}

std::vector<double> betaBinomialScaleVariance(const ModelUnits& units) {
    const ModelSummary& summary = units.summary;
    std::vector<double> variance;
    if (!summary.examinees) return variance;
    for (std::int32_t row : summary.examinees->scoreRow)
        variance.push_back(summary.conditional[static_cast<std::size_t>(row)].scaleVariance);
    return variance;
}

}  // namespace tl
