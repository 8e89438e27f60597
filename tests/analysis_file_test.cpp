// The analysis file reader: what a good file gives, and one line naming the
// file, the line and the key for every kind of mistake.
#include "input/analysis_file.h"

#include <gtest/gtest.h>

#include <string>

#include "core/errors.h"

namespace tl {
namespace {

const std::string kGood = R"(title = "Grade 5"
[data]
file = "g5.csv"
id = "sid"
missing = "omit"
missing_codes = [9, -9]

[[sets]]
name = "Multiple choice"
items = "mc01:mc40"
points = [0, 1]
missing = 0
reverse = ["mc07"]

[[sets]]
items = ["cr1", "cr2"]
points = [0, 1, 2, 3, 4]
weight = 2

[classification]
labels = ["Below", "Basic", "Proficient", "Advanced"]
observed_cuts = [20, 35, 50]
bias_correction = true

[output]
report = "g5.out"
conditional = true
results = "results/g5"

[options]
bootstrap = 100
seed = 7
)";

TEST(AnalysisFileReader, ReadsOtherCutSets) {
    const AnalysisFile f = readAnalysisFile(
        "[[sets]]\nfile = \"a.dat\"\nitems = 3\npoints = [0, 1]\n[classification]\n"
        "observed_cuts = [1]\n[[classification.alternatives]]\nname = \"lower\"\n"
        "observed_cuts = [0.5, 2]\n[[classification.alternatives]]\nname = \"apart\"\n"
        "observed_cuts = [1]\ntrue_cuts = [2]\n",
        "g.toml");
    ASSERT_EQ(f.alternatives.size(), 2u);
    EXPECT_EQ(f.alternatives[0].name, "lower");
    EXPECT_EQ(f.alternatives[0].observedCuts, (std::vector<double>{0.5, 2}));
    EXPECT_EQ(f.alternatives[0].trueCuts, (std::vector<double>{0.5, 2}));
    EXPECT_EQ(f.alternatives[1].trueCuts, (std::vector<double>{2}));
    EXPECT_EQ(f.card.observedCuts, (std::vector<double>{1}));
}

// The sweep's targets in the library's order of indices, not the file's.
TEST(AnalysisFileReader, ReadsTheSweep) {
    const AnalysisFile f = readAnalysisFile(
        "[[sets]]\nfile = \"a.dat\"\nitems = 3\npoints = [0, 1]\n[classification]\n"
        "observed_cuts = [1]\n[sweep]\ntarget_npv = 0.5\ntrue_cut = 2\ntarget_sensitivity = 1\n",
        "g.toml");
    ASSERT_TRUE(f.sweep);
    EXPECT_EQ(f.sweep->trueCut, 2.0);
    EXPECT_EQ(f.sweep->targets,
              (std::vector<SweepOptions::Target>{{"sensitivity", 1.0}, {"npv", 0.5}}));
}

// Item lists as codebooks give them, in one string.
TEST(AnalysisFileReader, ReadsAListOfNamesInOneString) {
    const std::string cuts = "[classification]\nobserved_cuts = [3]\n";
    const struct {
        std::string items;
        std::vector<std::string> names;
        std::string range;
    } cases[] = {
        {"q_1290 q_1744 q_1979", {"q_1290", "q_1744", "q_1979"}, ""},
        {"q1,q2, q3", {"q1", "q2", "q3"}, ""},
        {"  q1\\n\\tq2\\r\\n", {"q1", "q2"}, ""},
        {"q1", {"q1"}, ""},
        {" q1 ", {" q1 "}, ""},  // one name stays as written
        {"q1:q9", {}, "q1:q9"},
    };
    for (const auto& c : cases) {
        const AnalysisFile f = readAnalysisFile("[data]\nfile = \"t.csv\"\n[[sets]]\nitems = \"" +
                                                    c.items + "\"\npoints = [0, 1]\n" + cuts,
                                                "g.toml");
        EXPECT_EQ(f.columns[0].names, c.names) << c.items;
        EXPECT_EQ(f.columns[0].range, c.range) << c.items;
    }
}

TEST(AnalysisFileReader, ReadsEveryKey) {
    const AnalysisFile f = readAnalysisFile(kGood, "dir/g5.toml");
    EXPECT_EQ(f.labels.title, "Grade 5");
    EXPECT_EQ(f.labels.setNames, (std::vector<std::string>{"Multiple choice", ""}));
    EXPECT_EQ(f.labels.categoryLabels.size(), 4u);
    ASSERT_TRUE(f.table);
    EXPECT_EQ(f.table->source.path, "dir/g5.csv");
    EXPECT_EQ(f.table->id, "sid");
    EXPECT_EQ(f.table->missing.kind, MissingRule::Kind::Omit);
    EXPECT_EQ(f.table->missingCodes, (std::vector<double>{9, -9}));
    EXPECT_EQ(f.columns[0].range, "mc01:mc40");
    EXPECT_EQ(f.columns[0].reverse, (std::vector<std::string>{"mc07"}));
    EXPECT_EQ(f.columns[0].missing, (MissingRule{MissingRule::Kind::Score, 0.0}));
    EXPECT_EQ(f.columns[1].names, (std::vector<std::string>{"cr1", "cr2"}));
    EXPECT_EQ(f.card.setCount, 2);
    EXPECT_EQ(f.card.itemSets[1].weight, 2.0);
    EXPECT_EQ(f.card.itemSets[0].weight, 1.0);
    EXPECT_EQ(f.card.itemSets[1].scorePointCount, 5);
    EXPECT_EQ(f.card.categoryCount, 4);
    EXPECT_EQ(f.card.trueCuts, f.card.observedCuts);
    EXPECT_EQ(f.card.biasCorrection, 1);
    EXPECT_EQ(f.card.conditionalResults, 1);
    EXPECT_EQ(f.reportPath, "dir/g5.out");
    EXPECT_EQ(f.resultsDir, "dir/results/g5");
    EXPECT_EQ(f.bootstrap, 100);
    EXPECT_EQ(f.seed, 7u);
}

TEST(AnalysisFileReader, PerSetFilesAreTheCardsDataFiles) {
    const AnalysisFile f = readAnalysisFile(
        "[[sets]]\nfile = \"want.dat\"\nitems = 12\npoints = [0, 1, 2]\nweight = 0.5\n"
        "[classification]\nobserved_cuts = [9, 27]\ntrue_cuts = [8.5, 27]\n",
        "ex/a.toml");
    EXPECT_FALSE(f.table);
    EXPECT_EQ(f.card.itemSets[0].dataFile, "want.dat");
    EXPECT_EQ(f.dataPaths, (std::vector<std::string>{"ex/want.dat"}));
    EXPECT_EQ(f.card.itemSets[0].itemCount, 12);
    EXPECT_EQ(f.card.trueCuts, (std::vector<double>{8.5, 27}));
}

struct Mistake {
    const char* name;
    std::string text;
    std::string message;
};

void PrintTo(const Mistake& m, std::ostream* os) {
    *os << m.name;
}

class AnalysisFileMistake : public testing::TestWithParam<Mistake> {};

TEST_P(AnalysisFileMistake, IsOneLineNamingFileLineAndKey) {
    try {
        readAnalysisFile(GetParam().text, "g5.toml");
        FAIL() << "accepted";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

const std::string kSet = "[[sets]]\nfile = \"a.dat\"\nitems = 3\npoints = [0, 1]\n";
const std::string kCuts = "[classification]\nobserved_cuts = [1]\n";

std::string points(int count) {
    std::string list = "[0";
    for (int k = 1; k < count; ++k) list += ", " + std::to_string(k);
    return list + "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnalysisFileMistake,
    testing::Values(
        Mistake{"Syntax", "title = \n",
                "g5.toml:1: Error while parsing key-value pair: expected "
                "value, saw '\\n'"},
        Mistake{"UnknownKeyNearOne", kSet + "[classification]\nobserved_cut = [1]\n",
                "g5.toml:6: unknown key `classification.observed_cut` (did you mean "
                "`observed_cuts`?)"},
        Mistake{"TopKeyThatBelongsInATable", "observed_cuts = [1]\n" + kSet + kCuts,
                "g5.toml:1: unknown key `observed_cuts` (did you mean `observed_cuts` under "
                "[classification]?)"},
        Mistake{"UnknownKeyFarFromAll", kSet + kCuts + "[output]\ncolour = 1\n",
                "g5.toml:8: unknown key `output.colour`; the keys here are report, "
                "conditional, results, figures"},
        Mistake{"WrongType", "[[sets]]\nfile = \"a.dat\"\nitems = 3\npoints = \"0 1\"\n" + kCuts,
                "g5.toml:4: sets[1].points: must be a list of numbers, as [0, 1]"},
        Mistake{"MissingSets", kCuts, "g5.toml: sets: at least one [[sets]] table is needed"},
        Mistake{"MissingCuts", kSet + "[classification]\n",
                "g5.toml:5: classification: needs `observed_cuts`"},
        Mistake{
            "TooManyPoints",
            kSet + "[[sets]]\nfile = \"b.dat\"\nitems = 3\npoints = " + points(20) + "\n" + kCuts,
            "g5.toml:8: sets[2].points: at most 15 score points (20 given)"},
        Mistake{"PointsNotRising",
                "[[sets]]\nfile = \"a.dat\"\nitems = 3\npoints = [1, 0]\n" + kCuts,
                "g5.toml:4: sets[1].points: the score points must rise, each listed once"},
        Mistake{"TenSets",
                [] {
                    std::string t;
                    for (int s = 0; s < 10; ++s) t += kSet;
                    return t + kCuts;
                }(),
                "g5.toml:1: sets: at most 9 item sets (10 given)"},
        Mistake{"LabelCount", kSet + kCuts + "labels = [\"Low\"]\n",
                "g5.toml:7: classification.labels: one label per category: 2 (1 given)"},
        Mistake{"TrueCutCount", kSet + kCuts + "true_cuts = [1, 2]\n",
                "g5.toml:7: classification.true_cuts: 1 cut scores, as many as observed_cuts "
                "(2 given)"},
        Mistake{"MissingRuleWord",
                "[data]\nfile = \"t.csv\"\nmissing = \"skip\"\n[[sets]]\nitems = \"a:b\"\n"
                "points = [0, 1]\n" +
                    kCuts,
                "g5.toml:3: data.missing: must be \"error\", \"omit\" or a number that scores "
                "the missing response, not \"skip\""},
        Mistake{"TableSetWithoutTable", "[[sets]]\nitems = \"a:b\"\npoints = [0, 1]\n" + kCuts,
                "g5.toml:1: sets[1]: needs `file`, its own data file, or a [data] table to "
                "take its `items` from"},
        Mistake{"UnknownExtension",
                "[data]\nfile = \"t.xlsx\"\n[[sets]]\nitems = \"a:b\"\npoints = [0, 1]\n" + kCuts,
                "g5.toml:2: data.file: the extension of \"t.xlsx\" names no table format; give "
                "`format` (csv, tsv, text, spss, stata, sas or xpt)"},
        Mistake{"BootstrapOne", kSet + kCuts + "[options]\nbootstrap = 1\n",
                "g5.toml:8: options.bootstrap: 0 (none) or at least 2 replications, not 1"},
        Mistake{"SweepTargetAbove1", kSet + kCuts + "[sweep]\ntarget_ppv = 1.5\n",
                "g5.toml:8: sweep.target_ppv: must be a proportion from 0 to 1"},
        Mistake{"InfiniteWeight", kSet + "weight = inf\n" + kCuts,
                "g5.toml:5: sets[1].weight: must be a finite number"},
        Mistake{"EmptyItemColumn",
                "[data]\nfile = \"t.csv\"\n[[sets]]\nitems = \"\"\npoints = [0, 1]\n" + kCuts,
                "g5.toml:4: sets[1].items: names no column: give a column, a range as "
                "\"mc01:mc40\", or a list of column names"},
        Mistake{"RangeWithoutItsEnd",
                "[data]\nfile = \"t.csv\"\n[[sets]]\nitems = \"a:\"\npoints = [0, 1]\n" + kCuts,
                "g5.toml:4: sets[1].items: names no column: give a column, a range as "
                "\"mc01:mc40\", or a list of column names"},
        Mistake{"CutSetWithoutName",
                kSet + kCuts + "[[classification.alternatives]]\nobserved_cuts = [2]\n",
                "g5.toml:7: classification.alternatives[1]: needs `name`, which names its test "
                "and folder"},
        Mistake{"CutSetNamedTwice",
                kSet + kCuts +
                    "[[classification.alternatives]]\nname = \"low\"\nobserved_cuts = [1]\n"
                    "[[classification.alternatives]]\nname = \"low\"\nobserved_cuts = [2]\n",
                "g5.toml:11: classification.alternatives[2].name: names the cut set low twice"},
        Mistake{
            "CutSetNameWithSlash",
            kSet + kCuts + "[[classification.alternatives]]\nname = \"a/b\"\nobserved_cuts = [2]\n",
            "g5.toml:8: classification.alternatives[1].name: must be a name without /, \\ "
            "or #, not \"a/b\""},
        Mistake{"CutSetDecreasing",
                kSet + kCuts +
                    "[[classification.alternatives]]\nname = \"x\"\nobserved_cuts = [2, 1]\n",
                "g5.toml:9: classification.alternatives[1].observed_cuts: the cut scores must not "
                "decrease"},
        Mistake{"CutSetTrueCutsCount",
                kSet + kCuts +
                    "[[classification.alternatives]]\nname = \"x\"\nobserved_cuts = [2]\n"
                    "true_cuts = [1, 2]\n",
                "g5.toml:10: classification.alternatives[1].true_cuts: 1 cut scores, as many as "
                "observed_cuts (2 given)"},
        Mistake{"CutSetUnknownKey",
                kSet + kCuts + "[[classification.alternatives]]\nname = \"x\"\ncuts = [2]\n",
                "g5.toml:9: unknown key `classification.alternatives[1].cuts`; the keys here "
                "are name, observed_cuts, true_cuts"},
        Mistake{"RangeInAListOfNames",
                "[data]\nfile = \"t.csv\"\n[[sets]]\nitems = \"a b:c\"\npoints = [0, 1]\n" + kCuts,
                "g5.toml:4: sets[1].items: a list of names holds no range (\"b:c\"): give the "
                "range alone, or list its columns"},
        Mistake{
            "EmptyNameInTheList",
            "[data]\nfile = \"t.csv\"\n[[sets]]\nitems = [\"a\", \"\"]\npoints = [0, 1]\n" + kCuts,
            "g5.toml:4: sets[1].items[2]: is empty: give the column's name"},
        Mistake{"KeyOfManyDottedParts",
                kSet + kCuts + "[options]\n" +
                    [] {
                        std::string key = "x";
                        for (int part = 1; part < 65; ++part) key += ".x";
                        return key;
                    }() +
                    " = 1\n",
                "g5.toml:8: keys and tables are nested more than 64 deep (dotted parts, "
                "brackets and braces); an analysis file needs a few"},
        Mistake{"ArraysNestedDeep",
                kSet + kCuts + "x = " + std::string(64, '[') + std::string(64, ']') + "\n",
                "g5.toml:7: keys and tables are nested more than 64 deep (dotted parts, "
                "brackets and braces); an analysis file needs a few"},
        Mistake{"LargerThanAMegabyte", kSet + kCuts + "# " + std::string(1 << 20, 'x') + "\n",
                "g5.toml: the analysis file is larger than 1048576 bytes, the most one may "
                "have; is it the right file?"}),
    [](const auto& info) { return std::string(info.param.name); });

// Dots and brackets inside strings and comments, and the dot of a number,
// are no nesting: a file full of them is read as usual.
TEST(AnalysisFileReader, CountsNoNestingInStringsCommentsAndNumbers) {
    const std::string dots(300, '.');
    const std::string text = "title = \"" + dots + "[[[{{{\"\n# " + dots + "[[[[\n" + kSet +
                             "weight = 1.5\n" + kCuts + "labels = ['" + dots + "', \"\"\"a\n" +
                             dots + "\"\"\"]\n";
    const AnalysisFile file = readAnalysisFile(text, "g5.toml");
    EXPECT_EQ(file.labels.title, dots + "[[[{{{");
}

TEST(AnalysisFileName, IsTheTomlExtension) {
    EXPECT_TRUE(isAnalysisFileName("a/b.toml"));
    EXPECT_TRUE(isAnalysisFileName("B.TOML"));
    EXPECT_FALSE(isAnalysisFileName("card.txt"));
    EXPECT_FALSE(isAnalysisFileName("toml"));
}

}  // namespace
}  // namespace tl
