#pragma once

#include <cstddef>
#include <span>

#include "core/item_parameters.h"

namespace tl::irt {

// An item's response probabilities and information at ability theta. Every
// logit is D a (theta - location), D the scaling constant of the calibration
// (1 for the plain logistic metric, 1.7 or 1.702 for the normal-ogive one).
//
//   Logistic:      P(1) = c + (u - c) / (1 + exp(-D a (theta - b))), P(0) = 1 - P(1)
//   Graded:        P*(X >= k) = 1 / (1 + exp(-D a (theta - b_k))), P*(X >= 0) = 1,
//                  P*(X >= m + 1) = 0, P(k) = P*(X >= k) - P*(X >= k + 1)
//   PartialCredit: P(k) proportional to exp(sum over v = 1 .. k of D a (theta - b_v))
//
// Each difference is taken in whichever tail keeps it accurate: P(0) of a
// logistic item is (1 - u) + (u - c) / (1 + exp(D a (theta - b))), and a graded
// category above the middle is a difference of the complements. Partial credit
// probabilities are normalised after subtracting the largest exponent, so no
// theta overflows them.
//
// Degenerate parameters are taken as the formulas give them: a = 0 makes the
// item uninformative (flat in theta); a < 0 reverses it, and a graded item with
// a < 0 and increasing boundaries then has negative category "probabilities".
// The parameter reader refuses the boundaries and asymptotes these formulas
// cannot use and warns of a <= 0.

// The probability of each category 0 .. m; `out` has item.categoryCount() slots.
void categoryProbabilities(const ItemParameters& item, double D, double theta,
                           std::span<double> out);

// E[score | theta], category k scored at scorePoints[k] (categoryCount() of them).
double expectedItemScore(const ItemParameters& item, double D, double theta,
                         std::span<const double> scorePoints);

// The item's Fisher information at theta, in theta units:
//   Logistic:  P'(theta)^2 / (P (1 - P)), with P' = D a (u - c) s (1 - s), s the logistic
//   Graded and PartialCredit: the sum over k of P_k'(theta)^2 / P_k(theta)
// (for partial credit this is (D a)^2 times the variance of the category index).
// A category whose probability underflows to 0 adds its limit, 0.
double itemInformation(const ItemParameters& item, double D, double theta);

// d/dtheta ln P(category | theta): the item's term of the likelihood's score
// function. 0 where the category's probability underflows to 0 for a logistic
// or graded item (the term is then not defined; the caller never sees it for a
// category it observed at a finite theta).
double logProbabilitySlope(const ItemParameters& item, double D, double theta,
                           std::size_t category);

}  // namespace tl::irt
