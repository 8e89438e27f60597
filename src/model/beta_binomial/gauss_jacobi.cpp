#include "model/beta_binomial/gauss_jacobi.h"

#include <cmath>

#include "model/beta_binomial/ln_gamma.h"

namespace tl::betabinomial {

namespace {

// The Jacobi matrix of the monic Jacobi polynomials: diagonal d[j] and squared
// off-diagonal e[j] (e[0] is the weight's total mass).
struct JacobiMatrix {
    std::vector<double> d, e;
};

JacobiMatrix jacobiMatrix(int n, double a, double b) {
    JacobiMatrix m{std::vector<double>(n), std::vector<double>(n)};
    const double ab = a + b;
    m.e[0] = std::exp((ab + 1.0) * std::log(2.0) + lnGamma(a + 1.0) + lnGamma(b + 1.0) -
                      lnGamma(ab + 2.0));
    m.d[0] = (b - a) / (ab + 2.0);
    for (int j = 1; j < n; ++j) {
        const double jj = j;
        const double s = 2.0 * jj + ab;
        m.d[j] = (b * b - a * a) / (s * (s + 2.0));
        // For j = 1 the factor (j + a + b) / (s - 1) is 1: written out, it
        // would be 0/0 when a + b = -1.
        const double shared = j == 1 ? 1.0 : (jj + ab) / (s - 1.0);
        m.e[j] = 4.0 * jj * (jj + a) * (jj + b) * shared / (s * s * (s + 1.0));
    }
    return m;
}

// How many eigenvalues lie below x (Sturm count of the LDL^T pivots).
int countBelow(const JacobiMatrix& m, double x) {
    int count = 0;
    double pivot = 1.0;
    for (std::size_t j = 0; j < m.d.size(); ++j) {
        pivot = m.d[j] - x - (j == 0 ? 0.0 : m.e[j] / pivot);
        if (pivot == 0.0) pivot = -1e-300;
        if (pivot < 0.0) ++count;
    }
    return count;
}

}  // namespace

GaussRule gaussJacobi(int n, double a, double b) {
    const JacobiMatrix m = jacobiMatrix(n, a, b);
    GaussRule rule{std::vector<double>(n), std::vector<double>(n)};
    for (int i = 0; i < n; ++i) {
        // The (i+1)-th eigenvalue by bisection down to adjacent doubles.
        double lo = -1.0, hi = 1.0;
        while (true) {
            const double mid = 0.5 * (lo + hi);
            if (mid <= lo || mid >= hi) break;
            (countBelow(m, mid) > i ? hi : lo) = mid;
        }
        const double x = 0.5 * (lo + hi);
        rule.nodes[i] = x;
        // Christoffel: the weight is the mass over the sum of the squared
        // orthonormal polynomials at the node.
        double previous = 0.0, current = 1.0, squares = 1.0;
        for (int j = 0; j + 1 < n; ++j) {
            const double next =
                ((x - m.d[j]) * current - (j == 0 ? 0.0 : std::sqrt(m.e[j]) * previous)) /
                std::sqrt(m.e[j + 1]);
            previous = current;
            current = next;
            squares = squares + current * current;
        }
        rule.weights[i] = m.e[0] / squares;
    }
    return rule;
}

}  // namespace tl::betabinomial
