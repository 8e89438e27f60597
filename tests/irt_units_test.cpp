// The IRT model's units as the classification receives them, against what the
// model's own kernels give at the same abilities.
#include "analysis/irt_units.h"

#include <gtest/gtest.h>

#include <cmath>

#include "classify/classification.h"
#include "core/errors.h"
#include "model/irt/ability.h"
#include "model/irt/summed_score.h"
#include "plan/score_ranges.h"

namespace tl {
namespace {

// A Rasch test of one set, its composite 0..4 cut at 1.5 and 2.5: categories
// {0, 1}, {2} and {3, 4}, symmetric about 2, as are the cuts' abilities.
struct RaschTest {
    ControlCard card;
    ScoreScales scales;
    ModelChoice model;
    CompositeSetup setup;
    ResponseTable responses;
    std::vector<double> observed;

    explicit RaschTest(std::vector<std::vector<std::uint8_t>> patterns) {
        ItemSet set;
        set.weight = 1.0;
        set.itemCount = 4;
        set.scorePointCount = 2;
        set.scorePoints = {0.0, 1.0};
        set.highestScorePoint = 1.0;
        card.itemSets = {set};
        card.categoryCount = 3;
        card.observedCuts = {1.5, 2.5};
        card.trueCuts = {1.5, 2.5};
        scales = deriveScoreScales(card);
        model.kind = ModelKind::Irt;
        model.method = ModelMethod::SummedP;
        for (double b : {-1.0, -0.5, 0.5, 1.0}) {
            irt::ItemParameters item;
            item.item = "i" + std::to_string(model.irt.parameters.size() + 1);
            item.b = b;
            model.irt.parameters.push_back(item);
        }
        responses.itemCount = 4;
        for (const auto& pattern : patterns) {
            responses.cells.insert(responses.cells.end(), pattern.begin(), pattern.end());
            double sum = 0.0;
            for (std::uint8_t c : pattern) sum = sum + c;
            observed.push_back(sum);
        }
    }

    IrtUnitsInput input() const {
        IrtUnitsInput in;
        in.card = &card;
        in.scales = &scales;
        in.model = &model;
        in.observedComposite = observed;
        in.responses = &responses;
        in.combine = {&setup, nullptr, scales.composite.compositeScores,
                      scales.composite.minComposite};
        in.threads = 1;
        return in;
    }
};

std::span<const double> row(const ModelUnits& units, std::size_t unit) {
    return {units.groups.probabilities.data() + units.groups.groupOf[unit] * 3, 3};
}

TEST(IrtUnits, OneSetOfWeightOneGivesTheSetsOwnDistribution) {
    const RaschTest test({{1, 0, 1, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}});
    const ModelUnits units = irtExamineeUnits(test.input());
    std::vector<const irt::ItemParameters*> items;
    for (const auto& p : test.model.irt.parameters) items.push_back(&p);
    for (std::size_t e = 0; e < 3; ++e) {
        const std::vector<double> q =
            irt::setScoreDistribution(items, test.card.itemSets[0].scorePoints, 1.0, units.theta[e],
                                      test.scales.sets[0].rawScores);
        std::vector<double> expected(3);
        categoryProbabilities(
            q, categoryStarts(test.card.observedCuts, test.scales.composite.compositeScores),
            expected);
        for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(row(units, e)[k], expected[k]);
    }
}

TEST(IrtUnits, ANodeAtAnExamineesAbilityIsThatExaminee) {
    RaschTest test({{1, 0, 1, 0}});
    const ModelUnits examinee = irtExamineeUnits(test.input());
    test.model.method = ModelMethod::SummedD;
    test.model.irt.populationMean = examinee.theta[0];
    test.model.irt.populationPoints = 1;
    const ModelUnits node = irtNodeUnits(test.input());
    ASSERT_EQ(node.groups.groupOf.size(), 1u);
    for (std::size_t k = 0; k < 3; ++k) EXPECT_EQ(row(node, 0)[k], row(examinee, 0)[k]);
    EXPECT_EQ(node.errorVariance[0], examinee.errorVariance[0]);
    EXPECT_EQ(node.trueScore[0], examinee.trueScore[0]);
}

TEST(IrtUnits, SymmetricRaschTestAndPopulationGiveMirroredNodes) {
    RaschTest test({{1, 0, 1, 0}});
    for (ModelMethod method : {ModelMethod::SummedD, ModelMethod::RudnerD}) {
        test.model.method = method;
        if (method == ModelMethod::RudnerD) settleIrtCuts(test.card, test.model.irt, true);
        const ModelUnits units = irtNodeUnits(test.input());
        const std::size_t n = units.groups.groupOf.size();
        for (std::size_t q = 0; q < n; ++q) {
            const std::size_t mirror = n - 1 - q;
            EXPECT_NEAR(units.weight[q], units.weight[mirror], 1e-12);
            EXPECT_NEAR(units.unitScore[q], 4.0 - units.unitScore[mirror], 1e-12);
            for (std::size_t k = 0; k < 3; ++k)
                EXPECT_NEAR(row(units, q)[k], row(units, mirror)[2 - k], 1e-12)
                    << "node " << q << " category " << k;
        }
    }
}

TEST(IrtUnits, RudnerCutsAreTheAbilitiesOfTheCompositeCuts) {
    RaschTest test({{1, 0, 1, 0}});
    settleIrtCuts(test.card, test.model.irt, true);
    ASSERT_EQ(test.model.irt.thetaObservedCuts.size(), 2u);
    for (std::size_t c = 0; c < 2; ++c) {
        EXPECT_NEAR(
            irtTrueComposite(test.card, test.model.irt, test.model.irt.thetaObservedCuts[c]),
            test.card.observedCuts[c], 1e-8);
    }
    ControlCard beyond = test.card;
    beyond.observedCuts = {1.5, 4.0};  // the true composite only tends to 4
    beyond.trueCuts = beyond.observedCuts;
    IrtSettings irt = test.model.irt;
    EXPECT_THROW(settleIrtCuts(beyond, irt, true), InputError);
}

}  // namespace
}  // namespace tl
