#include "analysis/replicate_engine.h"

#include "model/raw_score_convolution.h"
#include "plan/card_checks.h"

namespace tl {

namespace {

// Multiply-adds of the item-by-item convolution, n items over a support that
// grows by the widest score-point gap each time, against the enumeration's
// k products for each of its terms.
bool convolutionIsCheaper(const ItemSet& set, const CountVectorTable& table) {
    const double n = set.itemCount;
    const double k = set.scorePointCount;
    const double widest = set.scorePoints.back() - set.scorePoints.front();
    const double convolution = n * k * (n * widest / 2.0 + 1.0);
    const double enumeration = static_cast<double>(table.terms.size()) * k;
    return convolution < enumeration;
}

bool replicatesConvolve(const ItemSet& set, const CountVectorTable& table) {
    return static_cast<std::size_t>(set.scorePointCount) == set.scorePoints.size() &&
           convolutionApplies(set.itemCount, set.scorePoints) && convolutionIsCheaper(set, table) &&
           hasExactMultinomials(table);
}

}  // namespace

ReplicateEngine replicateEngine(const RunPlan& plan, const ControlCard& card,
                                const std::vector<CountVectorTable>& tables) {
    ReplicateEngine engine{plan.engine.convolveSet, plan.composite};
    if (plan.options.engine != Engine::Auto) return engine;
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        if (!engine.convolveSet[s])
            engine.convolveSet[s] = replicatesConvolve(card.itemSets[s], tables[s]);
    }
    if (!engine.composite.convolution && card.itemSets.size() > 1) {
        const CompositeRows rows = compositeRows(card, plan.scales);
        CompositeConvolution convolution(rows.rows);
        if (convolution.applies()) engine.composite = CompositeSetup{convolution, std::nullopt};
    }
    return engine;
}

}  // namespace tl
