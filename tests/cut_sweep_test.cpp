// The what-if sweep and the fit check of every model: the sweep's row at a
// cut against a run with that one cut, its best cut against a search over
// runs, the ROC area of a test that never errs, and the fit's expected
// frequencies against what they must sum to and, under a model that holds,
// how their chi-square p-values spread.
#include "classify/cut_sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "classify/distribution_tally.h"
#include "run/run.h"
#include "support/csv_rows.h"
#include "support/program_run.h"
#include "support/spisa_scratch.h"

namespace fs = std::filesystem;
using tl::testing::csvReal;
using tl::testing::parseCsv;
using tl::testing::readFile;
using tl::testing::writeFile;

namespace {

// Name -> value of a two-column CSV block (overall.csv, the statistics of
// fit.csv and sweep.csv), and of each column of a table's rows by its first
// field.
std::map<std::string, double> statistics(const std::string& csv, std::size_t valueColumn) {
    std::map<std::string, double> values;
    for (const auto& row : parseCsv(csv))
        if (row.size() > valueColumn && !row[0].empty()) {
            try {
                values[row[0]] = csvReal(row[valueColumn]);
            } catch (const std::runtime_error&) {
            }
        }
    return values;
}

// The sweep.csv row whose cut is `cut`, by column name.
std::map<std::string, double> sweepRow(const std::string& csv, double cut) {
    const auto rows = parseCsv(csv);
    std::map<std::string, double> values;
    for (std::size_t r = 1; r < rows.size() && !rows[r][0].empty(); ++r) {
        if (csvReal(rows[r][0]) != cut) continue;
        for (std::size_t c = 0; c < rows[0].size(); ++c) values[rows[0][c]] = csvReal(rows[r][c]);
    }
    return values;
}

class SweepRuns : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = tl::testing::spisaScratch("cut-sweep"); }
    void TearDown() override { fs::remove_all(dir_); }

    // The spisa quiz as one set cut at 23 and 32 under `model`, its results
    // in the folder `name`.
    void run(const std::string& name, const std::string& model, std::vector<std::string> arguments,
             bool biasCorrection = false) {
        writeFile(dir_ / (name + ".toml"),
                  "[data]\nfile = \"spisa.csv\"\nid = \"id\"\n\n[[sets]]\nitems = "
                  "\"pol1:sci9\"\npoints = [0, 1]\n\n[classification]\nobserved_cuts = [23, "
                  "32]\nbias_correction = " +
                      std::string(biasCorrection ? "true" : "false") + "\n\n[output]\nreport = \"" +
                      name + ".out\"\nresults = \"" + name + "\"\n\n" + model);
        arguments.push_back("--quiet");
        arguments.push_back(name + ".toml");
        const auto result = tl::testing::runWithArguments(dir_, arguments);
        ASSERT_EQ(result.exitStatus, 0) << name << ": " << result.err;
    }
    std::string file(const std::string& folder, const std::string& name) const {
        return readFile(dir_ / folder / name);
    }

    fs::path dir_;
};

struct ModelCase {
    const char* name;
    const char* model;
    bool biasCorrection;
};

const ModelCase kModels[] = {
    {"multinomial", "", false},
    {"bias_corrected", "", true},
    {"summed_p",
     "[model]\nkind = \"irt\"\nmethod = \"summed-p\"\n\n[irt]\nitems = \"parameters.csv\"\n",
     false},
    {"summed_d",
     "[model]\nkind = \"irt\"\nmethod = \"summed-d\"\n\n[irt]\nitems = \"parameters.csv\"\n",
     false},
};

