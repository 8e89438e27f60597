#pragma once

#include <optional>
#include <string>

#include "model/beta_binomial/moments.h"

namespace tl::betabinomial {

// A beta true-score distribution on [l, u] with shapes alpha and beta:
// g(tau) = (tau - l)^(alpha-1) (u - tau)^(beta-1) / (B(alpha, beta) (u - l)^(alpha+beta-1)).
struct BetaFit {
    double l = 0.0;
    double u = 1.0;
    double alpha = 1.0;
    double beta = 1.0;
    int parameters = 2;  // how many were fitted: 4, 3 or 2
    std::string fit;     // "4P", "3P l=0", "3P u=1", "2P"
    std::string why;     // why the fits before it were not taken; empty for the first
};

// Which beta to fit: the first admissible of 4P, 3P l=0, 3P u=1 and 2P, or
// one forced (3P tries l = 0, then u = 1).
enum class TrueModel { Auto, FourParameter, ThreeParameter, TwoParameter };

// Mean, variance, skewness and kurtosis (fourth standardised moment).
struct ShapeMoments {
    double mean = 0.0;
    double variance = 0.0;
    double skewness = 0.0;
    double kurtosis = 0.0;
};
ShapeMoments shapeMoments(const TrueMoments& moments);
// Those of a fitted beta.
ShapeMoments betaMoments(const BetaFit& fit);

// One fit tried: the beta, or why there is none.
struct BetaAttempt {
    std::optional<BetaFit> fit;
    std::string why;
};

// The four-parameter beta with the four moments (method of moments):
// s = alpha + beta = 6 (kurt - skew^2 - 1) / (6 + 3 skew^2 - 2 kurt),
// alpha, beta = s/2 (1 -+ skew (s + 2) / sqrt(skew^2 (s + 2)^2 + 16 (s + 1))),
// u - l = sqrt(var s^2 (s + 1) / (alpha beta)), l = mean - (u - l) alpha / s.
// Admissible when real with alpha, beta > 0 and 0 <= l < u <= 1.
BetaAttempt fourParameterBeta(const ShapeMoments& m);

// The three-parameter beta with one end fixed (l = 0, or u = 1 when
// upperFixed) that matches mean, variance and skewness. For each free end the
// mean and variance give the shapes; the skewness equation in the free end is
// solved by bisection between sign changes on a grid to 1e-12. Of several
// admissible roots the widest range is taken.
BetaAttempt threeParameterBeta(const ShapeMoments& m, bool upperFixed);

// The two-parameter beta on [l, u] with the mean and variance.
BetaAttempt twoParameterBeta(const ShapeMoments& m, double l, double u);

// The fit the model asks for; refuses (model.no_beta_fit) when none is
// admissible.
BetaFit fitBeta(const ShapeMoments& m, TrueModel model, double l = 0.0, double u = 1.0);

}  // namespace tl::betabinomial
