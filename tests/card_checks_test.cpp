// Control cards that no run can work with are refused before any data file is
// opened, each with one console line beginning "Error! ".
#include "plan/card_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "analysis/analyze.h"
#include "core/errors.h"
#include "input/control_card_reader.h"
#include "plan/run_plan.h"
#include "plan/score_ranges.h"
#include "support/card_text.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;

// Two sets of four items scored 0, 1, 2; three categories.
ControlCard workableCard() {
    testing::CardText text;
    text.sets.push_back(testing::SetText{"1", "4", "3", "0 1 2", "b.dat"});
    text.categories = std::string("3");
    text.observedCuts = text.trueCuts = std::string("4 8");
    return readControlCard(text.str(), "card.txt");
}

// The console line of the refusal, or "" when the card is accepted.
std::string refusalOf(const ControlCard& card, const std::string& cardFile = "card.txt") {
    try {
        refuseUnworkableCard(card, deriveScoreScales(card));
        refuseUnsafeOutput(card, cardFile);
    } catch (const DetectedError& error) {
        return error.consoleLine;
    }
    return "";
}

TEST(CardChecks, RefusesCardsTheModelCannotTake) {
    const struct {
        const char* what;
        std::function<void(ControlCard&)> edit;
        const char* line;  // "" when the card must pass
    } cases[] = {
        {"a workable card", [](ControlCard&) {}, ""},
        {"no item set", [](ControlCard& c) { c.setCount = 0, c.itemSets.clear(); },
         "Error! The number of item sets must be at least 1, not 0."},
        {"negative set count", [](ControlCard& c) { c.setCount = -3, c.itemSets.clear(); },
         "Error! The number of item sets must be at least 1, not -3."},
        {"no items", [](ControlCard& c) { c.itemSets[1].itemCount = 0; },
         "Error! Set 2: the number of items must be at least 1, not 0."},
        {"one score point",
         [](ControlCard& c) { c.itemSets[0].scorePointCount = 1, c.itemSets[0].scorePoints = {0}; },
         "Error! Set 1: at least 2 score points are needed, not 1."},
        {"score points descending",
         [](ControlCard& c) {
             c.itemSets[0].scorePoints = {0, 2, 1};
         },
         "Error! Set 1: the score points must be listed in ascending order, each once."},
        {"a score point repeated",
         [](ControlCard& c) {
             c.itemSets[1].scorePoints = {0, 1, 1};
         },
         "Error! Set 2: the score points must be listed in ascending order, each once."},
        {"one category", [](ControlCard& c) { c.categoryCount = 1; },
         "Error! The number of categories must be from 2 to 10, not 1."},
        {"eleven categories", [](ControlCard& c) { c.categoryCount = 11; },
         "Error! The number of categories must be from 2 to 10, not 11."},
        {"ten categories", [](ControlCard& c) { c.categoryCount = 10; }, ""},
        {"observed cuts decrease",
         [](ControlCard& c) {
             c.observedCuts = {8, 4};
         },
         "Error! The observed cut scores must not decrease."},
        {"true cuts decrease",
         [](ControlCard& c) {
             c.trueCuts = {4, 3.5};
         },
         "Error! The true cut scores must not decrease."},
        {"equal cuts",
         [](ControlCard& c) {
             c.observedCuts = c.trueCuts = {4, 4};
         },
         ""},
        {"too many count vectors, on fractional points that convolution cannot take",
         [](ControlCard& c) {
             ItemSet& set = c.itemSets[0];
             set.itemCount = 220;
             set.scorePointCount = 15;
             set.scorePoints = {0, .5, 1, 1.5, 2, 2.5, 3, 3.5, 4, 4.5, 5, 5.5, 6, 6.5, 7};
             set.highestScorePoint = 7;
         },
         "Error! Set 1: 220 items with 15 score points give more than 20000000 count vectors "
         "to enumerate."},
        {"too many count vectors on whole points: convolved instead",
         [](ControlCard& c) {
             ItemSet& set = c.itemSets[0];
             set.itemCount = 220;
             set.scorePointCount = 15;
             set.scorePoints = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
             set.highestScorePoint = 14;
         },
         ""},
        {"sixteen score points are left to the stop when the set is reached",
         [](ControlCard& c) {
             ItemSet& set = c.itemSets[1];
             set.scorePointCount = 16;
             set.scorePoints = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
             set.highestScorePoint = 15;
         },
         ""},
    };
    for (const auto& c : cases) {
        ControlCard card = workableCard();
        c.edit(card);
        EXPECT_EQ(refusalOf(card), c.line) << c.what;
    }
}

