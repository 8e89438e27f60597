#include "model/raw_score_convolution.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "model/raw_score_distribution.h"

namespace tl {

namespace {

// Score points and spans far below 2^53, so every raw score and every offset
// the convolution uses is an exact whole number in a double.
constexpr double kMaxScorePointMagnitude = 0x1p30;
constexpr double kMaxSpan = 0x1p22;  // whole raw scores held at once
constexpr std::size_t kMaxPoints = 15;

// The two buffers of the convolution, reused by each thread from call to call.
struct Buffers {
    std::vector<double> current;
    std::vector<double> next;
};

Buffers& threadBuffers() {
    thread_local Buffers buffers;
    return buffers;
}

}  // namespace

bool convolutionApplies(int itemCount, std::span<const double> x) {
    if (itemCount < 0 || x.size() < 2 || x.size() > kMaxPoints) return false;
    for (std::size_t m = 0; m < x.size(); ++m) {
        if (!(std::fabs(x[m]) <= kMaxScorePointMagnitude) || x[m] != std::trunc(x[m])) return false;
        if (m > 0 && !(x[m - 1] < x[m])) return false;
    }
    return static_cast<double>(itemCount) * (x.back() - x.front()) <= kMaxSpan;
}

void convolveRawDistribution(int itemCount, std::span<const double> x,
                             std::span<const double> rawScores, std::span<const double> proportions,
                             std::span<double> out) {
    const std::size_t k = x.size();
    double p[kMaxPoints];
    std::size_t offset[kMaxPoints];  // x_m - x_1
    for (std::size_t m = 0; m < k; ++m) {
        p[m] = proportions[m] > 0.0 ? proportions[m] : proportionFloor();
        offset[m] = static_cast<std::size_t>(x[m] - x[0]);
    }
    const std::size_t widest = offset[k - 1];
    const std::size_t span = static_cast<std::size_t>(itemCount) * widest + 1;

    // current[r] is the probability that the items so far score r above their
    // lowest possible raw score.
    Buffers& buffers = threadBuffers();
    std::vector<double>& current = buffers.current;
    std::vector<double>& next = buffers.next;
    current.resize(span);
    next.resize(span);
    current[0] = 1.0;
    std::size_t length = 1;
    for (int item = 0; item < itemCount; ++item) {
        const std::size_t grown = length + widest;
        std::fill(next.begin(), next.begin() + static_cast<std::ptrdiff_t>(grown), 0.0);
        for (std::size_t m = 0; m < k; ++m) {
            double* to = next.data() + offset[m];
            const double* from = current.data();
            const double pm = p[m];
            for (std::size_t r = 0; r < length; ++r) to[r] = from[r] * pm + to[r];
        }
        current.swap(next);
        length = grown;
    }

    const double lowest = static_cast<double>(itemCount) * x[0];
    for (std::size_t j = 0; j < rawScores.size(); ++j) {
        const double above = rawScores[j] - lowest;
        const bool reached =
            above >= 0.0 && above < static_cast<double>(length) && above == std::trunc(above);
        out[j] = reached ? current[static_cast<std::size_t>(above)] : 0.0;
    }
}

}  // namespace tl