TEST_F(SweepRuns, EachRowIsARunWithThatOneCut) {
    for (const ModelCase& m : kModels) {
        SCOPED_TRACE(m.name);
        const std::string model = m.model;
        run(std::string(m.name) + "_sweep", model, {"--sweep"}, m.biasCorrection);
        const std::string sweep = file(std::string(m.name) + "_sweep", "sweep.csv");
        for (const double cut : {23.0, 32.0}) {
            const std::string alone = std::string(m.name) + "_" + std::to_string(int(cut));
            run(alone, model, {"--cuts", std::to_string(int(cut))}, m.biasCorrection);
            const auto row = sweepRow(sweep, cut);
            ASSERT_FALSE(row.empty()) << cut;
            const auto overall = statistics(file(alone, "overall.csv"), 1);
            for (const auto& [index, value] : overall)
                EXPECT_NEAR(row.at(index), value, 1e-12) << index << " at " << cut;
            const auto cuts = parseCsv(file(alone, "cuts.csv"));
            for (std::size_t c = 0; c < cuts[0].size(); ++c) {
                const std::string& column = cuts[0][c];
                if (column == "sensitivity" || column == "specificity" || column == "ppv" ||
                    column == "npv" || column == "youden") {
                    EXPECT_NEAR(row.at(column), csvReal(cuts[1][c]), 1e-12) << column << cut;
                }
            }
        }
    }
}

// The replicates draw the same examinees for the sweep as for a run with one
// cut, so each row's standard errors are that run's.
TEST_F(SweepRuns, BootstrapErrorsOfARowAreThoseOfARunWithThatOneCut) {
    for (const ModelCase& m : kModels) {
        if (std::string(m.name) == "summed_d") continue;  // nodes: no examinees to draw
        SCOPED_TRACE(m.name);
        const std::string swept = std::string(m.name) + "_boot";
        run(swept, m.model, {"--sweep", "--bootstrap", "30"}, m.biasCorrection);
        const auto row = sweepRow(file(swept, "sweep.csv"), 23.0);
        ASSERT_TRUE(row.count("accuracy_se")) << "no standard errors";
        const std::string alone = swept + "_23";
        run(alone, m.model, {"--cuts", "23", "--bootstrap", "30"}, m.biasCorrection);
        for (const auto& [index, se] : statistics(file(alone, "overall.csv"), 2))
            EXPECT_NEAR(row.at(index + "_se"), se, 1e-12) << index;
        const auto cuts = parseCsv(file(alone, "cuts.csv"));
        for (std::size_t c = 0; c < cuts[0].size(); ++c) {
            const std::string& column = cuts[0][c];
            if (row.count(column) && column.ends_with("_se")) {
                EXPECT_NEAR(row.at(column), csvReal(cuts[1][c]), 1e-12) << column;
            }
        }
        // The best cut's position has an interval that holds some replicate's.
        for (const auto& line : parseCsv(file(swept, "sweep.csv"))) {
            if (line[0] != "best_youden_cut") continue;
            ASSERT_EQ(line.size(), 6u);
            EXPECT_LE(csvReal(line[4]), csvReal(line[5]));
        }
    }
}

// A fixed true cut holds for every row, and a target's cut is the first row
// that reaches it, both read from the analysis file's [sweep].
TEST_F(SweepRuns, FixedTrueCutAndTargetComeFromTheFilesSweepTable) {
    run("fixed", "[sweep]\ntrue_cut = 27\ntarget_specificity = 0.9\n", {});
    const std::string sweep = file("fixed", "sweep.csv");
    run("alone", "", {"--cuts", "23", "--true-cuts", "27"});
    const auto row = sweepRow(sweep, 23.0);
    for (const auto& [index, value] : statistics(file("alone", "overall.csv"), 1))
        EXPECT_NEAR(row.at(index), value, 1e-12) << index;
    const auto rows = parseCsv(sweep);
    const auto column = static_cast<std::size_t>(
        std::find(rows[0].begin(), rows[0].end(), "specificity") - rows[0].begin());
    double first = 0.0;
    for (std::size_t r = 1; r < rows.size() && !rows[r][0].empty() && first == 0.0; ++r)
        if (csvReal(rows[r][column]) >= 0.9) first = csvReal(rows[r][0]);
    ASSERT_GT(first, 1.0) << "the target should not be met at the lowest cut";
    EXPECT_EQ(statistics(sweep, 2).at("lowest_cut_reaching_specificity"), first);
    EXPECT_EQ(statistics(sweep, 2).at("true_cut"), 27.0);
}

