#pragma once

namespace tl::betabinomial {

// ln Gamma(x) for x > 0 by std::lgamma, one caller at a time: std::lgamma may
// write the global signgam, and bootstrap replicates are fitted side by side.
double lnGamma(double x);

}  // namespace tl::betabinomial
