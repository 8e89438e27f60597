#pragma once

#include <cstdint>

namespace tl {

// ln Γ(x) by the six-term series with γ = 5. Its values differ from the exact
// log-gamma by up to about 2e-10; the multinomial coefficients of the model are
// built from exactly these values, so no library log-gamma may replace it.
double logGamma(double x);

// ln n!, from the series above; n = 0..99 come from a table built once. A
// negative n is taken as 0: callers that can pass one say so themselves.
double factln(std::int32_t n);

}  // namespace tl
