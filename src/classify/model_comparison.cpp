#include "classify/model_comparison.h"

#include "classify/bootstrap_spread.h"

namespace tl {

std::vector<ComparedIndex> comparedIndices(std::int32_t categoryCount) {
    std::vector<ComparedIndex> indices;
    for (const char* name :
         {"reliability", "consistency", "chance", "kappa", "accuracy", "false_positive",
          "false_negative", "weighted_kappa_linear", "weighted_kappa_quadratic"})
        indices.push_back({name, 0});
    for (std::int32_t c = 1; c < categoryCount; ++c) {
        indices.push_back({"consistency", c});
        indices.push_back({"accuracy", c});
    }
    return indices;
}

std::vector<double> comparedValues(double reliability, const IndexSet& overall,
                                   std::span<const IndexSet> cuts, const Agreement& agreement) {
    std::vector<double> values{reliability,
                               overall.consistency,
                               overall.chance,
                               overall.kappa,
                               overall.accuracy,
                               overall.falsePositive,
                               overall.falseNegative,
                               agreement.weightedKappaLinear,
                               agreement.weightedKappaQuadratic};
    for (const IndexSet& cut : cuts) {
        values.push_back(cut.consistency);
        values.push_back(cut.accuracy);
    }
    return values;
}

ModelComparison compareModels(std::vector<ComparedIndex> indices,
                              std::span<const ModelRunValues> models) {
    ModelComparison comparison;
    comparison.indices = std::move(indices);
    if (models.empty()) return comparison;
    const ModelRunValues& primary = models.front();
    const std::size_t replicates = primary.replicates.size();
    bool paired = replicates > 0;
    for (const ModelRunValues& m : models) paired = paired && m.replicates.size() == replicates;
    comparison.replicates = static_cast<std::int64_t>(replicates);

    std::vector<double> column(replicates);
    for (const ModelRunValues& m : models) {
        ComparedModel out;
        out.name = m.name;
        out.kind = m.kind;
        out.method = m.method;
        out.values = m.values;
        out.conditionalAccuracy = m.conditionalAccuracy;
        for (std::size_t i = 0; i < m.values.size(); ++i)
            out.differences.push_back(m.values[i] - primary.values[i]);
        if (!m.replicates.empty()) {
            column.resize(m.replicates.size());
            for (std::size_t i = 0; i < m.values.size(); ++i) {
                for (std::size_t b = 0; b < m.replicates.size(); ++b)
                    column[b] = m.replicates[b][i];
                out.spreads.push_back(spreadOf(std::span<const double>(column)));
            }
        }
        if (paired) {
            column.resize(replicates);
            for (std::size_t i = 0; i < m.values.size(); ++i) {
                for (std::size_t b = 0; b < replicates; ++b)
                    column[b] = m.replicates[b][i] - primary.replicates[b][i];
                out.differenceSpreads.push_back(spreadOf(std::span<const double>(column)));
            }
        }
        comparison.models.push_back(std::move(out));
    }
    return comparison;
}

}  // namespace tl
