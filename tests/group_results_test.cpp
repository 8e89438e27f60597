// Subgroup results: each level's numbers are the run's per-examinee values
// averaged over the level's examinees, as examinees.csv gives them; the levels
// of one variable weighted by their sizes give back the whole sample; the
// bootstrap's spreads do not depend on the thread count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/prepared_file.h"
#include "classify/index_fields.h"
#include "results_files/html_text.h"
#include "support/csv_rows.h"
#include "support/program_run.h"
#include "support/results_files.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using testing::csvReal;
using testing::parseCsv;
using testing::readFile;

// The grouping cells of table row r (0-based): sex unbalanced, grade numeric
// (9 < 10 < 11, unlike their bytes), ell text with empty cells and one examinee
// of its own.
std::string sexOf(std::size_t r) {
    return r * 7 % 3 == 0 ? "M" : "F";
}
std::string gradeOf(std::size_t r) {
    return std::to_string(9 + r % 3);
}
std::string ellOf(std::size_t r) {
    if (r == 17) return "new";
    if (r % 11 == 0) return "";
    return r % 4 == 0 ? "yes" : "no";
}

// gcbs's 2356 examinees as a table with the three grouping columns.
class GroupedTable : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        dir_ = new fs::path(testing::makeScratchDirectory("groups"));
        std::ifstream in(fs::path(TESSERLINK_EXAMPLES) / "gcbs" / "gcbs.dat");
        std::string csv = "sex,grade,ell";
        for (int i = 1; i <= 15; ++i) csv += ",q" + std::to_string(i);
        csv += "\n";
        std::string line;
        std::size_t r = 0;
        while (std::getline(in, line)) {
            std::istringstream values(line);
            std::string row = sexOf(r) + "," + gradeOf(r) + "," + ellOf(r);
            for (int v; values >> v;) {
                row += ',';
                row += std::to_string(v);
            }
            csv += row + "\n";
            ++r;
        }
        rows_ = r;
        testing::writeFile(*dir_ / "g.csv", csv);
    }
    static void TearDownTestSuite() {
        fs::remove_all(*dir_);
        delete dir_;
    }

    static std::string toml(const std::string& extra = "", bool bias = false) {
        return "[data]\nfile = \"g.csv\"\ngroups = [\"sex\", \"grade\", \"ell\"]\n" + extra +
               "[[sets]]\nitems = \"q1:q15\"\npoints = [0, 1, 2, 3, 4]\n"
               "[classification]\nobserved_cuts = [22.5, 37.5]\nbias_correction = " +
               (bias ? "true" : "false") + "\n";
    }

    static Results run(const std::string& text, std::int64_t replicates, unsigned threads) {
        testing::writeFile(*dir_ / "g.toml", text);
        const auto ignore = [](const tl::Finding&) {};
        const PreparedAnalysis prepared =
            prepareAnalysis(readAnalysisFileAt((*dir_ / "g.toml").string()), ignore);
        AnalysisOptions options;
        options.tables = true;
        options.threads = threads;
        options.bootstrapReplicates = replicates;
        options.seed = 7;
        return analyzePrepared(prepared, options, ignore);
    }

    static std::string levelOf(const std::string& variable, std::size_t r) {
        if (variable == "sex") return sexOf(r);
        if (variable == "grade") return gradeOf(r);
        const std::string e = ellOf(r);
        return e.empty() ? "(missing)" : e;
    }

    static fs::path* dir_;
    static std::size_t rows_;
};

fs::path* GroupedTable::dir_ = nullptr;
std::size_t GroupedTable::rows_ = 0;

void expectClose(double actual, double expected, const std::string& what) {
    EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected))) << what;
}

TEST_F(GroupedTable, LevelsComeInValueOrderWithTheirSizes) {
    const Results r = run(toml("min_group = 100\n"), 0, 1);
    std::vector<std::string> names;
    for (const GroupLevel& g : r.groups) names.push_back(g.variable + "=" + g.level);
    EXPECT_EQ(names, (std::vector<std::string>{"sex=F", "sex=M", "grade=9", "grade=10", "grade=11",
                                               "ell=new", "ell=no", "ell=yes", "ell=(missing)"}));
    for (const GroupLevel& g : r.groups) {
        std::int64_t count = 0;
        for (std::size_t row = 0; row < rows_; ++row) count += levelOf(g.variable, row) == g.level;
        EXPECT_EQ(g.examinees, count) << g.level;
        EXPECT_EQ(g.small, count < 100) << g.level;
    }
    EXPECT_EQ(r.groups[5].examinees, 1);
    EXPECT_TRUE(r.groups[5].small);
    EXPECT_EQ(r.minGroup, 100);
}

