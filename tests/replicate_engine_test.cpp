// How a bias-corrected bootstrap's replicates compute their distributions: a
// set is convolved only where that is cheaper and adds up the enumeration's
// very terms (exact multinomial coefficients), the composite wherever its
// convolution files every combination as the nested loops do, and a named
// engine is kept.
#include "analysis/replicate_engine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "model/count_vector_table.h"
#include "plan/run_plan.h"
#include "support/program_run.h"

namespace tl {
namespace {

struct SetShape {
    double weight;
    int items;
    int points;  // score points 0 .. points - 1
};

ControlCard cardOf(const std::vector<SetShape>& shapes) {
    ControlCard card;
    card.setCount = static_cast<std::int32_t>(shapes.size());
    double highest = 0.0;
    for (const SetShape& shape : shapes) {
        ItemSet set;
        set.weight = shape.weight;
        set.itemCount = shape.items;
        set.scorePointCount = shape.points;
        for (int m = 0; m < shape.points; ++m) set.scorePoints.push_back(m);
        set.highestScorePoint = shape.points - 1;
        set.dataFile = "set" + std::to_string(card.itemSets.size() + 1) + ".dat";
        highest += shape.weight * shape.items * (shape.points - 1);
        card.itemSets.push_back(set);
    }
    card.categoryCount = 2;
    card.observedCuts = {std::floor(highest / 2) + 0.5};
    card.trueCuts = card.observedCuts;
    card.outputFile = "out.txt";
    card.biasCorrection = 1;
    return card;
}

struct EngineCase {
    const char* name;
    std::vector<SetShape> sets;
    Engine engine;
    std::vector<bool> convolveSet;
    bool convolveComposite;
};

void PrintTo(const EngineCase& c, std::ostream* os) {
    *os << c.name;
}

class Replicates : public ::testing::TestWithParam<EngineCase> {};

TEST_P(Replicates, ConvolveWhereItIsCheaperAndAddsTheSameTerms) {
    const EngineCase& c = GetParam();
    const ControlCard card = cardOf(c.sets);
    AnalysisOptions options;
    options.engine = c.engine;
    const RunPlan plan = planRun(card, options);
    std::vector<CountVectorTable> tables;
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        const ItemSet& set = card.itemSets[s];
        tables.push_back(plan.engine.convolveSet[s]
                             ? CountVectorTable{}
                             : buildCountVectorTable(set.itemCount, set.scorePoints,
                                                     plan.scales.sets[s].rawScores));
    }
    const ReplicateEngine engine = replicateEngine(plan, card, tables);
    EXPECT_EQ(engine.convolveSet, c.convolveSet);
    EXPECT_EQ(engine.composite.convolution.has_value(), c.convolveComposite);
}

INSTANTIATE_TEST_SUITE_P(
    Cards, Replicates,
    ::testing::Values(
        // 11,628 count vectors against 14 items over a span of 70 points.
        EngineCase{"two-scales-14x6", {{1, 14, 6}, {1, 14, 6}}, Engine::Auto, {true, true}, true},
        // 51 terms of 0/1 items cost less than 50 convolution steps.
        EngineCase{"50x01-and-8x5", {{1, 50, 2}, {2, 8, 5}}, Engine::Auto, {false, true}, true},
        // Cheaper to convolve, but coefficients beyond 1e9 are the series'.
        EngineCase{"40x4", {{1, 40, 4}}, Engine::Auto, {false}, false},
        EngineCase{"one-set-15x5", {{1, 15, 5}}, Engine::Auto, {true}, false},
        // Weights whose multiples are not exact keep the nested loops.
        EngineCase{
            "weights-0.1-0.3", {{0.1, 14, 6}, {0.3, 5, 3}}, Engine::Auto, {true, false}, false},
        EngineCase{
            "enumerate-asked", {{1, 14, 6}, {1, 14, 6}}, Engine::Enumerate, {false, false}, false}),
    [](const auto& info) { return testing::testNameOf(info.param.name); });

TEST(CountVectorTable, KnowsWhetherItsCoefficientsAreTheExactMultinomials) {
    struct Case {
        int items, points;
        bool exact;
    };
    for (const Case c : {Case{14, 6, true}, Case{15, 5, true}, Case{1, 2, true}, Case{30, 3, false},
                         Case{40, 4, false}}) {
        std::vector<double> x(static_cast<std::size_t>(c.points));
        std::iota(x.begin(), x.end(), 0.0);
        std::vector<double> raw(static_cast<std::size_t>(c.items * (c.points - 1) + 1));
        std::iota(raw.begin(), raw.end(), 0.0);
        EXPECT_EQ(hasExactMultinomials(buildCountVectorTable(c.items, x, raw)), c.exact)
            << c.items << " items, " << c.points << " points";
    }
}

}  // namespace
}  // namespace tl