TEST_F(SweepRuns, BestYoudenCutIsTheBestOfTheRunsAtEachCut) {
    run("swept", "", {"--sweep"});
    const std::string sweep = file("swept", "sweep.csv");
    double best = -2.0, bestCut = 0.0;
    for (int cut = 1; cut <= 45; ++cut) {
        const std::string alone = "at" + std::to_string(cut);
        run(alone, "", {"--cuts", std::to_string(cut)});
        const auto cuts = parseCsv(file(alone, "cuts.csv"));
        const auto youden = std::find(cuts[0].begin(), cuts[0].end(), "youden") - cuts[0].begin();
        const double value = csvReal(cuts[1][static_cast<std::size_t>(youden)]);
        if (value > best + 1e-12) {
            best = value;
            bestCut = cut;
        }
    }
    EXPECT_EQ(statistics(sweep, 2).at("best_youden_cut"), bestCut);
}

TEST_F(SweepRuns, ThreadCountChangesNoBitOfTheSweepOrTheFit) {
    run("one", "", {"--sweep", "--fit", "--threads", "1"});
    run("three", "", {"--sweep", "--fit", "--threads", "3"});
    EXPECT_EQ(file("one", "sweep.csv"), file("three", "sweep.csv"));
    EXPECT_EQ(file("one", "fit.csv"), file("three", "fit.csv"));
}

// The first pass of a bias-corrected run is a run without the correction:
// its fit must be that run's, and the second pass gets a file of its own.
TEST_F(SweepRuns, BiasCorrectedFitKeepsTheFirstPassAndAddsTheSecond) {
    run("plain", "", {"--fit"});
    run("corrected", "", {"--fit"}, true);
    EXPECT_EQ(file("plain", "fit.csv"), file("corrected", "fit.csv"));
    EXPECT_TRUE(fs::exists(dir_ / "corrected" / "fit_corrected.csv"));
    EXPECT_FALSE(fs::exists(dir_ / "plain" / "fit_corrected.csv"));
}

TEST_F(SweepRuns, MultinomialExpectedFrequenciesSumToTheCategoryMass) {
    run("fitted", "", {"--fit"});
    const auto bins = parseCsv(file("fitted", "fit.csv"));
    double expected = 0.0, observed = 0.0;
    for (std::size_t r = 1; r < bins.size() && !bins[r][0].empty(); ++r) {
        expected += csvReal(bins[r][2]);
        observed += csvReal(bins[r][3]);
    }
    // N times the mean category mass: sum_i sum_x Q_i(x).
    const auto results = nlohmann::json::parse(file("fitted", "results.json"));
    double mass = 0.0;
    for (double share : results["expected_proportions"]) mass += share;
    const double n = results["examinees"].get<double>();
    EXPECT_EQ(observed, n);
    EXPECT_NEAR(expected, n * mass, 1e-9 * n);
    EXPECT_EQ(statistics(file("fitted", "fit.csv"), 1).count("chi2"), 1u);
    EXPECT_NE(file("fitted", "fit.csv").find("descriptive,yes"), std::string::npos);
}

TEST_F(SweepRuns, MultinomialRunsWithoutTheNewOptionsWriteNoNewFiles) {
    run("plain", "", {});
    EXPECT_FALSE(fs::exists(dir_ / "plain" / "fit.csv"));
    EXPECT_FALSE(fs::exists(dir_ / "plain" / "sweep.csv"));
    EXPECT_EQ(file("plain", "results.json").find("\"sweep\""), std::string::npos);
}