TEST_F(GroupedTable, EqualMeansOverTheLevelsRowsOfExamineesCsv) {
    const fs::path out = *dir_ / "out";
    testing::writeFile(*dir_ / "g.toml", toml());
    const auto program = testing::runWithArguments(*dir_, {"--results", "out", "g.toml"});
    ASSERT_EQ(program.exitStatus, 0) << program.err;
    const auto examinees = parseCsv(readFile(out / "examinees.csv"));
    const Json doc = Json::parse(readFile(out / "results.json"));
    const std::vector<std::string>& head = examinees[0];
    std::map<std::string, std::size_t> column;
    for (std::size_t c = 0; c < head.size(); ++c) column[head[c]] = c;
    const std::size_t k = 3;
    ASSERT_EQ(doc["groups"].size(), 9u);
    for (const Json& g : doc["groups"]) {
        const std::string what =
            g["variable"].get<std::string>() + "=" + g["level"].get<std::string>();
        // The level's rows, in record order.
        double sums[4] = {0, 0, 0, 0};
        std::vector<double> p(k, 0.0), tbo(k * k, 0.0);
        std::vector<std::int64_t> observed(k, 0), truth(k, 0);
        double n = 0;
        for (std::size_t e = 1; e < examinees.size(); ++e) {
            const auto& row = examinees[e];
            const std::size_t tableRow = std::stoul(row[column["record"]]) - 1;
            if (levelOf(g["variable"], tableRow) != g["level"]) continue;
            n += 1;
            const char* means[] = {"consistency", "accuracy", "false_positive", "false_negative"};
            for (int m = 0; m < 4; ++m) sums[m] = sums[m] + csvReal(row[column[means[m]]]);
            const auto t = std::stoul(row[column["true_category"]]) - 1;
            ++observed[std::stoul(row[column["observed_category"]]) - 1];
            ++truth[t];
            for (std::size_t c = 0; c < k; ++c) {
                const double pc = csvReal(row[column["p_" + std::to_string(c + 1)]]);
                p[c] = p[c] + pc;
                tbo[t * k + c] = tbo[t * k + c] + pc;
            }
        }
        ASSERT_EQ(g["examinees"].get<double>(), n) << what;
        const Json& o = g["overall"];
        expectClose(o["consistency"], sums[0] / n, what + " consistency");
        expectClose(o["accuracy"], sums[1] / n, what + " accuracy");
        expectClose(o["false_positive"], sums[2] / n, what + " false positive");
        expectClose(o["false_negative"], sums[3] / n, what + " false negative");
        double chance = 0.0;
        for (std::size_t c = 0; c < k; ++c) chance += (p[c] / n) * (p[c] / n);
        expectClose(o["chance"], chance, what + " chance");
        expectClose(o["kappa"], (sums[0] / n - chance) / (1 - chance), what + " kappa");
        EXPECT_EQ(g["category_counts"]["observed"].get<std::vector<std::int64_t>>(), observed);
        EXPECT_EQ(g["category_counts"]["true"].get<std::vector<std::int64_t>>(), truth);
        for (std::size_t t = 0; t < k; ++t)
            for (std::size_t c = 0; c < k; ++c)
                expectClose(g["true_by_observed"][t][c], tbo[t * k + c] / n, what + " tbo");
        ASSERT_EQ(g["cuts"].size(), 2u);
        for (const char* key : {"cut", "observed_cut", "true_cut", "consistency", "chance", "kappa",
                                "accuracy", "false_positive", "false_negative", "sensitivity",
                                "specificity", "ppv", "npv", "youden"}) {
            EXPECT_TRUE(g["cuts"][0].contains(key)) << key;
        }
        EXPECT_FALSE(g.contains("bootstrap"));
    }
    // groups.csv holds the same values, long: 6 overall and 11 a cut per level.
    const auto csv = parseCsv(readFile(out / "groups.csv"));
    EXPECT_EQ(csv[0], (testing::CsvRow{"variable", "level", "examinees", "small", "index", "cut",
                                       "value"}));
    ASSERT_EQ(csv.size(), 1 + 9 * (6 + 2 * 11));
    const std::string small = doc["groups"][0]["small"].get<bool>() ? "true" : "false";
    EXPECT_EQ(csv[1], (testing::CsvRow{"sex", "F", doc["groups"][0]["examinees"].dump(), small,
                                       "consistency", "", csv[1][6]}));
    EXPECT_EQ(csvReal(csv[1][6]), doc["groups"][0]["overall"]["consistency"].get<double>());
    EXPECT_EQ(csv[7][4], "consistency");
    EXPECT_EQ(csv[7][5], "1");
    EXPECT_EQ(csvReal(csv[7][6]), doc["groups"][0]["cuts"][0]["consistency"].get<double>());
    EXPECT_EQ(csv[13][4], "sensitivity");
    EXPECT_EQ(csvReal(csv[13][6]), doc["groups"][0]["cuts"][0]["sensitivity"].get<double>());
    // The page has a table and a figure for each variable.
    const std::string page = readFile(out / "report.html");
    for (const char* part :
         {"id=\"groups-heading\"", "id=\"groups-1\"", "id=\"groups-3\"",
          "id=\"groups-figure-2-title\"", "data-json=\"groups.5.overall.accuracy\""})
        EXPECT_NE(page.find(part), std::string::npos) << part;
}

