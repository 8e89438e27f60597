#pragma once

// Slow, independent integrals for the beta-binomial tests: adaptive Simpson
// on [y0, y1] of the unit interval, with the change of variable that makes a
// beta density singular at an end bounded.

#include <cmath>
#include <functional>

namespace tl::reference {

// Adaptive Simpson to an absolute tolerance, halved with each split (the
// Richardson-corrected rule).
inline double adaptiveSimpson(const std::function<double(double)>& f, double a, double b,
                              double tolerance) {
    struct Step {
        static double run(const std::function<double(double)>& f, double a, double b, double fa,
                          double fm, double fb, double whole, double tolerance, int depth) {
            const double m = 0.5 * (a + b), lm = 0.5 * (a + m), rm = 0.5 * (m + b);
            const double flm = f(lm), frm = f(rm);
            const double left = (m - a) / 6.0 * (fa + 4.0 * flm + fm);
            const double right = (b - m) / 6.0 * (fm + 4.0 * frm + fb);
            const double gap = left + right - whole;
            // Below about 1e-16 of the piece's value the gap is rounding.
            if (depth <= 0 || std::fabs(gap) <= 15.0 * tolerance ||
                std::fabs(gap) <= 1e-16 * std::fabs(left + right))
                return left + right + gap / 15.0;
            return run(f, a, m, fa, flm, fm, left, 0.5 * tolerance, depth - 1) +
                   run(f, m, b, fm, frm, fb, right, 0.5 * tolerance, depth - 1);
        }
    };
    const double fa = f(a), fb = f(b), fm = f(0.5 * (a + b));
    return Step::run(f, a, b, fa, fm, fb, (b - a) / 6.0 * (fa + 4.0 * fm + fb), tolerance, 48);
}

// The integral of f(tau) g(tau) over tau in [t0, t1] inside [l, u], g the
// beta on [l, u] with shapes alpha and beta. Near an end with a shape below 1
// the variable is y^shape, which takes the singular factor into dt.
inline double betaIntegral(const std::function<double(double)>& f, double l, double u, double alpha,
                           double beta, double t0, double t1, double tolerance = 1e-15) {
    const double logB = std::lgamma(alpha) + std::lgamma(beta) - std::lgamma(alpha + beta);
    const double w = u - l;
    const double y0 = (t0 - l) / w, y1 = (t1 - l) / w;
    auto plain = [&](double y) {
        if (y <= 0.0 || y >= 1.0) return 0.0;
        return f(l + w * y) *
               std::exp((alpha - 1.0) * std::log(y) + (beta - 1.0) * std::log1p(-y) - logB);
    };
    auto segment = [&](double a, double b) {
        if (!(b > a)) return 0.0;
        if (a == 0.0 && alpha < 1.0) {
            // y = s^(1/alpha): y^(alpha-1) dy = ds / alpha.
            auto h = [&](double s) {
                const double y = std::pow(s, 1.0 / alpha);
                return f(l + w * y) * std::exp((beta - 1.0) * std::log1p(-y) - logB) / alpha;
            };
            return adaptiveSimpson(h, 0.0, std::pow(b, alpha), tolerance);
        }
        if (b == 1.0 && beta < 1.0) {
            auto h = [&](double s) {
                const double y = 1.0 - std::pow(s, 1.0 / beta);
                return f(l + w * y) * std::exp((alpha - 1.0) * std::log(y) - logB) / beta;
            };
            return adaptiveSimpson(h, 0.0, std::pow(1.0 - a, beta), tolerance);
        }
        return adaptiveSimpson(plain, a, b, tolerance);
    };
    if (y0 < 0.5 && y1 > 0.5) return segment(y0, 0.5) + segment(0.5, y1);
    return segment(y0, y1);
}

}  // namespace tl::reference
