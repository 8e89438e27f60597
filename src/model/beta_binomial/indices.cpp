#include "model/beta_binomial/indices.h"

#include <cmath>
#include <limits>

namespace tl::betabinomial {

namespace {

double sumOfSquares(std::span<const double> p) {
    double sum = 0.0;
    for (double v : p) sum = sum + v * v;
    return sum;
}

}  // namespace

ClassificationIndices classificationIndices(const Quadrature& nodes,
                                            std::span<const double> categoryProbabilities,
                                            std::size_t categoryCount) {
    const std::size_t K = categoryCount;
    ClassificationIndices out;
    out.trueByObserved.assign(K, std::vector<double>(K, 0.0));
    out.consistencyTable.assign(K, std::vector<double>(K, 0.0));
    for (std::size_t q = 0; q < nodes.tau.size(); ++q) {
        const double w = nodes.weight[q];
        const double* p = categoryProbabilities.data() + q * K;
        auto& row = out.trueByObserved[static_cast<std::size_t>(nodes.trueCategory[q])];
        for (std::size_t k = 0; k < K; ++k) row[k] = row[k] + w * p[k];
        for (std::size_t j = 0; j < K; ++j)
            for (std::size_t k = 0; k < K; ++k)
                out.consistencyTable[j][k] = out.consistencyTable[j][k] + w * (p[j] * p[k]);
    }
    IndexValues& v = out.overall;
    for (std::size_t j = 0; j < K; ++j) {
        v.consistency = v.consistency + out.consistencyTable[j][j];
        v.accuracy = v.accuracy + out.trueByObserved[j][j];
        for (std::size_t k = 0; k < K; ++k) {
            if (k > j) v.falsePositive = v.falsePositive + out.trueByObserved[j][k];
            if (k < j) v.falseNegative = v.falseNegative + out.trueByObserved[j][k];
        }
    }
    for (std::size_t k = 0; k < K; ++k) {
        double margin = 0.0;
        for (std::size_t j = 0; j < K; ++j) margin = margin + out.consistencyTable[j][k];
        v.chance = v.chance + margin * margin;
    }
    v.kappa = v.chance == 1.0 ? std::numeric_limits<double>::quiet_NaN()
                              : (v.consistency - v.chance) / (1.0 - v.chance);
    return out;
}

std::vector<double> nodeCategoryProbabilities(const Quadrature& nodes, const ErrorModel& error,
                                              const ObservedCategories& categories) {
    const std::size_t K = categories.count();
    std::vector<double> out(nodes.tau.size() * K);
    std::vector<double> pmf(static_cast<std::size_t>(error.length()) + 1);
    for (std::size_t q = 0; q < nodes.tau.size(); ++q) {
        error.probabilities(nodes.tau[q], pmf);
        categoryProbabilities(categories, pmf, std::span<double>(out).subspan(q * K, K));
    }
    return out;
}

std::vector<TauRow> tauRows(const BetaFit& beta, const ErrorModel& error,
                            const ObservedCategories& categories, std::span<const double> trueCuts,
                            double a, double b) {
    constexpr int kPoints = 101;
    const double scale = (b - a) / static_cast<double>(error.length());
    std::vector<double> pmf(static_cast<std::size_t>(error.length()) + 1);
    std::vector<TauRow> rows;
    for (int i = 0; i < kPoints; ++i) {
        TauRow row;
        row.tau = i == kPoints - 1 ? beta.u : beta.l + (beta.u - beta.l) * i / (kPoints - 1.0);
        row.density = betaDensity(beta, row.tau);
        row.trueCategory = trueCategoryOf(trueCuts, row.tau);
        error.probabilities(row.tau, pmf);
        row.categoryProbabilities.resize(categories.count());
        categoryProbabilities(categories, pmf, row.categoryProbabilities);
        row.consistency = sumOfSquares(row.categoryProbabilities);
        row.accuracy = static_cast<std::size_t>(row.trueCategory) < categories.count()
                           ? row.categoryProbabilities[static_cast<std::size_t>(row.trueCategory)]
                           : 0.0;
        row.csem = std::sqrt(std::max(0.0, error.variance(row.tau))) * scale;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<ScoreRow> scoreRows(const Quadrature& nodes, const ErrorModel& error,
                                const ObservedCategories& categories,
                                std::span<const double> nodeCategoryProbabilities, double a,
                                double b) {
    const std::size_t K = categories.count();
    const auto size = static_cast<std::size_t>(error.length()) + 1;
    std::vector<ScoreRow> rows(size);
    std::vector<double> variance(size, 0.0);
    for (std::size_t x = 0; x < size; ++x) {
        rows[x].score = static_cast<std::int32_t>(x);
        rows[x].observedCategory = categories.ofScore[x];
        rows[x].categoryProbabilities.assign(K, 0.0);
    }
    std::vector<double> pmf(size);
    for (std::size_t q = 0; q < nodes.tau.size(); ++q) {
        error.probabilities(nodes.tau[q], pmf);
        const double* p = nodeCategoryProbabilities.data() + q * K;
        const double phi = sumOfSquares(std::span<const double>(p, K));
        const double v = error.variance(nodes.tau[q]);
        for (std::size_t x = 0; x < size; ++x) {
            const double w = nodes.weight[q] * pmf[x];
            ScoreRow& row = rows[x];
            row.proportion = row.proportion + w;
            for (std::size_t k = 0; k < K; ++k)
                row.categoryProbabilities[k] = row.categoryProbabilities[k] + w * p[k];
            row.consistency = row.consistency + w * phi;
            if (nodes.trueCategory[q] == row.observedCategory) row.accuracy = row.accuracy + w;
            variance[x] = variance[x] + w * v;
        }
    }
    const double scale = (b - a) / static_cast<double>(error.length());
    for (std::size_t x = 0; x < size; ++x) {
        ScoreRow& row = rows[x];
        const double m = row.proportion > 0.0 ? row.proportion : std::nan("");
        for (double& p : row.categoryProbabilities) p = p / m;
        row.consistency = row.consistency / m;
        row.accuracy = row.accuracy / m;
        const double v = variance[x] / m;
        row.csem = std::sqrt(v > 0.0 || std::isnan(v) ? v : 0.0) * scale;
    }
    return rows;
}

double scaleVarianceAt(const ErrorModel& error, double tau, std::span<const double> scaleOfScore,
                       std::vector<double>& pmf) {
    pmf.resize(scaleOfScore.size());
    error.probabilities(tau, pmf);
    double mean = 0.0, square = 0.0;
    for (std::size_t x = 0; x < scaleOfScore.size(); ++x) {
        const double ps = pmf[x] * scaleOfScore[x];
        mean = mean + ps;
        square = square + ps * scaleOfScore[x];
    }
    const double variance = square - mean * mean;
    return variance > 0.0 || std::isnan(variance) ? variance : 0.0;
}

std::vector<double> posteriorScaleVariance(const Quadrature& nodes, const ErrorModel& error,
                                           std::span<const double> scaleOfScore) {
    const std::size_t size = scaleOfScore.size();
    std::vector<double> mass(size, 0.0), sum(size, 0.0), pmf(size);
    for (std::size_t q = 0; q < nodes.tau.size(); ++q) {
        const double v = scaleVarianceAt(error, nodes.tau[q], scaleOfScore, pmf);
        for (std::size_t x = 0; x < size; ++x) {
            const double w = nodes.weight[q] * pmf[x];
            mass[x] = mass[x] + w;
            sum[x] = sum[x] + w * v;
        }
    }
    for (std::size_t x = 0; x < size; ++x) sum[x] = mass[x] > 0.0 ? sum[x] / mass[x] : std::nan("");
    return sum;
}

}  // namespace tl::betabinomial
