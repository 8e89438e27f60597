// Grouping columns: how their values become levels (order, "(missing)", value
// labels), how each table reader hands their cells over, and how an analysis
// file names them.
#include "input/group_levels.h"

#include <gtest/gtest.h>
#include <readstat.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/prepared_file.h"
#include "core/errors.h"
#include "input/analysis_file.h"
#include "support/program_run.h"
#include "tables/table.h"

namespace tl {

// A table format prints by its name, in the test list as in the test's name.
static void PrintTo(TableFormat format, std::ostream* out) {
    *out << (format == TableFormat::Spss ? "Spss" : "Stata");
}

namespace {

namespace fs = std::filesystem;

struct LevelCase {
    const char* name;
    std::vector<const char*> cells;  // nullptr: a missing cell
    std::vector<std::pair<std::string, std::string>> labels;
    std::vector<std::string> levels;
    std::vector<std::uint32_t> levelOf;
};

void PrintTo(const LevelCase& c, std::ostream* os) {
    *os << c.name;
}

class LevelOrder : public ::testing::TestWithParam<LevelCase> {};

TEST_P(LevelOrder, FollowsTheValues) {
    const LevelCase& c = GetParam();
    GroupLevelCollector collector("g");
    for (const char* cell : c.cells) {
        if (cell) {
            collector.add(cell);
        } else {
            collector.addMissing();
        }
    }
    for (const auto& [value, name] : c.labels) collector.label(value, name);
    const GroupingVariable v = collector.finish();
    EXPECT_EQ(v.name, "g");
    EXPECT_EQ(v.levels, c.levels);
    EXPECT_EQ(v.levelOf, c.levelOf);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LevelOrder,
    ::testing::Values(
        LevelCase{
            "NumbersInNumericOrder", {"10", "9", "11", "9"}, {}, {"9", "10", "11"}, {1, 0, 2, 0}},
        LevelCase{"NegativeAndDecimal", {"0.5", "-1", "2e0"}, {}, {"-1", "0.5", "2e0"}, {1, 0, 2}},
        LevelCase{"AnyTextMakesByteOrder",
                  {"10", "9", "b", "a"},
                  {},
                  {"10", "9", "a", "b"},
                  {0, 1, 3, 2}},
        LevelCase{"CaseCountsInByteOrder", {"f", "F", "m"}, {}, {"F", "f", "m"}, {1, 0, 2}},
        LevelCase{"MissingLast",
                  {"2", "", "1", "NA", ".", nullptr},
                  {},
                  {"1", "2", "(missing)"},
                  {1, 2, 0, 2, 2, 2}},
        LevelCase{"BlanksAroundIgnored", {" x ", "x", "\ty"}, {}, {"x", "y"}, {0, 0, 1}},
        LevelCase{"OnlyMissing", {"", nullptr}, {}, {"(missing)"}, {0, 0}},
        LevelCase{"EqualNumbersWrittenApart", {"1.0", "1", "0"}, {}, {"0", "1", "1.0"}, {2, 1, 0}},
        LevelCase{"LabelsNameValuesInValueOrder",
                  {"2", "1", "3"},
                  {{"1", "Male"}, {"2", "Female"}},
                  {"Male", "Female", "3"},
                  {1, 0, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

// Records the text cells of each row and the value labels a reader gives.
class TextRecorder : public TableVisitor {
  public:
    explicit TextRecorder(std::vector<std::string> texts) : wanted_(std::move(texts)) {}
    ColumnPick header(const std::vector<std::string>& names) override {
        ColumnPick pick;
        for (const std::string& w : wanted_) {
            for (std::size_t c = 0; c < names.size(); ++c)
                if (names[c] == w) pick.texts.push_back(c);
        }
        for (std::size_t c = 0; c < names.size(); ++c)
            if (names[c] == "A") pick.numbers.push_back(c);
        return pick;
    }
    void rowTexts(std::span<const std::string> texts) override {
        pending_ = std::vector<std::string>(texts.begin(), texts.end());
    }
    void row(std::int64_t row, std::span<const TableCell> cells, std::string_view) override {
        std::string line = std::to_string(row) + ":";
        for (const std::string& t : pending_) line += "[" + t + "]";
        line += cells.empty() || cells[0].missing ? "NA" : std::to_string(cells[0].value);
        rows_.push_back(line);
        pending_.clear();
    }
    void valueLabels(std::size_t text, const std::vector<ValueLabel>& labels) override {
        for (const ValueLabel& l : labels)
            labels_.push_back(std::to_string(text) + ":" + l.value + "=" + l.label);
    }
    std::vector<std::string> wanted_, pending_, rows_, labels_;
};

TEST(DelimitedTable, HandsGroupingCellsAsTextBeforeEachRow) {
    TextRecorder recorder({"sex", "grade"});
    readDelimitedText("A,sex,grade\n1,F,10\n0,,9\n1,\"M, x\",NA\n", "t.csv", ',', recorder);
    EXPECT_EQ(recorder.rows_, (std::vector<std::string>{"1:[F][10]1.000000", "2:[][9]0.000000",
                                                        "3:[M, x][NA]1.000000"}));
    EXPECT_TRUE(recorder.labels_.empty());
}

ssize_t writeBytes(const void* data, size_t length, void* file) {
    return static_cast<ssize_t>(std::fwrite(data, 1, length, static_cast<std::FILE*>(file)));
}

// A statistics file whose "sex" column is labelled 1 Female, 2 Male, with one
// missing value, and whose "site" column is text.
void writeLabelledFile(const std::string& path, TableFormat format) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    readstat_writer_t* writer = readstat_writer_init();
    readstat_set_data_writer(writer, writeBytes);
    readstat_label_set_t* sexes = readstat_add_label_set(writer, READSTAT_TYPE_DOUBLE, "sexes");
    readstat_label_double_value(sexes, 1, "Female");
    readstat_label_double_value(sexes, 2, "Male");
    readstat_variable_t* a = readstat_add_variable(writer, "A", READSTAT_TYPE_DOUBLE, 8);
    readstat_variable_t* sex = readstat_add_variable(writer, "sex", READSTAT_TYPE_DOUBLE, 8);
    readstat_variable_set_label_set(sex, sexes);
    readstat_variable_t* site = readstat_add_variable(writer, "site", READSTAT_TYPE_STRING, 8);
    if (format == TableFormat::Spss) {
        readstat_begin_writing_sav(writer, file, 3);
    } else {
        readstat_begin_writing_dta(writer, file, 3);
    }
    const double sexOf[] = {2, 1, 0};
    const char* siteOf[] = {"north", "south", "north"};
    for (int r = 0; r < 3; ++r) {
        readstat_begin_row(writer);
        readstat_insert_double_value(writer, a, r);
        if (r == 2) {
            readstat_insert_missing_value(writer, sex);
        } else {
            readstat_insert_double_value(writer, sex, sexOf[r]);
        }
        readstat_insert_string_value(writer, site, siteOf[r]);
        readstat_end_row(writer);
    }
    readstat_end_writing(writer);
    readstat_writer_free(writer);
    std::fclose(file);
}

// The results of the analysis file `path`, with its tables; each finding
// goes to `sink`.
Results runFile(
    const fs::path& path, const FindingSink& sink = [](const tl::Finding&) {}) {
    const PreparedAnalysis prepared = prepareAnalysis(readAnalysisFileAt(path.string()), sink);
    AnalysisOptions options;
    options.tables = true;
    return analyzePrepared(prepared, options, sink);
}

class LabelledFile : public ::testing::TestWithParam<TableFormat> {};

TEST_P(LabelledFile, NamesTheLevelsOfAGroupingColumn) {
    const bool spss = GetParam() == TableFormat::Spss;
    const fs::path dir = testing::makeScratchDirectory("group_labels");
    const std::string path = (dir / (spss ? "t.sav" : "t.dta")).string();
    writeLabelledFile(path, GetParam());
    TextRecorder recorder({"site", "sex"});
    readTable({path, GetParam(), 0}, recorder);
    EXPECT_EQ(recorder.rows_,
              (std::vector<std::string>{"1:[north][2]0.000000", "2:[south][1]1.000000",
                                        "3:[north][]2.000000"}));
    EXPECT_EQ(recorder.labels_, (std::vector<std::string>{"1:1=Female", "1:2=Male"}));

    // Through an analysis file, the levels take the labels.
    testing::writeFile(dir / "a.toml", std::string("[data]\nfile = \"") +
                                           (spss ? "t.sav" : "t.dta") +
                                           "\"\ngroups = [\"sex\", \"site\"]\n"
                                           "[[sets]]\nitems = [\"A\"]\npoints = [0, 1, 2]\n"
                                           "[classification]\nobserved_cuts = [1]\n");
    const Results results = runFile(dir / "a.toml");
    ASSERT_EQ(results.groups.size(), 5u);
    const std::vector<std::pair<std::string, std::string>> expected{{"sex", "Female"},
                                                                    {"sex", "Male"},
                                                                    {"sex", "(missing)"},
                                                                    {"site", "north"},
                                                                    {"site", "south"}};
    for (std::size_t g = 0; g < expected.size(); ++g) {
        EXPECT_EQ(results.groups[g].variable, expected[g].first);
        EXPECT_EQ(results.groups[g].level, expected[g].second);
        EXPECT_EQ(results.groups[g].examinees, g == 3 ? 2 : 1);
    }
    fs::remove_all(dir);
}

// The analysis file's own names for a plain table's levels; a value without
// one stays a level of its own, and is counted for the warning.
TEST(LevelLabels, NameThePlainTablesLevels) {
    const fs::path dir = testing::makeScratchDirectory("level_labels");
    testing::writeFile(dir / "t.csv", "sex,a\n1,0\n2,1\n1,2\n3,1\n2,0\n1,1\nM,2\n,1\n");
    testing::writeFile(dir / "a.toml",
                       "[data]\nfile = \"t.csv\"\ngroups = [\"sex\"]\n"
                       "[data.level_labels]\nsex = { 1 = \"male\", 2 = \"female\" }\n"
                       "[[sets]]\nitems = [\"a\"]\npoints = [0, 1, 2]\n"
                       "[classification]\nobserved_cuts = [1]\n");
    std::vector<Finding> found;
    const Results results =
        runFile(dir / "a.toml", [&found](const tl::Finding& f) { found.push_back(f); });
    const std::vector<std::pair<std::string, std::int32_t>> expected{
        {"male", 3}, {"female", 2}, {"3", 1}, {"M", 1}, {"(missing)", 1}};
    ASSERT_EQ(results.groups.size(), expected.size());
    for (std::size_t g = 0; g < expected.size(); ++g) {
        EXPECT_EQ(results.groups[g].level, expected[g].first);
        EXPECT_EQ(results.groups[g].examinees, expected[g].second);
    }
    std::vector<std::string> unlabelled;
    for (const Finding& f : found) {
        if (f.code == FindingCode::LevelUnlabelled) unlabelled.push_back(f.value + ":" + f.text);
    }
    EXPECT_EQ(unlabelled,
              (std::vector<std::string>{
                  "3:t.csv: column sex: the value 3 (1 examinee) has no label in "
                  "[data.level_labels]; it is reported as a level of its own. Label it, or "
                  "recode it",
                  "M:t.csv: column sex: the value M (1 examinee) has no label in "
                  "[data.level_labels]; it is reported as a level of its own. Label it, or "
                  "recode it"}));
    fs::remove_all(dir);
}

// The file's names win over a labelled table's own.
TEST(LevelLabels, WinOverTheTablesValueLabels) {
    const fs::path dir = testing::makeScratchDirectory("level_labels_sav");
    writeLabelledFile((dir / "t.sav").string(), TableFormat::Spss);
    testing::writeFile(dir / "a.toml",
                       "[data]\nfile = \"t.sav\"\ngroups = [\"sex\"]\n"
                       "level_labels = { sex = { 1 = \"F\", 2 = \"M\" } }\n"
                       "[[sets]]\nitems = [\"A\"]\npoints = [0, 1, 2]\n"
                       "[classification]\nobserved_cuts = [1]\n");
    const Results results = runFile(dir / "a.toml");
    ASSERT_EQ(results.groups.size(), 3u);
    EXPECT_EQ(results.groups[0].level, "F");
    EXPECT_EQ(results.groups[1].level, "M");
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Formats, LabelledFile,
                         ::testing::Values(TableFormat::Spss, TableFormat::Stata),
                         [](const auto& info) { return ::testing::PrintToString(info.param); });

TEST(AnalysisFileGroups, AreReadWithTheirMinimum) {
    const AnalysisFile file = readAnalysisFile(
        "[data]\nfile = \"t.csv\"\ngroups = [\"sex\", \"ell\"]\nmin_group = 30\n"
        "[[sets]]\nitems = [\"a\"]\npoints = [0, 1]\n[classification]\nobserved_cuts = [1]\n",
        "g.toml");
    EXPECT_EQ(file.table->groups, (std::vector<std::string>{"sex", "ell"}));
    EXPECT_EQ(file.table->minGroup, 30);
    const AnalysisFile plain = readAnalysisFile(
        "[data]\nfile = \"t.csv\"\n[[sets]]\nitems = [\"a\"]\npoints = [0, 1]\n"
        "[classification]\nobserved_cuts = [1]\n",
        "g.toml");
    EXPECT_TRUE(plain.table->groups.empty());
    EXPECT_EQ(plain.table->minGroup, 50);
}

struct KeyMistake {
    const char* name;
    const char* data;  // [data] lines after file
    const char* message;
};

void PrintTo(const KeyMistake& c, std::ostream* os) {
    *os << c.name;
}

class GroupKeyMistake : public ::testing::TestWithParam<KeyMistake> {};

TEST_P(GroupKeyMistake, IsOneLineNamingTheKey) {
    const std::string text = std::string("[data]\nfile = \"t.csv\"\n") + GetParam().data +
                             "\n[[sets]]\nitems = [\"a\"]\npoints = [0, 1]\n"
                             "[classification]\nobserved_cuts = [1]\n";
    try {
        readAnalysisFile(text, "g.toml");
        FAIL() << "no error";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupKeyMistake,
    ::testing::Values(
        KeyMistake{"NotAList", "groups = \"sex\"",
                   "g.toml:3: data.groups: must be a list of texts, as [\"a\", \"b\"]"},
        KeyMistake{"NotTexts", "groups = [1]",
                   "g.toml:3: data.groups[1]: must be a text in quotes"},
        KeyMistake{"Twice", "groups = [\"sex\",\n \"sex\"]",
                   "g.toml:4: data.groups[2]: names the column sex twice"},
        KeyMistake{"Empty", "groups = [\"\"]", "g.toml:3: data.groups[1]: must name a column"},
        KeyMistake{"NegativeMinimum", "min_group = -1",
                   "g.toml:3: data.min_group: must be at least 0, not -1"},
        KeyMistake{"LabelsOfAColumnNotGrouped",
                   "groups = [\"sex\"]\n[data.level_labels]\nell = { 1 = \"yes\" }",
                   "g.toml:5: data.level_labels.ell: ell is not a grouping column: add it to "
                   "[data] groups, or remove its labels"},
        KeyMistake{"LabelNotAText", "groups = [\"sex\"]\nlevel_labels.sex = { 1 = 2 }",
                   "g.toml:4: data.level_labels.sex.1: must be a text in quotes"},
        KeyMistake{"Slip", "group = [\"sex\"]",
                   "g.toml:3: unknown key `data.group` (did you mean `groups`?)"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ColumnMistake {
    const char* name;
    const char* groups;
    const char* message;
};

void PrintTo(const ColumnMistake& c, std::ostream* os) {
    *os << c.name;
}

class GroupColumnMistake : public ::testing::TestWithParam<ColumnMistake> {};

TEST_P(GroupColumnMistake, IsOneLineNamingKeyLineAndColumn) {
    const fs::path dir = testing::makeScratchDirectory("group_columns");
    testing::writeFile(dir / "t.csv", "id,sex,ell,a\n1,F,0,1\n");
    testing::writeFile(dir / "g.toml", std::string("[data]\nfile = \"t.csv\"\nid = \"id\"\n") +
                                           "groups = [\n  \"sex\",\n  " + GetParam().groups +
                                           "]\n[[sets]]\nitems = [\"a\"]\npoints = [0, 1]\n"
                                           "[classification]\nobserved_cuts = [1]\n");
    const std::string path = (dir / "g.toml").string();
    try {
        prepareAnalysis(readAnalysisFileAt(path), [](const tl::Finding&) {});
        FAIL() << "no error";
    } catch (const InputError& error) {
        EXPECT_EQ(std::string(error.what()), path + GetParam().message);
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GroupColumnMistake,
    ::testing::Values(
        ColumnMistake{"Unknown", "\"el\"",
                      ":6: data.groups[2]: no column named el in t.csv; the closest are ell, "
                      "id, sex"},
        ColumnMistake{"TheId", "\"id\"",
                      ":6: data.groups[2]: the ID column id cannot be a grouping column"},
        ColumnMistake{"AnItem", "\"a\"",
                      ":6: data.groups[2]: the item a cannot be a grouping column"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tl