TEST_F(GroupedTable, LevelsWeightedBySizeGiveTheWholeSample) {
    for (const bool bias : {false, true}) {
        const Results r = run(toml("", bias), 0, 1);
        const IndexSet& whole = r.classification.overall;
        std::map<std::string, IndexSet> sums;
        for (const GroupLevel& g : r.groups) {
            IndexSet& s = sums[g.variable];
            const double n = static_cast<double>(g.examinees);
            s.consistency += n * g.indices.overall.consistency;
            s.accuracy += n * g.indices.overall.accuracy;
            s.falsePositive += n * g.indices.overall.falsePositive;
            s.falseNegative += n * g.indices.overall.falseNegative;
        }
        ASSERT_EQ(sums.size(), 3u);
        const double total = static_cast<double>(r.examineeCount);
        for (const auto& [variable, s] : sums) {
            const std::string what = variable + (bias ? " corrected" : "");
            expectClose(s.consistency / total, whole.consistency, what);
            expectClose(s.accuracy / total, whole.accuracy, what);
            expectClose(s.falsePositive / total, whole.falsePositive, what);
            expectClose(s.falseNegative / total, whole.falseNegative, what);
        }
    }
}

void expectSameBits(double a, double b, const std::string& what) {
    if (std::isnan(a) && std::isnan(b)) return;
    EXPECT_EQ(a, b) << what;
}

void expectSameSpread(const IndexSpread& a, const IndexSpread& b, const std::string& what) {
    expectSameBits(a.se, b.se, what + " se");
    expectSameBits(a.ciLow, b.ciLow, what + " ci_low");
    expectSameBits(a.ciHigh, b.ciHigh, what + " ci_high");
    EXPECT_EQ(a.replicatesUndefined, b.replicatesUndefined) << what;
}

TEST_F(GroupedTable, BootstrapSpreadsDoNotDependOnTheThreads) {
    for (const bool bias : {false, true}) {
        const std::int64_t replicates = bias ? 12 : 40;
        const Results one = run(toml("", bias), replicates, 1);
        const Results two = run(toml("", bias), replicates, 2);
        ASSERT_EQ(one.bootstrap->groups.size(), one.groups.size());
        ASSERT_EQ(two.bootstrap->groups.size(), one.groups.size());
        for (std::size_t g = 0; g < one.groups.size(); ++g) {
            const GroupLevelSpread& a = one.bootstrap->groups[g];
            const GroupLevelSpread& b = two.bootstrap->groups[g];
            const std::string what = one.groups[g].level + (bias ? " corrected" : "");
            // The levels themselves are computed side by side too.
            for (const IndexField& field : kIndexFields) {
                expectSameBits(one.groups[g].indices.overall.*field.value,
                               two.groups[g].indices.overall.*field.value, what);
            }
            EXPECT_EQ(one.groups[g].trueByObserved, two.groups[g].trueByObserved) << what;
            expectSameSpread(a.overall.consistency, b.overall.consistency, what);
            expectSameSpread(a.overall.kappa, b.overall.kappa, what);
            expectSameSpread(a.cuts[1].accuracy, b.cuts[1].accuracy, what);
            expectSameSpread(a.cutDiagnostics[0].youden, b.cutDiagnostics[0].youden, what);
        }
        // The one examinee of "new" is missing from some replicates; the large
        // levels are in every one.
        const GroupLevelSpread& alone = one.bootstrap->groups[5];
        EXPECT_GT(alone.overall.accuracy.replicatesUndefined, 0);
        EXPECT_LT(alone.overall.accuracy.replicatesUndefined, replicates);
        const GroupLevelSpread& large = one.bootstrap->groups[0];
        EXPECT_EQ(large.overall.accuracy.replicatesUndefined, 0);
        EXPECT_GT(large.overall.accuracy.se, 0.0);
        EXPECT_LE(large.overall.accuracy.ciLow, one.groups[0].indices.overall.accuracy + 0.05);
    }
}

