// Whole runs of the models beside the multinomial on the spisa table: what a
// run must equal when its inputs are given another way (abilities from
// columns, a population from a table, a subgroup as a table of its own), and
// the identities that tie the new outputs to the old.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/csv_rows.h"
#include "support/program_run.h"
#include "support/spisa_scratch.h"

namespace fs = std::filesystem;
using tl::testing::csvReal;
using tl::testing::parseCsv;
using tl::testing::readFile;
using tl::testing::writeFile;

namespace {

// A scratch folder with the spisa table and its Rasch parameters.
class SpisaRuns : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = tl::testing::spisaScratch("model-runs"); }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs an analysis file of the spisa quiz as one set, cut at 23 and 32,
    // writing its results to the folder `name`; `extra` is appended, and
    // `groups` names [data]'s grouping columns.
    tl::testing::ProgramResult run(const std::string& name, const std::string& data,
                                   const std::string& extra,
                                   std::vector<std::string> arguments = {},
                                   const std::string& groups = "") {
        writeFile(dir_ / (name + ".toml"),
                  "[data]\nfile = \"" + data + "\"\nid = \"id\"\n" +
                      (groups.empty() ? "" : "groups = [\"" + groups + "\"]\n") +
                      "\n[[sets]]\nitems = \"pol1:sci9\"\npoints = [0, 1]\n\n"
                      "[classification]\nobserved_cuts = [23, 32]\n\n[output]\nreport = \"" +
                      name + ".out\"\nresults = \"" + name + "\"\n\n" + extra);
        arguments.push_back("--quiet");
        arguments.push_back(name + ".toml");
        return tl::testing::runWithArguments(dir_, arguments);
    }

    std::string file(const std::string& folder, const std::string& name) const {
        return readFile(dir_ / folder / name);
    }

    // The spisa table with extra columns after each row, and rows kept where
    // `keep` says so.
    void writeTable(const std::string& name, const std::vector<std::string>& header,
                    const std::function<std::vector<std::string>(std::size_t)>& extra,
                    const std::function<bool(std::size_t)>& keep = nullptr) {
        std::ifstream in(dir_ / "spisa.csv");
        std::string line;
        std::getline(in, line);
        std::string out = line;
        for (const std::string& h : header) out += "," + h;
        out += "\n";
        for (std::size_t row = 0; std::getline(in, line); ++row) {
            if (keep && !keep(row)) continue;
            out += line;
            for (const std::string& value : extra(row)) out += "," + value;
            out += "\n";
        }
        writeFile(dir_ / name, out);
    }

    fs::path dir_;
};

// A CSV file's column by name.
std::vector<std::string> columnOf(const std::string& text, const std::string& name) {
    const auto rows = parseCsv(text);
    std::size_t c = 0;
    while (c < rows[0].size() && rows[0][c] != name) ++c;
    EXPECT_LT(c, rows[0].size()) << name;
    std::vector<std::string> values;
    for (std::size_t r = 1; r < rows.size() && c < rows[0].size(); ++r)
        values.push_back(rows[r][c]);
    return values;
}

// Each row of groups.csv whose variable and level are these, as
// "index,cut" -> value.
std::map<std::string, std::string> levelRows(const std::string& groupsCsv,
                                             const std::string& level) {
    std::map<std::string, std::string> values;
    for (const auto& row : parseCsv(groupsCsv)) {
        if (row[1] == level) values[row[4] + "," + row[5]] = row[6];
    }
    return values;
}

std::map<std::string, std::string> overallAndCuts(const std::string& overallCsv,
                                                  const std::string& cutsCsv) {
    std::map<std::string, std::string> values;
    for (const auto& row : parseCsv(overallCsv)) values[row[0] + ","] = row[1];
    const auto rows = parseCsv(cutsCsv);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 1; c < rows[0].size(); ++c)
            values[rows[0][c] + "," + rows[r][0]] = rows[r][c];
    }
    return values;
}

struct LevelCase {
    const char* name;
    const char* model;
};

class BetaBinomialLevels : public SpisaRuns, public ::testing::WithParamInterface<LevelCase> {};

