#pragma once

#include <cstdint>
#include <functional>

namespace tl {

// ln Γ(x) by the six-term series with γ = 5. Its values differ from the exact
// log-gamma by up to about 2e-10; the multinomial coefficients of the model are
// built from exactly these values, so no library log-gamma may replace it.
double logGamma(double x);

// ln n!, from the series above, with n = 0..99 kept in a process-wide cache.
// Not thread-safe: it is called while the per-set tables are built, on one thread.
double factln(std::int32_t n);

// Called when factln receives a negative argument (it then treats n as 0). The
// run installs a notice that shows "negative factorial in factln" and waits.
void setNegativeFactorialNotice(std::function<void()> notice);

}  // namespace tl