TEST_F(GroupedTable, BootstrappedFilesCarryTheSpreads) {
    testing::writeFile(*dir_ / "g.toml", toml() + "[options]\nbootstrap = 20\n");
    const auto program = testing::runWithArguments(*dir_, {"--results", "boot", "g.toml"});
    ASSERT_EQ(program.exitStatus, 0) << program.err;
    const Json doc = Json::parse(readFile(*dir_ / "boot" / "results.json"));
    const Json& first = doc["groups"][0];
    ASSERT_TRUE(first.contains("bootstrap"));
    EXPECT_TRUE(first["bootstrap"]["overall"]["accuracy"].contains("se"));
    EXPECT_EQ(first["bootstrap"]["cuts"].size(), 2u);
    EXPECT_TRUE(first["bootstrap"]["cuts"][1].contains("npv"));
    const auto csv = parseCsv(readFile(*dir_ / "boot" / "groups.csv"));
    EXPECT_EQ(csv[0], (testing::CsvRow{"variable", "level", "examinees", "small", "index", "cut",
                                       "value", "se", "ci_low", "ci_high"}));
    EXPECT_EQ(csvReal(csv[1][7]), first["bootstrap"]["overall"]["consistency"]["se"].get<double>());
    // Every number of the page's group section is its results.json value, rounded.
    const std::string page = readFile(*dir_ / "boot" / "report.html");
    const std::string section = page.substr(page.find("id=\"groups-heading\""));
    const std::regex cell("data-json=\"([^\"]+)\">([^<]*)<");
    std::size_t cells = 0;
    for (auto it = std::sregex_iterator(section.begin(), section.end(), cell);
         it != std::sregex_iterator(); ++it, ++cells) {
        const std::string path = (*it)[1], text = (*it)[2];
        ASSERT_EQ(path.rfind("groups.", 0), 0u) << path;
        const Json& value = testing::jsonAt(doc, path);
        EXPECT_EQ(text, value.is_number_integer() ? std::to_string(value.get<std::int64_t>())
                                                  : shownReal(value.get<double>()))
            << path;
    }
    // Per level: examinees, six indices, two SEs and two intervals.
    EXPECT_EQ(cells, 9u * (1 + 6 + 2 + 4));
}

// A testing program lists each level of a grouped test in summary_groups.csv
// with the numbers that test's own results.json gives, spreads included.
TEST_F(GroupedTable, ProgramSummaryRowsAreTheTestsGroupNumbers) {
    testing::writeFile(*dir_ / "g.toml", toml() + "[options]\nbootstrap = 20\n");
    testing::writeFile(*dir_ / "h.toml", toml("min_group = 1000\n"));
    const auto program =
        testing::runWithArguments(*dir_, {"--results", "prog", "g.toml", "h.toml"});
    ASSERT_EQ(program.exitStatus, 0) << program.err;
    const auto rows = parseCsv(readFile(*dir_ / "prog" / "summary_groups.csv"));
    ASSERT_FALSE(rows.empty());
    const testing::CsvRow& header = rows[0];
    const auto column = [&](const std::string& name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                        header.begin());
    };
    std::size_t row = 1;
    for (const char* test : {"g", "h"}) {
        const Json doc = Json::parse(readFile(*dir_ / "prog" / test / "results.json"));
        for (const Json& level : doc["groups"]) {
            ASSERT_LT(row, rows.size());
            const testing::CsvRow& cells = rows[row++];
            EXPECT_EQ(cells[column("file")], std::string(test) + ".toml");
            EXPECT_EQ(cells[column("variable")], level["variable"].get<std::string>());
            EXPECT_EQ(cells[column("level")], level["level"].get<std::string>());
            EXPECT_EQ(cells[column("examinees")], std::to_string(level["examinees"].get<int>()));
            EXPECT_EQ(cells[column("small")], level["small"].get<bool>() ? "true" : "false");
            for (const IndexField& field : kIndexFields) {
                const std::string key(field.key);
                EXPECT_EQ(csvReal(cells[column(key)]), level["overall"][key].get<double>()) << key;
                const std::string se = cells[column(key + "_se")];
                if (level.contains("bootstrap")) {
                    EXPECT_EQ(csvReal(se), level["bootstrap"]["overall"][key]["se"].get<double>());
                } else {
                    EXPECT_EQ(se, "") << key;
                }
            }
        }
    }
    EXPECT_EQ(row, rows.size());
}

TEST_F(GroupedTable, WithoutGroupsNoFileOrKeyIsAdded) {
    std::string text = toml();
    text.replace(text.find("groups = "),
                 text.find('\n', text.find("groups = ")) - text.find("groups = ") + 1, "");
    testing::writeFile(*dir_ / "g.toml", text);
    const auto program = testing::runWithArguments(*dir_, {"--results", "plain", "g.toml"});
    ASSERT_EQ(program.exitStatus, 0) << program.err;
    EXPECT_FALSE(fs::exists(*dir_ / "plain" / "groups.csv"));
    EXPECT_EQ(readFile(*dir_ / "plain" / "results.json").find("\"groups\""), std::string::npos);
    EXPECT_EQ(readFile(*dir_ / "plain" / "report.html").find("groups-heading"), std::string::npos);
}

}  // namespace
}  // namespace tl
