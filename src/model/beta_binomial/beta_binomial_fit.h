#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "core/finding.h"
#include "model/beta_binomial/beta_fit.h"
#include "model/beta_binomial/error_model.h"
#include "model/beta_binomial/indices.h"
#include "model/beta_binomial/integration.h"
#include "model/beta_binomial/moments.h"
#include "model/score_fit.h"

namespace tl::betabinomial {

struct Settings {
    Method method = Method::LivingstonLewis;
    // In (0, 1); the caller resolves alpha, the multinomial's or a number.
    double reliability = std::numeric_limits<double>::quiet_NaN();
    std::int32_t itemCount = 0;  // Hanson-Brennan: the items of the one 0/1 set
    TrueModel trueModel = TrueModel::Auto;
    double l = 0.0;  // the range of a two-parameter beta
    double u = 1.0;
    double minExpected = 10.0;
    // Ascending, on the composite scale; as many true cuts as observed ones.
    std::vector<double> observedCuts;
    std::vector<double> trueCuts;
    // The 101 tau rows and the x' rows (a bootstrap replicate needs neither).
    bool conditionalRows = true;
};

// Everything the model fits and integrates for one set of scores.
struct BetaBinomialFit {
    // Observed mean and variance (divisor N - 1), r, n_eff and n (HB: the
    // item count for both).
    EffectiveLength length;
    double k = 0.0;  // Lord's k (HB; 0 for LL)
    TrueMoments moments;
    ShapeMoments shape;  // of tau, from the moments
    BetaFit beta;
    std::vector<std::int32_t> effectiveScores;  // x' of each score, in order
    std::vector<double> frequencies;            // how many scores are x' = 0..n
    ObservedCategories categories;
    std::vector<double> trueCuts;  // on tau
    Quadrature nodes;
    std::vector<double> nodeCategoryProbabilities;  // P(k | tau_q), K a node
    ClassificationIndices indices;
    std::vector<TauRow> tauRows;
    std::vector<ScoreRow> scoreRows;
    ModelFit fit;
    std::vector<Finding> findings;  // model.misfit when p < 0.05
};

// Fits the model to observed composite scores on the possible range a..b.
// Refuses (InputError with its finding) what the model cannot fit: see
// effectiveLength, fitBeta, and for HB scores that are not whole numbers of
// correct answers 0..itemCount on a = 0, b = itemCount
// (model.hb_not_dichotomous).
BetaBinomialFit fitBetaBinomial(std::span<const double> scores, double a, double b,
                                const Settings& settings);

}  // namespace tl::betabinomial
