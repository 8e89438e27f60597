// An analysis file is another way to write a control card: on the same
// responses every number is the same double. Each example's analysis.toml
// against its card, and a table with a header, IDs, a missing code, an empty
// cell and a reverse-keyed item against per-set files holding the same scores.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/analyze.h"
#include "input/analysis_file.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "input/table_data_source.h"
#include "plan/analysis_checks.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using testing::makeScratchDirectory;
using testing::readFile;
using testing::runWithArguments;

// Every file below `dir`, relative to it, with its bytes.
std::vector<std::pair<std::string, std::string>> filesBelow(const fs::path& dir) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file())
            files.emplace_back(fs::relative(entry.path(), dir).string(), readFile(entry.path()));
    }
    std::sort(files.begin(), files.end());
    return files;
}

class ExampleAnalysisFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleAnalysisFile, GivesTheCardsReportAndResultsByteForByte) {
    const fs::path example = fs::path(TESSERLINK_EXAMPLES) / GetParam();
    const fs::path scratch = makeScratchDirectory("analysis_" + GetParam());
    for (const auto& entry : fs::directory_iterator(example)) {
        if (entry.is_regular_file()) fs::copy_file(entry.path(), scratch / entry.path().filename());
    }
    const std::string report =
        readControlCard(readFile(scratch / "card.txt"), "card.txt").outputFile;
    const auto card = runWithArguments(scratch, {"--results", "card-results", "card.txt"});
    ASSERT_EQ(card.exitStatus, 0) << card.err;
    fs::rename(scratch / report, scratch / "card-report");
    const auto file = runWithArguments(scratch, {"--results", "file-results", "analysis.toml"});
    ASSERT_EQ(file.exitStatus, 0) << file.err;
    EXPECT_EQ(file.out, card.out);
    EXPECT_EQ(readFile(scratch / report), readFile(scratch / "card-report"));
    EXPECT_EQ(filesBelow(scratch / "file-results"), filesBelow(scratch / "card-results"));
    // --convert gives the analysis file checked in beside the card.
    const auto converted = runWithArguments(scratch, {"--convert", "card.txt"});
    EXPECT_EQ(converted.out, readFile(example / "analysis.toml"));
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleAnalysisFile,
                         ::testing::ValuesIn(testing::subfolderNames(TESSERLINK_EXAMPLES)),
                         [](const auto& info) { return testing::testNameOf(info.param); });

std::vector<std::vector<int>> readRows(const fs::path& path) {
    std::vector<std::vector<int>> rows;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream values(line);
        std::vector<int> row;
        for (int v; values >> v;) row.push_back(v);
        if (!row.empty()) rows.push_back(row);
    }
    return rows;
}

void expectSameNumbers(const Results& a, const Results& b) {
    EXPECT_EQ(a.examineeCount, b.examineeCount);
    EXPECT_EQ(a.observedComposite, b.observedComposite);
    EXPECT_EQ(a.correctedComposite, b.correctedComposite);
    EXPECT_EQ(a.compositeErrorVariance, b.compositeErrorVariance);
    EXPECT_EQ(a.reliability.reliability, b.reliability.reliability);
    EXPECT_EQ(a.reliability.sampleVariance, b.reliability.sampleVariance);
    EXPECT_EQ(a.reliability.averageErrorVariance, b.reliability.averageErrorVariance);
    EXPECT_EQ(a.categoryGroups.groupOf, b.categoryGroups.groupOf);
    EXPECT_EQ(a.categoryGroups.probabilities, b.categoryGroups.probabilities);
    EXPECT_EQ(a.classification.trueCategory, b.classification.trueCategory);
    EXPECT_EQ(a.classification.conditionalConsistency, b.classification.conditionalConsistency);
    EXPECT_EQ(a.classification.conditionalAccuracy, b.classification.conditionalAccuracy);
    EXPECT_EQ(a.classification.conditionalFalsePositive, b.classification.conditionalFalsePositive);
    EXPECT_EQ(a.classification.conditionalFalseNegative, b.classification.conditionalFalseNegative);
    EXPECT_EQ(a.classification.categoryMarginal, b.classification.categoryMarginal);
}

