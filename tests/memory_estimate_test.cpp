// The bootstrap's memory is estimated before it is allocated: a run that would
// not fit is refused with one line that gives the estimate and the way out,
// and the runs the program is made for are never refused.
#include "plan/memory_estimate.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/errors.h"
#include "input/control_card_reader.h"
#include "plan/run_plan.h"
#include "support/card_text.h"

namespace tl {
namespace {

constexpr std::uint64_t kGB = 1'000'000'000;

// The benchmark's B1 and B4 card: one set of 50 items scored 0/1 and two of 8
// items scored 0 to 4, four categories.
ControlCard benchmarkCard() {
    testing::CardText text;
    text.sets = {testing::SetText{"1", "50", "2", "0 1", "a.dat"},
                 testing::SetText{"2", "8", "5", "0 1 2 3 4", "b.dat"},
                 testing::SetText{"2", "8", "5", "0 1 2 3 4", "c.dat"}};
    text.categories = "4";
    text.observedCuts = text.trueCuts = "44.5 64.5 87.5";
    return readControlCard(text.str(), "card.txt");
}

// The catalogue's analysis file: four items scored 0/1, two categories.
ControlCard smallCard() {
    testing::CardText text;
    text.sets = {testing::SetText{"1", "4", "2", "0 1", "a.dat"}};
    text.categories = "2";
    text.observedCuts = text.trueCuts = "2";
    return readControlCard(text.str(), "card.txt");
}

AnalysisOptions options(std::int64_t replicates, std::uint64_t maxMemory, unsigned threads = 2) {
    AnalysisOptions o;
    o.bootstrapReplicates = replicates;
    o.maxMemory = maxMemory;
    o.threads = threads;
    return o;
}

// The message of the refusal, or "" when the run may go on.
std::string refusal(const RunPlan& plan, const WorkSize& size) {
    try {
        refuseUnaffordableRun(plan, size);
    } catch (const InputError& error) {
        return error.what();
    }
    return "";
}

struct Sized {
    const char* name;
    ControlCard (*card)();
    std::int64_t replicates;
    std::uint64_t maxMemory;
    WorkSize size;
    bool refused;
};

TEST(MemoryEstimate, RefusesWhatWouldNotFitAndKeepsOrdinaryRuns) {
    const Sized cases[] = {
        // 23 GB and killed by the kernel before the estimate; 24 GB machine.
        {"100,000,000 replicates of 9 examinees", smallCard, 100'000'000, 24 * kGB, {9, 0}, true},
        // 4.3 GB measured.
        {"200 replicates of 100,000 group levels",
         smallCard,
         200,
         2 * kGB,
         {100'000, 100'000},
         true},
        {"the same on a machine that holds it",
         smallCard,
         200,
         24 * kGB,
         {100'000, 100'000},
         false},
        {"B4 with a bootstrap of 1000 and 3 group levels",
         benchmarkCard,
         1000,
         2 * kGB,
         {1'000'000, 3},
         false},
        {"B1 with a bootstrap of 1000", benchmarkCard, 1000, 1 * kGB, {20'000, 0}, false},
        {"B4 without a bootstrap", benchmarkCard, 0, 1'000'000, {1'000'000, 0}, false},
    };
    for (const Sized& c : cases) {
        const RunPlan plan = planRun(c.card(), options(0, c.maxMemory));
        RunPlan asked = plan;
        asked.options.bootstrapReplicates = c.replicates;
        const auto start = std::chrono::steady_clock::now();
        const std::string message = refusal(asked, c.size);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        EXPECT_EQ(!message.empty(), c.refused) << c.name << ": " << message;
        if (c.refused) {
            EXPECT_NE(message.find("would need about "), std::string::npos) << message;
            EXPECT_NE(message.find("--bootstrap"), std::string::npos) << message;
            EXPECT_NE(message.find("--max-memory"), std::string::npos) << message;
        }
    }
}

// The estimate is close to what the bootstrap was seen to take, and above it.
TEST(MemoryEstimate, IsGenerousButNear) {
    RunPlan plan = planRun(smallCard(), options(0, 0));
    plan.options.bootstrapReplicates = 200;
    const double groups = static_cast<double>(estimatedBootstrapBytes(plan, {100'000, 100'000}));
    EXPECT_GT(groups, 4.3e9);
    EXPECT_LT(groups, 2 * 4.3e9);
    plan.options.bootstrapReplicates = 0;
    EXPECT_EQ(estimatedBootstrapBytes(plan, {100'000, 100'000}), 0u);
}

// The replicate count alone can ask for too much: the plan refuses it before
// any data is read.
TEST(MemoryEstimate, ThePlanRefusesABootstrapNoDataCouldFit) {
    EXPECT_THROW(planRun(smallCard(), options(4'000'000'000'000'000'000, 0)), InputError);
    EXPECT_THROW(planRun(smallCard(), options(100'000'000, 24 * kGB)), InputError);
    EXPECT_NO_THROW(planRun(smallCard(), options(100'000, 24 * kGB)));
}

TEST(MemoryEstimate, WritesSizesInDecimalUnits) {
    EXPECT_EQ(memoryText(999), "999 bytes");
    EXPECT_EQ(memoryText(2'000'000'000), "2.0 GB");
    EXPECT_EQ(memoryText(35'960'000'000), "36.0 GB");
}

}  // namespace
}  // namespace tl