// Each level of a beta-binomial run is fitted to its own scores (and with
// alpha, its own alpha): its indices are those of a run on its rows alone,
// and a bootstrap refits it to its drawn examinees, giving every index an SE.
TEST_P(BetaBinomialLevels, EqualRunsOnEachLevelAlone) {
    const auto half = [](std::size_t row) { return std::vector<std::string>{row % 3 ? "a" : "b"}; };
    writeTable("grouped.csv", {"half"}, half);
    const std::string model = GetParam().model;
    const auto all = run("all", "grouped.csv", model, {"--bootstrap", "20"}, "half");
    ASSERT_EQ(all.exitStatus, 0) << all.err;
    for (const std::string level : {"a", "b"}) {
        writeTable(
            "level-" + level + ".csv", {}, [](std::size_t) { return std::vector<std::string>{}; },
            [&](std::size_t row) { return half(row)[0] == level; });
        const auto alone = run("level-" + level, "level-" + level + ".csv", model);
        ASSERT_EQ(alone.exitStatus, 0) << alone.err;
        const auto expected = overallAndCuts(file("level-" + level, "overall.csv"),
                                             file("level-" + level, "cuts.csv"));
        const auto got = levelRows(file("all", "groups.csv"), level);
        for (const auto& [key, value] : expected) {
            if (key == "index," || key.starts_with("value,")) continue;
            if (!got.contains(key)) continue;  // indices groups.csv does not list
            EXPECT_EQ(got.at(key), value) << level << " " << key;
        }
        EXPECT_GE(got.size(), 20u);
    }
    const auto rows = parseCsv(file("all", "groups.csv"));
    ASSERT_EQ(rows[0][7], "se");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const double se = csvReal(rows[r][7]);
        EXPECT_TRUE(se > 0.0 && se < 0.2) << rows[r][4] << " " << rows[r][7];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spisa, BetaBinomialLevels,
    ::testing::Values(
        LevelCase{"LivingstonLewisAlpha", "[model]\nkind = \"beta-binomial\"\n"},
        LevelCase{"LivingstonLewisGiven", "[model]\nkind = \"beta-binomial\"\nreliability = 0.8\n"},
        LevelCase{"HansonBrennan", "[model]\nkind = \"beta-binomial\"\nmethod = \"hb\"\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Abilities given in columns are the ones the run would have estimated: the
// indices are the estimated run's, bit for bit.
TEST_F(SpisaRuns, GivenAbilitiesGiveTheEstimatedRunsIndices) {
    for (const std::string method : {"summed-p", "rudner-p"}) {
        const std::string model = "[model]\nkind = \"irt\"\nmethod = \"" + method +
                                  "\"\n\n[irt]\nitems = \"parameters.csv\"\n";
        ASSERT_EQ(run("estimated", "spisa.csv", model).exitStatus, 0);
        const auto theta = columnOf(file("estimated", "examinees.csv"), "theta");
        const auto se = columnOf(file("estimated", "examinees.csv"), "theta_se");
        writeTable("abilities.csv", {"th", "th_se"}, [&](std::size_t row) {
            return std::vector<std::string>{theta[row], se[row]};
        });
        const auto given =
            run("given", "abilities.csv", model + "theta = \"th\"\ntheta_se = \"th_se\"\n");
        ASSERT_EQ(given.exitStatus, 0) << given.err;
        for (const char* name : {"overall.csv", "cuts.csv", "per_category.csv"})
            EXPECT_EQ(file("given", name), file("estimated", name)) << method << " " << name;
        EXPECT_EQ(columnOf(file("given", "examinees.csv"), "theta"), theta);
    }
}

// Over a thousand distinct abilities are drawn as bins on the results page, not a
// mark each: a million examinees would otherwise make a page of hundreds of
// megabytes.
TEST_F(SpisaRuns, ManyDistinctAbilitiesAreBinnedOnThePage) {
    writeTable("spread.csv", {"th"}, [](std::size_t row) {
        return std::vector<std::string>{
            std::to_string(-6.0 + 12.0 * static_cast<double>(row) / 1075)};
    });
    const auto result = run("spread", "spread.csv",
                            "[model]\nkind = \"irt\"\n\n[irt]\nitems = \"parameters.csv\"\n"
                            "theta = \"th\"\n");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string page = file("spread", "report.html");
    EXPECT_NE(page.find("ability bins of width 0.05"), std::string::npos);
    EXPECT_LT(page.size(), 400000u);
}

// A population table holding the normal population's nodes gives the normal
// population's results, up to the rounding of normalising the weights twice.
TEST_F(SpisaRuns, PopulationTableOfNormalNodesGivesTheNormalPopulation) {
    std::string table = "theta,weight\n";
    for (int q = 0; q < 41; ++q) {
        const double theta = -4.0 + 0.2 * q;
        char line[64];
        std::snprintf(line, sizeof line, "%.17g,%.17g\n", theta, std::exp(-theta * theta / 2));
        table += line;
    }
    writeFile(dir_ / "population.csv", table);
    const std::string model =
        "[model]\nkind = \"irt\"\nmethod = \"summed-d\"\n\n[irt]\nitems = \"parameters.csv\"\n";
    ASSERT_EQ(run("normal", "spisa.csv", model).exitStatus, 0);
    ASSERT_EQ(run("table", "spisa.csv", model + "population = \"population.csv\"\n").exitStatus, 0);
    const auto normal = parseCsv(file("normal", "overall.csv"));
    const auto fromTable = parseCsv(file("table", "overall.csv"));
    ASSERT_EQ(normal.size(), fromTable.size());
    for (std::size_t r = 1; r < normal.size(); ++r)
        EXPECT_NEAR(csvReal(fromTable[r][1]), csvReal(normal[r][1]), 1e-12) << normal[r][0];
}

// Under summed-p the true composite is the one the true category comes from,
// and with the identity conversion the scale CSEM is the model's own CSEM,
// the SD of the composite distribution.
TEST_F(SpisaRuns, SummedScoreTrueCompositeAndIdentityScale) {
    std::string conversion = "raw,scale\n";
    for (int x = 0; x <= 45; ++x) conversion += std::to_string(x) + "," + std::to_string(x) + "\n";
    writeFile(dir_ / "identity.csv", conversion);
    const auto result = run("scaled", "spisa.csv",
                            "[scale]\ntable = \"identity.csv\"\n\n[model]\nkind = \"irt\"\n\n"
                            "[irt]\nitems = \"parameters.csv\"\n");
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string examinees = file("scaled", "examinees.csv");
    EXPECT_EQ(columnOf(examinees, "true_composite"),
              columnOf(examinees, "true_category_composite"));
    const auto csem = columnOf(examinees, "csem");
    const auto scaleCsem = columnOf(examinees, "scale_csem");
    ASSERT_EQ(csem.size(), 1075u);
    for (std::size_t i = 0; i < csem.size(); ++i)
        EXPECT_NEAR(csvReal(scaleCsem[i]), csvReal(csem[i]), 1e-12 * csvReal(csem[i])) << i;
}

// Hanson-Brennan's effective scores are the composite scores themselves, so
// under the linear conversion 200 + 2x each examinee's scale CSEM is twice
// their CSEM, and the model's scale reliability is its reliability.
TEST_F(SpisaRuns, BetaBinomialScaleScoresFollowALinearConversion) {
    std::string conversion = "raw,scale\n";
    for (int x = 0; x <= 45; ++x)
        conversion += std::to_string(x) + "," + std::to_string(200 + 2 * x) + "\n";
    writeFile(dir_ / "linear.csv", conversion);
    const auto result = run("scaled", "spisa.csv",
                            "[scale]\ntable = \"linear.csv\"\n\n[model]\nkind = \"beta-binomial\"\n"
                            "method = \"hb\"\n",
                            {"--bootstrap", "10"});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    const std::string examinees = file("scaled", "examinees.csv");
    const auto csem = columnOf(examinees, "csem");
    const auto scaleCsem = columnOf(examinees, "scale_csem");
    const auto scale = columnOf(examinees, "scale_score");
    const auto composite = columnOf(examinees, "observed_composite");
    ASSERT_EQ(csem.size(), 1075u);
    for (std::size_t i = 0; i < csem.size(); ++i) {
        EXPECT_NEAR(csvReal(scaleCsem[i]), 2 * csvReal(csem[i]), 1e-9) << i;
        EXPECT_EQ(csvReal(scale[i]), 200 + 2 * csvReal(composite[i])) << i;
    }
    EXPECT_NE(file("scaled", "results.json").find("\"scale\""), std::string::npos);
}

}  // namespace