TEST(CardChecks, EnumerationKeepsTheWorkLimitsThatConvolutionLifts) {
    ControlCard card = workableCard();
    ItemSet& set = card.itemSets[0];
    set.itemCount = 60;
    set.scorePointCount = 7;
    set.scorePoints = {0, 1, 2, 3, 4, 5, 6};
    set.highestScorePoint = 6;
    const ScoreScales scales = deriveScoreScales(card);
    EXPECT_NO_THROW(refuseUnworkableCard(card, scales, Engine::Auto));
    EXPECT_THROW(refuseUnworkableCard(card, scales, Engine::Enumerate), DetectedError);
    const EnginePlan plan = planEngine(card, scales, Engine::Auto);
    EXPECT_EQ(plan.convolveSet, (std::vector<bool>{true, false}));
    EXPECT_FALSE(plan.convolveComposite);
    EXPECT_EQ(planEngine(card, scales, Engine::Convolve).convolveSet,
              (std::vector<bool>{true, true}));
}

TEST(CardChecks, RefusesAReportThatWouldOverwriteAnInput) {
    const fs::path dir = testing::makeScratchDirectory("card-checks");
    const testing::WorkingDirectory here(dir);
    testing::writeFile("card.txt", "card");
    testing::writeFile("a.dat", "0 1 2 1\n");
    fs::create_directory("sub");
    fs::create_symlink("card.txt", "card-link.txt");
    fs::create_symlink(dir / "a.dat", "sub/data-link.dat");
    fs::create_hard_link("a.dat", "hard.dat");

    const std::string isCard = "Error! The output file OUT is the control card itself.";
    const std::string isData = "Error! The output file OUT is the data file of set 1.";
    const struct {
        std::string output;
        std::string dataFile;
        std::string line;  // OUT stands for the output name; "" when the card must pass
    } cases[] = {
        {"card.txt", "a.dat", isCard},        {"./card.txt", "a.dat", isCard},
        {"sub/../card.txt", "a.dat", isCard}, {(dir / "card.txt").string(), "a.dat", isCard},
        {"card-link.txt", "a.dat", isCard},   {"a.dat", "a.dat", isData},
        {"a.dat", "./sub/../a.dat", isData},  {"sub/data-link.dat", "a.dat", isData},
        {"hard.dat", "a.dat", isData},        {"new.out", "a.dat", ""},
        {"sub/new.out", "a.dat", ""},         {"card.txt.out", "a.dat", ""},
    };
    for (const auto& c : cases) {
        ControlCard card = workableCard();
        card.outputFile = c.output;
        card.itemSets[0].dataFile = c.dataFile;
        card.itemSets[1].dataFile = c.dataFile;
        std::string expected = c.line;
        if (!expected.empty()) expected.replace(expected.find("OUT"), 3, c.output);
        EXPECT_EQ(refusalOf(card), expected) << c.output << " / " << c.dataFile;
    }
    fs::remove_all(dir);
}

// The one plan a run reads: its steps, its second pass and the composite's
// convolution or nested-loop table, set up once for every examinee.
TEST(RunPlan, TakesEachDecisionOnce) {
    ControlCard card = workableCard();
    AnalysisOptions options;
    RunPlan plan = planRun(card, options);
    EXPECT_EQ(plan.progressSteps, 3);  // two sets in one pass, then the composite
    EXPECT_FALSE(plan.biasCorrection);
    EXPECT_FALSE(plan.composite.convolution);
    EXPECT_TRUE(plan.composite.table);  // two sets: the nested loops' table
    EXPECT_GE(plan.options.threads, 1u);

    card.biasCorrection = 1;
    options.engine = Engine::Convolve;
    options.threads = 3;
    plan = planRun(card, options);
    EXPECT_EQ(plan.progressSteps, 5);
    EXPECT_TRUE(plan.biasCorrection);
    ASSERT_TRUE(plan.engine.convolveComposite);
    ASSERT_TRUE(plan.composite.convolution);
    EXPECT_TRUE(plan.composite.convolution->applies());
    EXPECT_FALSE(plan.composite.table);
    EXPECT_EQ(plan.options.threads, 3u);

    options.bootstrapReplicates = 1;
    EXPECT_THROW(planRun(card, options), InputError);
}

// A run shows its caller the plan before it reads any data, once; a caller
// that throws there ends the run before the data.
TEST(RunPlan, IsShownOnceBeforeAnyDataIsRead) {
    class NoData : public DataSource {
      public:
        std::int32_t readSet(std::size_t, std::int32_t, const RecordSink&) override {
            ADD_FAILURE() << "data read";
            return 0;
        }
        std::string sourceName(std::size_t) const override { return "none"; }
    } none;
    int shown = 0;
    AnalysisHooks hooks;
    hooks.onPlan = [&shown](const RunPlan& plan) {
        ++shown;
        EXPECT_EQ(plan.progressSteps, 3);
        throw DetectedError{"stopped"};
    };
    EXPECT_THROW(analyze(workableCard(), none, AnalysisOptions{}, hooks), DetectedError);
    EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace tl
