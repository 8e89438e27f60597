// Scale scores asked for as a user would: --scale and --cuts-on on a card, an
// analysis file's [scale] table (a CSV file or inline), the results files they
// add, the one-line errors and the warning of a table that falls somewhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/errors.h"
#include "input/analysis_file.h"
#include "support/program_run.h"
#include "support/scratch_case.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::runWithArguments;
using testing::ScratchCase;
using testing::writeFile;

// mathexam's composite runs from -13 to 52; s(x) = 200 + 3x.
std::string conversionCsv(int skip = 99, int twice = 99, int fallsAt = 99,
                          const std::string& cell = "") {
    std::string csv = "raw,scale\n";
    for (int x = -13; x <= 52; ++x) {
        if (x == skip) continue;
        const std::string s = x == 0 && !cell.empty() ? cell
                              : x == fallsAt          ? std::to_string(200 - 3 * x)
                                                      : std::to_string(200 + 3 * x);
        csv += std::to_string(x) + "," + s + "\n";
        if (x == twice) csv += std::to_string(x) + "," + s + "\n";
    }
    return csv;
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

TEST(ScaleOnTheCommandLine, AddsTheScaleFilesAndLeavesTheRestAsTheyWere) {
    const ScratchCase scratch(ScratchCase::example("mathexam"));
    writeFile(scratch.dir() / "conversion.csv", conversionCsv());
    const auto plain = runWithArguments(scratch.dir(), {"--results", "plain", "card.txt"});
    ASSERT_EQ(plain.exitStatus, 0) << plain.err;
    const std::string report = readFile(scratch.dir() / "mathexam.out");
    const auto scaled = runWithArguments(
        scratch.dir(), {"--results", "scaled", "--scale", "conversion.csv", "card.txt"});
    ASSERT_EQ(scaled.exitStatus, 0) << scaled.err;
    EXPECT_EQ(scaled.err, plain.err);
    EXPECT_EQ(readFile(scratch.dir() / "mathexam.out"), report);  // the report is unchanged
    for (const char* same : {"overall.csv", "cuts.csv", "csem.csv", "conditional.csv"})
        EXPECT_EQ(readFile(scratch.dir() / "plain" / same),
                  readFile(scratch.dir() / "scaled" / same))
            << same;
    EXPECT_FALSE(fs::exists(scratch.dir() / "plain" / "scale_csem.csv"));
    EXPECT_EQ(firstLine(readFile(scratch.dir() / "scaled" / "scale_csem.csv")),
              "scale_score,examinees,error_variance,csem\r");
    const std::string header = firstLine(readFile(scratch.dir() / "scaled" / "examinees.csv"));
    EXPECT_TRUE(header.ends_with(",error_variance,csem,scale_score,scale_csem\r")) << header;

    const auto doc = nlohmann::json::parse(readFile(scratch.dir() / "scaled" / "results.json"));
    const auto& s = doc.at("scale");
    EXPECT_EQ(s.at("cuts_on"), "raw");
    EXPECT_EQ(s.at("observed_cuts")[0].at("raw"), 26.0);
    EXPECT_EQ(s.at("observed_cuts")[0].at("scale"), 278.0);
    EXPECT_EQ(s.at("csem")[0].size(), 4u);
    // s is linear: the scale reliability is the rounded composite's.
    EXPECT_NEAR(
        s.at("reliability").get<double>(),
        1.0 - s.at("average_error_variance").get<double>() / s.at("sample_variance").get<double>(),
        1e-15);
    EXPECT_NEAR(s.at("sample_variance").get<double>(),
                9.0 * doc.at("reliability").at("sample_variance").get<double>(), 1e-9);
}

TEST(ScaleOnTheCommandLine, CutsOnTheScaleGiveTheSameRunAsTheirRawCuts) {
    const ScratchCase scratch(ScratchCase::example("mathexam"));
    writeFile(scratch.dir() / "conversion.csv", conversionCsv());
    std::string card = readFile(scratch.dir() / "card.txt");
    ASSERT_NE(card.find("\n26\n26\n"), std::string::npos);
    writeFile(scratch.dir() / "scaled.txt",
              card.replace(card.find("\n26\n26\n"), 7, "\n277\n277\n"));
    const auto raw = runWithArguments(
        scratch.dir(), {"--results", "raw", "--scale", "conversion.csv", "card.txt"});
    const auto scaled = runWithArguments(
        scratch.dir(),
        {"--results", "scaled", "--scale", "conversion.csv", "--cuts-on", "scale", "scaled.txt"});
    ASSERT_EQ(scaled.exitStatus, 0) << scaled.err;
    EXPECT_EQ(readFile(scratch.dir() / "raw" / "examinees.csv"),
              readFile(scratch.dir() / "scaled" / "examinees.csv"));
    const auto doc = nlohmann::json::parse(readFile(scratch.dir() / "scaled" / "results.json"));
    EXPECT_EQ(doc.at("observed_cuts")[0], 26.0);  // 277 is first reached at 26 (278)
    EXPECT_EQ(doc.at("scale").at("cuts_on"), "scale");
    EXPECT_EQ(doc.at("scale").at("true_cuts")[0].at("scale"), 277.0);
    EXPECT_EQ(doc.at("scale").at("true_cuts")[0].at("raw"), 26.0);
}

struct Refusal {
    const char* name;
    std::string csv;
    std::vector<std::string> words;
    std::string message;  // the one line on standard error begins so
    std::string card = "card.txt";
};

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.name;
}

class ScaleRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ScaleRefusal, IsOneLineAndWritesNothing) {
    const ScratchCase scratch(ScratchCase::example("mathexam"));
    writeFile(scratch.dir() / "conversion.csv", GetParam().csv);
    std::string high = readFile(scratch.dir() / "card.txt");
    writeFile(scratch.dir() / "high.txt", high.replace(high.find("\n26\n26\n"), 7, "\n400\n400\n"));
    std::vector<std::string> words{"--results", "out"};
    words.insert(words.end(), GetParam().words.begin(), GetParam().words.end());
    words.push_back(GetParam().card);
    const auto run = runWithArguments(scratch.dir(), words);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_TRUE(run.err.starts_with("tesserlink: " + GetParam().message)) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_FALSE(fs::exists(scratch.dir() / "out"));
    EXPECT_FALSE(fs::exists(scratch.dir() / "mathexam.out"));
}

const std::vector<std::string> kScale{"--scale", "conversion.csv"};

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleRefusal,
    ::testing::Values(
        Refusal{"MissingScore", conversionCsv(7), kScale,
                "conversion.csv: the raw score 7 has no scale score; give every composite score "
                "from -13 to 52 one row"},
        Refusal{"ScoreTwice", conversionCsv(99, 3), kScale,
                "conversion.csv, line 19: the raw score 3 is given twice (first on line 18)"},
        Refusal{"NotANumber", conversionCsv(99, 99, 99, "2O0"), kScale,
                "conversion.csv, line 15, column scale: \"2O0\" is not a number"},
        Refusal{"RawOffTheList", conversionCsv() + "53,400\n", kScale,
                "conversion.csv, line 68: the raw score 53 is not a composite score (they run "
                "from -13 to 52)"},
        Refusal{"CutNotReached",
                conversionCsv(),
                {"--scale", "conversion.csv", "--cuts-on", "scale"},
                "conversion.csv: no composite score reaches the observed cut 1, 400 on the scale; "
                "lower the cut or extend the table",
                "high.txt"},
        Refusal{"CutsOnScaleWithoutTable",
                conversionCsv(),
                {"--cuts-on", "scale"},
                "--cuts-on scale needs the conversion table: give --scale FILE as well"},
        Refusal{"NoSuchTable",
                conversionCsv(),
                {"--scale", "nothere.csv"},
                "nothere.csv: the conversion table does not exist (tried /"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScaleOnTheCommandLine, ATableThatFallsIsAWarning) {
    const ScratchCase scratch(ScratchCase::example("mathexam"));
    writeFile(scratch.dir() / "conversion.csv", conversionCsv(99, 99, 10));
    const auto run = runWithArguments(scratch.dir(), {"--scale", "conversion.csv", "card.txt"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err,
              "tesserlink: warning: the conversion table conversion.csv is not non-decreasing: a "
              "higher raw score has a lower scale score somewhere\n");
}

// ---- Analysis files ---------------------------------------------------------

const std::string kFile = R"([[sets]]
file = "points.dat"
items = 13
points = [-1, 0, 4]

[classification]
observed_cuts = [26]
)";

TEST(ScaleInAnalysisFile, ReadsATableFileOrInlineLists) {
    const AnalysisFile named = readAnalysisFile(
        kFile + "\n[scale]\ntable = \"tables/conv.csv\"\ncuts_on = \"scale\"\n", "ex/a.toml");
    ASSERT_TRUE(named.scale);
    EXPECT_EQ(named.scale->tablePath, "ex/tables/conv.csv");
    EXPECT_EQ(named.scale->table.source, "tables/conv.csv");
    EXPECT_TRUE(named.scale->cutsOnScale);

    const AnalysisFile inlined = readAnalysisFile(
        kFile + "\n[scale]\nraw = [0, 1,\n  2]\nscale = [100, 110, 125]\n", "ex/a.toml");
    ASSERT_TRUE(inlined.scale);
    EXPECT_FALSE(inlined.scale->tablePath);
    EXPECT_FALSE(inlined.scale->cutsOnScale);
    EXPECT_EQ(inlined.scale->table.raw, (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(inlined.scale->table.scale, (std::vector<double>{100, 110, 125}));
    EXPECT_EQ(inlined.scale->table.lines, (std::vector<std::int64_t>{10, 10, 11}));
    EXPECT_EQ(inlined.scale->table.source, "ex/a.toml [scale]");

    EXPECT_FALSE(readAnalysisFile(kFile, "a.toml").scale);
}

struct FileMistake {
    const char* name;
    std::string scale;  // the [scale] table's lines, from line 10
    std::string message;
};

void PrintTo(const FileMistake& m, std::ostream* os) {
    *os << m.name;
}

class ScaleFileMistake : public ::testing::TestWithParam<FileMistake> {};

TEST_P(ScaleFileMistake, IsOneLineNamingLineAndKey) {
    try {
        readAnalysisFile(kFile + "\n[scale]\n" + GetParam().scale, "g.toml");
        FAIL() << "accepted";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScaleFileMistake,
    ::testing::Values(
        FileMistake{"UnknownKey", "table = \"c.csv\"\ncut_on = \"scale\"\n",
                    "g.toml:11: unknown key `scale.cut_on` (did you mean `cuts_on`?)"},
        FileMistake{"FarKey", "table = \"c.csv\"\ncolour = 1\n",
                    "g.toml:11: unknown key `scale.colour`; the keys here are table, raw, scale, "
                    "cuts_on"},
        FileMistake{"CutsOnWord", "table = \"c.csv\"\ncuts_on = \"scaled\"\n",
                    "g.toml:11: scale.cuts_on: must be \"raw\" or \"scale\", not \"scaled\""},
        FileMistake{"NoTable", "cuts_on = \"raw\"\n",
                    "g.toml:9: scale: needs `table`, a CSV file with columns raw and scale, or "
                    "both `raw` and `scale` lists"},
        FileMistake{"Both", "table = \"c.csv\"\nraw = [0]\nscale = [1]\n",
                    "g.toml:10: scale.table: give the conversion either as a table file or "
                    "inline as `raw` and `scale`, not both"},
        FileMistake{"Lengths", "raw = [0, 1]\nscale = [1]\n",
                    "g.toml:11: scale.scale: one scale score per raw score: 2 (1 given)"},
        FileMistake{"NotANumber", "raw = [0, 1]\nscale = [1, \"two\"]\n",
                    "g.toml:11: scale.scale[2]: must be a number"},
        FileMistake{"TableNotText", "table = 3\n",
                    "g.toml:10: scale.table: must be a text in quotes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScaleInAnalysisFile, RunsItsTableAndRefusesAMissingScoreInline) {
    const ScratchCase scratch(ScratchCase::example("mathexam"));
    writeFile(scratch.dir() / "conversion.csv", conversionCsv());
    writeFile(scratch.dir() / "a.toml",
              kFile + "\n[scale]\ntable = \"conversion.csv\"\n[output]\nresults = \"out\"\n");
    const auto run = runWithArguments(scratch.dir(), {"a.toml"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const auto card = runWithArguments(
        scratch.dir(), {"--results", "card", "--scale", "conversion.csv", "card.txt"});
    ASSERT_EQ(card.exitStatus, 0) << card.err;
    EXPECT_EQ(readFile(scratch.dir() / "out" / "scale_csem.csv"),
              readFile(scratch.dir() / "card" / "scale_csem.csv"));
    EXPECT_EQ(readFile(scratch.dir() / "out" / "examinees.csv"),
              readFile(scratch.dir() / "card" / "examinees.csv"));

    // The command line's --scale and --cuts-on over the file's [scale].
    writeFile(scratch.dir() / "c.toml", kFile + "\n[output]\nresults = \"outc\"\n");
    const auto given = runWithArguments(scratch.dir(), {"--scale", "conversion.csv", "c.toml"});
    ASSERT_EQ(given.exitStatus, 0) << given.err;
    EXPECT_EQ(readFile(scratch.dir() / "outc" / "scale_csem.csv"),
              readFile(scratch.dir() / "card" / "scale_csem.csv"));
    // 26 on a scale that starts at 161: every score reaches it, so the raw cut
    // is the lowest score and category 1 is left empty.
    const auto onScale = runWithArguments(scratch.dir(), {"--cuts-on", "scale", "a.toml"});
    EXPECT_EQ(onScale.exitStatus, 0);
    EXPECT_NE(onScale.err.find("the observed cut scores leave category 1 empty"), std::string::npos)
        << onScale.err;

    writeFile(scratch.dir() / "b.toml", kFile +
                                            "\n[scale]\nraw = [0, 1]\nscale = [1, 2]\n"
                                            "[output]\nresults = \"outb\"\n");
    const auto refused = runWithArguments(scratch.dir(), {"b.toml"});
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_EQ(refused.err,
              "tesserlink: b.toml [scale]: the raw score -13 has no scale score; give every "
              "composite score from -13 to 52 one row\n");
    EXPECT_FALSE(fs::exists(scratch.dir() / "outb"));
}

}  // namespace
}  // namespace tl