// The five subject sets of the spisa example in one table. Row 4 has a 9 (a
// missing code) in eco5 that its set scores as 0; row 7 has an empty cell,
// and the table's rule leaves that examinee out; his3 is stored reversed.
class SpisaTable : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = makeScratchDirectory("analysis_table");
        const fs::path example = fs::path(TESSERLINK_EXAMPLES) / "spisa";
        const char* sets[] = {"politics", "history", "economy", "culture", "science"};
        const char* prefixes[] = {"pol", "his", "eco", "cul", "sci"};
        std::vector<std::vector<std::vector<int>>> data;
        for (const char* set : sets)
            data.push_back(readRows(example / (std::string(set) + ".dat")));
        std::string csv = "student_id;gender";
        for (const char* p : prefixes) {
            for (int j = 1; j <= 9; ++j) csv += ";" + std::string(p) + std::to_string(j);
        }
        csv += "\r\n";
        data[2][3][4] = 0;  // what the missing score gives the coded cell
        for (std::size_t e = 0; e < data[0].size(); ++e) {
            csv += "\"S" + std::to_string(1000 + e) + "\";" + (e % 2 ? "F" : "M");
            for (std::size_t s = 0; s < 5; ++s) {
                for (std::size_t j = 0; j < 9; ++j) {
                    std::string cell = std::to_string(data[s][e][j]);
                    if (s == 1 && j == 2) cell = std::to_string(1 - data[s][e][j]);
                    if (e == 3 && s == 2 && j == 4) cell = "9";
                    if (e == 6 && s == 4 && j == 1) cell = "";
                    csv += ";" + cell;
                }
            }
            csv += "\r\n";
        }
        testing::writeFile(dir_ / "spisa.csv", csv);
        for (std::size_t s = 0; s < 5; ++s) {
            std::string rows;
            for (std::size_t e = 0; e < data[s].size(); ++e) {
                if (e == 6) continue;
                for (int v : data[s][e]) rows += std::to_string(v) + " ";
                rows += "\n";
            }
            testing::writeFile(dir_ / (std::string(sets[s]) + ".dat"), rows);
        }
        std::string toml =
            "title = \"SPISA, five subjects\"\n[data]\nfile = \"spisa.csv\"\n"
            "id = \"student_id\"\nmissing = \"omit\"\nmissing_codes = [9]\n";
        for (std::size_t s = 0; s < 5; ++s) {
            toml += "[[sets]]\nname = \"" + std::string(sets[s]) + "\"\nitems = \"" + prefixes[s] +
                    "1:" + prefixes[s] + "9\"\npoints = [0, 1]\n";
            if (s == 1) toml += "reverse = [\"his3\"]\n";
            if (s == 2) toml += "missing = 0\n";
        }
        toml +=
            "[classification]\nlabels = [\"Low\", \"Middle\", \"High\"]\n"
            "observed_cuts = [23, 32]\n[output]\nreport = \"table.out\"\nconditional = true\n";
        testing::writeFile(dir_ / "spisa.toml", toml);
        std::string card = readFile(example / "card.txt");
        testing::writeFile(dir_ / "card.txt", card);
    }
    fs::path dir_;
};

TEST_F(SpisaTable, GivesTheSameNumbersAsPerSetFiles) {
    const testing::WorkingDirectory here(dir_);
    AnalysisFile file = readAnalysisFile(readFile("spisa.toml"), "spisa.toml");
    const ResolvedColumns columns = resolveColumns(file, readTableHeader(file.table->source));
    scaleAnalysisFile(file);
    TableDataSource table(file, columns);
    AnalysisOptions options;
    options.tables = true;
    const Results fromTable = analyze(file.card, table, options);

    const ControlCard card = readControlCard(readFile("card.txt"), "card.txt");
    FileDataSource files(card);
    const Results fromCard = analyze(card, files, options);
    expectSameNumbers(fromTable, fromCard);

    EXPECT_EQ(table.records().rows.size(), static_cast<std::size_t>(fromCard.examineeCount));
    EXPECT_EQ(table.records().rows[5], 6);
    EXPECT_EQ(table.records().rows[6], 8);  // row 7 left out
    EXPECT_EQ(table.records().ids[6], "S1007");
    EXPECT_EQ(table.summary().omittedExaminees, 1);
    EXPECT_EQ(table.summary().sets[2].codedCells, 1);
    EXPECT_EQ(table.summary().sets[2].scoredCells, 1);
    EXPECT_EQ(table.summary().sets[1].reversedCells,
              static_cast<std::int64_t>(table.summary().rows));
}

