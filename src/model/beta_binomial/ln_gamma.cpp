#include "model/beta_binomial/ln_gamma.h"

#include <cmath>
#include <mutex>

namespace tl::betabinomial {

double lnGamma(double x) {
    static std::mutex guard;
    const std::lock_guard<std::mutex> lock(guard);
    return std::lgamma(x);
}

}  // namespace tl::betabinomial
