// Conditional error variances, the sample variance and the reliability.
#include "model/reliability.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/card_text.h"
#include "support/library_run.h"

namespace {

namespace fs = std::filesystem;

struct VarianceCase {
    const char* name;
    std::vector<double> rawScores;
    std::vector<double> distribution;
    int items;
    double expected;
};

TEST(SetErrorVariance, FollowsTheTable) {
    const VarianceCase cases[] = {
        {"point mass", {0, 1, 2, 3, 4, 5}, {0, 0, 0, 1, 0, 0}, 5, 0.0},
        {"negative point mass", {-2, -1, 0}, {1, 0, 0}, 2, 0.0},
        {"one item", {0, 1}, {0.5, 0.5}, 1, 0.0},  // n/(n-1) undefined: no contribution
        {"two items", {0, 1, 2}, {0.25, 0.5, 0.25}, 2, 1.0},
        {"four items", {0, 1}, {0.5, 0.5}, 4, 4.0 / 3.0 * 0.25},
        {"unnormalised", {0, 1, 2}, {0.5, 0.0, 0.25}, 2, 2.0 * (1.0 - 0.25)},
    };
    for (const VarianceCase& c : cases) {
        EXPECT_DOUBLE_EQ(tl::setErrorVariance(c.rawScores, c.distribution, c.items), c.expected)
            << c.name;
    }
}

TEST(ArrayVariance, DividesByTheCount) {
    EXPECT_EQ(tl::arrayVariance(std::vector<double>{1, 2, 3, 4}), 1.25);
    EXPECT_EQ(tl::arrayVariance(std::vector<double>{7}), 0.0);
    EXPECT_EQ(tl::arrayVariance(std::vector<double>{-1, 1}), 1.0);
}

TEST(ReliabilitySummary, NegativeReliabilityIsKept) {
    const tl::ReliabilitySummary s =
        tl::summarizeReliability(std::vector<double>{10, 10}, std::vector<double>{1, 2});
    EXPECT_EQ(s.averageErrorVariance, 10.0);
    EXPECT_EQ(s.sampleVariance, 0.25);
    EXPECT_EQ(s.reliability, -39.0);
}

// The number printed after a label of the reliability section.
double reportedValue(const std::string& report, const std::string& label) {
    const std::size_t at = report.find(label);
    if (at == std::string::npos) return -1e300;
    return std::stod(report.substr(at + label.size(), 12));
}

class ReportedReliability : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = tl::testing::makeScratchDirectory("reliability"); }
    void TearDown() override { fs::remove_all(dir_); }

    std::string run(const tl::testing::CardText& card, const std::string& data) {
        tl::testing::writeFile(dir_ / "d.txt", data);
        tl::testing::writeFile(dir_ / "card.txt", card.str());
        const auto result = tl::testing::runInDirectory(dir_, "card.txt", card.outputFile, 1);
        EXPECT_EQ(result.status, 0) << result.console << result.err;
        return result.report;
    }
    fs::path dir_;
};

TEST_F(ReportedReliability, CompositeErrorVarianceWeighsEachSetBySquaredWeight) {
    // The same data as two sets of weights 1 and 2: every examinee's composite
    // error variance is 1 e + 4 e, so the average is 5 times the one-set value.
    const std::string data = "0 1 1 0 1\n1 1 1 1 0\n0 0 1 0 0\n1 1 1 1 1\n0 1 0 1 1\n1 0 0 0 0\n";
    tl::testing::CardText single;
    single.sets = {{"1", "5", "2", "0 1", "d.txt"}};
    single.observedCuts = std::string("3");
    single.trueCuts = std::string("3");
    tl::testing::CardText twice = single;
    twice.sets.push_back({"2", "5", "2", "0 1", "d.txt"});
    twice.observedCuts = std::string("7");
    twice.trueCuts = std::string("7");

    const double e = reportedValue(run(single, data), "Avg error variance   =");
    const double fiveE = reportedValue(run(twice, data), "Avg error variance   =");
    EXPECT_GT(e, 0.0);
    EXPECT_NEAR(fiveE, 5.0 * e, 5.0 * 0.5e-5 + 0.5e-5);
}

TEST_F(ReportedReliability, NegativeReliabilityIsReportedAsComputed) {
    // Composites 2 and 3 (sample variance 0.25) against error variances 4/3 and
    // 1: reliability 1 - (7/6) / 0.25 = -11/3.
    tl::testing::CardText card;
    card.sets = {{"1", "4", "2", "0 1", "d.txt"}};
    card.observedCuts = std::string("2");
    card.trueCuts = std::string("2");
    const std::string report = run(card, "0 1 0 1\n0 1 1 1\n");
    EXPECT_NE(report.find("Avg error variance   =     1.16667\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Reliability          =    -3.66667\r\n"), std::string::npos) << report;
}

}  // namespace