// A test that never errs: every unit's composite is its true score. Each cut
// then has sensitivity and specificity 1, and the ROC curve bounds area 1.
TEST(CutSweep, APerfectlyReliableTestHasAreaOne) {
    const std::vector<double> scores{0, 1, 2, 3, 4, 5};
    tl::TallyRequest request;
    request.sweep = true;
    tl::DistributionTally tally(scores.size(), scores, request);
    std::vector<double> composites;
    for (std::size_t g = 0; g < scores.size(); ++g) {
        std::vector<double> q(scores.size(), 0.0);
        q[g] = 1.0;
        tally.add(g, 2.0, scores[g], q);
        composites.insert(composites.end(), 2, scores[g]);
    }
    const tl::CutSweep sweep =
        tl::sweepCuts(tally.finish(), scores, 12.0, composites, tl::SweepOptions{});
    ASSERT_EQ(sweep.rows.size(), 5u);
    for (const tl::SweepRow& row : sweep.rows) {
        EXPECT_EQ(row.indices.accuracy, 1.0);
        EXPECT_EQ(row.diagnostics.youden, 1.0);
    }
    EXPECT_EQ(sweep.auc, 1.0);
    EXPECT_EQ(sweep.rows[*sweep.bestYouden].cut, 1.0);  // the lowest of the ties
}

// Data drawn from a 2PL model with abilities from the standard normal, and
// analysed with summed-d with the same items and population: the model holds,
// so the chi-square p-values of 200 seeds are uniform. Their Kolmogorov-
// Smirnov distance from the uniform is held below 0.14: for 200 uniform
// values sqrt(200) D exceeds 1.95 with probability about 0.001 (Kolmogorov's
// limit), and the seeds are fixed, so a correct model fails here only if the
// chi-square's p is not uniform.
TEST(ModelFit, SummedScoreDistributionFitHasUniformPValues) {
    const fs::path dir = tl::testing::makeScratchDirectory("fit-uniform");
    constexpr int kItems = 15, kExaminees = 1000, kSeeds = 200;
    std::vector<double> a(kItems), b(kItems);
    std::string parameters = "item,model,a,b\n";
    for (int j = 0; j < kItems; ++j) {
        a[j] = 0.8 + 0.05 * j;
        b[j] = -1.5 + 3.0 * j / (kItems - 1);
        parameters += "i" + std::to_string(j + 1) + ",2PL," + std::to_string(a[j]) + "," +
                      std::to_string(b[j]) + "\n";
    }
    writeFile(dir / "parameters.csv", parameters);
    writeFile(dir / "fit.toml",
              "[data]\nfile = \"data.csv\"\n\n[[sets]]\nitems = \"i1:i" + std::to_string(kItems) +
                  "\"\npoints = [0, 1]\n\n[classification]\nobserved_cuts = [8]\n\n[model]\n"
                  "kind = \"irt\"\nmethod = \"summed-d\"\n\n[irt]\nitems = \"parameters.csv\"\n");
    std::vector<double> p;
    for (int seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937_64 rng(static_cast<std::uint64_t>(seed));
        std::normal_distribution<double> normal(0.0, 1.0);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        std::string data = "i1";
        for (int j = 2; j <= kItems; ++j) data += ",i" + std::to_string(j);
        data += "\n";
        for (int e = 0; e < kExaminees; ++e) {
            const double theta = normal(rng);
            for (int j = 0; j < kItems; ++j) {
                const double correct = 1.0 / (1.0 + std::exp(-a[j] * (theta - b[j])));
                data += (j ? "," : "");
                data += unit(rng) < correct ? '1' : '0';
            }
            data += "\n";
        }
        writeFile(dir / "data.csv", data);
        tl::RunRequest request;
        request.file = (dir / "fit.toml").string();
        request.write = false;
        request.threads = 1;
        const tl::RunOutcome outcome = tl::runRequest(request);
        ASSERT_TRUE(outcome.results) << seed;
        const auto& fit = outcome.results->model.fit;
        ASSERT_TRUE(fit);
        ASSERT_FALSE(fit->descriptive);
        ASSERT_TRUE(fit->p >= 0.0 && fit->p <= 1.0) << seed << ": " << fit->p;
        ASSERT_GE(fit->df, 5) << seed;
        p.push_back(fit->p);
    }
    fs::remove_all(dir);
    std::sort(p.begin(), p.end());
    double distance = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const double n = static_cast<double>(p.size());
        distance = std::max({distance, (i + 1) / n - p[i], p[i] - i / n});
    }
    EXPECT_LT(distance, 0.14);
}

}  // namespace
