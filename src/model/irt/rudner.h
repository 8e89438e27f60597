#pragma once

#include <span>

namespace tl::irt {

// The probability of each of K = cuts + 1 categories on theta when the
// estimate theta-hat is normal about theta with SD `se`:
//   P(k) = Phi((theta_(k+1) - theta) / se) - Phi((theta_k - theta) / se),
// categories k = 0 .. K - 1 between cuts theta_1 < .. < theta_(K-1), with
// theta_0 = -infinity and theta_K = +infinity. Each difference is taken in the
// tail where it is accurate. With se <= 0 all the mass is at theta's own
// category (a theta at a cut is above it). `out` has thetaCuts.size() + 1 slots.
void rudnerProbabilities(double theta, double se, std::span<const double> thetaCuts,
                         std::span<double> out);

// The standard normal distribution function, by erfc.
double normalCdf(double z);

}  // namespace tl::irt