TEST_F(SpisaTable, RunsFromTheCommandLine) {
    const auto run = runWithArguments(dir_, {"--results", "out", "spisa.toml"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out, "Successful execution!\n");
    EXPECT_NE(run.err.find("1 of "), std::string::npos) << run.err;
    EXPECT_TRUE(fs::exists(dir_ / "table.out"));
    const std::string json = readFile(dir_ / "out" / "results.json");
    for (const char* part :
         {"\"title\": \"SPISA, five subjects\"", "\"labels\": [\"Low\", \"Middle\", \"High\"]",
          "\"name\": \"economy\"", "\"omitted_examinees\": 1", "\"missing_code_cells\": 1",
          "\"category\": 2,\n      \"label\": \"Middle\""}) {
        EXPECT_NE(json.find(part), std::string::npos) << part;
    }
    const std::string examinees = readFile(dir_ / "out" / "examinees.csv");
    EXPECT_EQ(examinees.substr(0, examinees.find('\r')),
              "record,id,observed_composite,true_category_composite,observed_category,"
              "true_category,observed_label,true_label,p_Low,p_Middle,p_High,consistency,"
              "accuracy,false_positive,false_negative,error_variance,csem");
    EXPECT_NE(examinees.find("\n6,S1005,"), std::string::npos);
    EXPECT_NE(examinees.find("\n8,S1007,"), std::string::npos);  // row 7 left out
    EXPECT_EQ(examinees.find("\n7,"), std::string::npos);
    const std::string perCategory = readFile(dir_ / "out" / "per_category.csv");
    EXPECT_NE(perCategory.find("\r\n3,High,"), std::string::npos) << perCategory;
    const std::string table = readFile(dir_ / "out" / "true_by_observed.csv");
    EXPECT_EQ(table.substr(0, table.find('\r')),
              "true_category,observed_Low,observed_Middle,observed_High,total");
    const std::string page = readFile(dir_ / "out" / "report.html");
    EXPECT_NE(page.find("SPISA, five subjects"), std::string::npos);
    EXPECT_NE(page.find("<th scope=\"col\">P(Middle)</th>"), std::string::npos);
}

struct RunMistake {
    const char* name;
    std::string from;  // replaced in spisa.toml
    std::string to;
    std::string message;  // the diagnostic begins with it
};

void PrintTo(const RunMistake& m, std::ostream* os) {
    *os << m.name;
}

class SpisaTableMistake : public SpisaTable, public ::testing::WithParamInterface<RunMistake> {};

TEST_P(SpisaTableMistake, StopsWithOneLineAndWritesNothing) {
    std::string toml = readFile(dir_ / "spisa.toml");
    const std::size_t at = toml.find(GetParam().from);
    ASSERT_NE(at, std::string::npos);
    toml.replace(at, GetParam().from.size(), GetParam().to);
    testing::writeFile(dir_ / "spisa.toml", toml);
    const auto run = runWithArguments(dir_, {"--results", "out", "spisa.toml"});
    EXPECT_EQ(run.exitStatus, 2);
    const std::string err = testing::withoutWarnings(run.err);
    EXPECT_EQ(err.substr(0, GetParam().message.size()), GetParam().message) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_FALSE(fs::exists(dir_ / "table.out"));
    EXPECT_FALSE(fs::exists(dir_ / "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpisaTableMistake,
    ::testing::Values(
        RunMistake{"UnknownColumn", "pol1:pol9", "pol1:pol10",
                   "tesserlink: spisa.toml:9: sets[1].items: no column named pol10 in "
                   "spisa.csv; the closest are pol1, pol2"},
        RunMistake{"BackwardRange", "his1:his9", "his9:his1",
                   "tesserlink: spisa.toml:13: sets[2].items: the range his9:his1 ends before "
                   "it starts"},
        RunMistake{"MissingIsAnError", "missing = \"omit\"", "missing = \"error\"",
                   "tesserlink: spisa.csv: 1 missing response, the first at row 7, column sci2."},
        RunMistake{"NoTable", "file = \"spisa.csv\"", "file = \"nothere.csv\"",
                   "tesserlink: nothere.csv: the data table does not exist (tried /"},
        RunMistake{"CutOutOfRange", "observed_cuts = [23, 32]", "observed_cuts = [23, 60]",
                   "tesserlink: spisa.toml:31: classification.observed_cuts: the cut score 60 "
                   "lies outside the composite score range 0 to 45"},
        RunMistake{"ReverseNotAnItem", "reverse = [\"his3\"]", "reverse = [\"pol3\"]",
                   "tesserlink: spisa.toml:15: sets[2].reverse: pol3 is not one of this set's "
                   "items"}),
    [](const auto& info) { return std::string(info.param.name); });

// A repeated ID is a warning naming the first row that repeats one, whatever
// the order of the IDs; rising IDs repeat none.
struct IdCase {
    const char* name;
    std::vector<std::string> ids;
    std::int64_t repeats;
    std::string warning;  // empty: none
};

void PrintTo(const IdCase& c, std::ostream* os) {
    *os << c.name;
}

class RepeatedIds : public ::testing::TestWithParam<IdCase> {};

TEST_P(RepeatedIds, AreCountedAndTheFirstNamed) {
    const fs::path dir = makeScratchDirectory("analysis_ids");
    std::string csv = "id,a,b\n";
    for (std::size_t r = 0; r < GetParam().ids.size(); ++r)
        csv += GetParam().ids[r] + "," + std::to_string(r % 2) + ",1\n";
    testing::writeFile(dir / "ids.csv", csv);
    const std::string toml =
        "[data]\nfile = \"ids.csv\"\nid = \"id\"\n[[sets]]\nitems = \"a:b\"\n"
        "points = [0, 1]\n[classification]\nobserved_cuts = [1]\n";
    AnalysisFile file = readAnalysisFile(toml, (dir / "ids.toml").string());
    const ResolvedColumns columns = resolveColumns(file, readTableHeader(file.table->source));
    const TableDataSource table(file, columns);
    EXPECT_EQ(table.summary().duplicateIds, GetParam().repeats);
    const std::vector<Finding> warnings = table.findings();
    if (GetParam().warning.empty()) {
        EXPECT_TRUE(warnings.empty());
    } else {
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].code, FindingCode::DuplicateIds);
        EXPECT_EQ(warnings[0].text, GetParam().warning);
    }
    EXPECT_EQ(table.records().ids, GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RepeatedIds,
    ::testing::Values(
        IdCase{"Rising", {"S01", "S02", "S10", "S11"}, 0, ""},
        IdCase{"Unordered", {"S3", "S1", "S2"}, 0, ""},
        IdCase{"RisingButOneRepeated",
               {"S1", "S2", "S2", "S3"},
               1,
               "ids.csv: 1 row repeats an earlier row's ID, the first at row 3 (ID S2)"},
        IdCase{"ScatteredRepeats",
               {"b", "a", "c", "a", "b", "b"},
               3,
               "ids.csv: 3 rows repeat an earlier row's ID, the first at row 4 (ID a)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpisaTable, WarnsOfAnItemInTwoSets) {
    std::string toml = readFile(dir_ / "spisa.toml");
    toml.replace(toml.find("\"his1:his9\""), 11, "[\"his1\", \"his2\", \"his3\", \"pol1\"]");
    testing::writeFile(dir_ / "spisa.toml", toml);
    const auto run = runWithArguments(dir_, {"spisa.toml"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("sets[2].items: the item pol1 is also in sets[1]"), std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace tl
