// A testing program: the four bundled examples' analysis files and a card that
// fails, run as one command. Each test gives what it gives alone (console
// lines, status, every results file), its lines prefixed with its name; the
// summary's numbers are those of each test's results.json, bit for bit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace fs = std::filesystem;
using tl::testing::readFile;

namespace {

const std::vector<std::string> kExamples{"gcbs", "mathexam", "spisa", "verbagg"};

// The examples' input files under `dir`/examples, and a card whose data file
// is missing, which fails with status 1.
fs::path programFolder() {
    const fs::path dir = tl::testing::makeScratchDirectory("program");
    for (const std::string& name : kExamples) {
        const fs::path source = fs::path(TESSERLINK_EXAMPLES) / name;
        fs::create_directories(dir / "examples" / name);
        for (const auto& entry : fs::directory_iterator(source)) {
            const fs::path file = entry.path();
            if (entry.is_regular_file() && file.extension() != ".out" && file.extension() != ".md")
                fs::copy_file(file, dir / "examples" / name / file.filename());
        }
    }
    std::string card = readFile(dir / "examples/mathexam/card.txt");
    card.replace(card.find("points.dat"), 10, "missing.dat");
    tl::testing::writeFile(dir / "broken.txt", card);
    return dir;
}

std::vector<std::string> programFiles() {
    std::vector<std::string> files;
    for (const std::string& name : kExamples)
        files.push_back("examples/" + name + "/analysis.toml");
    files.push_back("broken.txt");
    return files;
}

std::vector<std::string> withArguments(std::vector<std::string> before,
                                       const std::vector<std::string>& files) {
    before.insert(before.end(), files.begin(), files.end());
    return before;
}

std::string prefixed(const std::string& file, const std::string& text) {
    std::string out;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t end = text.find('\n', begin);
        out += file + ": " + text.substr(begin, end + 1 - begin);
        begin = end + 1;
    }
    return out;
}

std::set<std::string> filesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

// RFC 4180 rows, as the summary writes them.
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1, std::vector<std::string>(1));
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                rows.back().back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                rows.back().back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().emplace_back();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            if (i + 1 < text.size()) rows.emplace_back(1);
        } else {
            rows.back().back() += c;
        }
    }
    return rows;
}

// Column name to cell, for each row after the header.
std::vector<std::map<std::string, std::string>> csvRecords(const std::string& text) {
    const std::vector<std::vector<std::string>> rows = csvRows(text);
    std::vector<std::map<std::string, std::string>> records;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
        std::map<std::string, std::string> record;
        for (std::size_t c = 0; c < rows[0].size() && c < rows[r].size(); ++c)
            record[rows[0][c]] = rows[r][c];
        records.push_back(record);
    }
    return records;
}

// A cell read back as the double it was written from.
double real(const std::string& cell) {
    char* end = nullptr;
    const double value = std::strtod(cell.c_str(), &end);
    EXPECT_TRUE(!cell.empty() && *end == '\0') << "'" << cell << "' is not a number";
    return value;
}

const char* const kIndices[] = {"consistency", "chance",         "kappa",
                                "accuracy",    "false_positive", "false_negative"};

class TestingProgram : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = programFolder(); }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(TestingProgram, EachTestGivesWhatItGivesAloneWithItsLinesPrefixed) {
    const std::vector<std::string> files = programFiles();
    std::string expectedOut;
    std::string expectedErr;
    int highest = 0;
    for (std::size_t t = 0; t < files.size(); ++t) {
        const auto alone = tl::testing::runWithArguments(
            dir_, {"--results", "alone/" + std::to_string(t), files[t]});
        expectedOut += prefixed(files[t], alone.out);
        expectedErr += prefixed(files[t], alone.err);
        highest = std::max(highest, alone.exitStatus);
    }
    const auto program =
        tl::testing::runWithArguments(dir_, withArguments({"--results", "out"}, files));
    EXPECT_FALSE(program.timedOut);
    EXPECT_EQ(highest, 1);  // the failing card's status
    EXPECT_EQ(program.exitStatus, highest);
    EXPECT_EQ(program.out, expectedOut);
    EXPECT_EQ(program.err, expectedErr);
    EXPECT_NE(program.out.find("broken.txt: Error! Data file is not found!\n"), std::string::npos);

    const std::vector<std::string> folders{"examples_gcbs_analysis", "examples_mathexam_analysis",
                                           "examples_spisa_analysis", "examples_verbagg_analysis"};
    std::set<std::string> expectedNames(folders.begin(), folders.end());
    for (const char* name :
         {"summary.csv", "summary_cuts.csv", "summary_groups.csv", "summary.json", "index.html"})
        expectedNames.insert(name);
    EXPECT_EQ(filesIn(dir_ / "out"), expectedNames);
    for (std::size_t t = 0; t < folders.size(); ++t) {
        const fs::path alone = dir_ / "alone" / std::to_string(t);
        const fs::path mine = dir_ / "out" / folders[t];
        ASSERT_EQ(filesIn(mine), filesIn(alone)) << folders[t];
        for (const std::string& name : filesIn(alone))
            EXPECT_TRUE(readFile(mine / name) == readFile(alone / name))
                << folders[t] << "/" << name;
    }
}

TEST_F(TestingProgram, SummaryRowsAreEachTestsResultsJsonNumbers) {
    const std::vector<std::string> files = programFiles();
    const auto program =
        tl::testing::runWithArguments(dir_, withArguments({"--quiet", "--results", "out"}, files));
    ASSERT_EQ(program.exitStatus, 1) << program.err;
    const fs::path out = dir_ / "out";
    const auto tests = csvRecords(readFile(out / "summary.csv"));
    const auto cuts = csvRecords(readFile(out / "summary_cuts.csv"));
    const auto summary = nlohmann::json::parse(readFile(out / "summary.json"));
    ASSERT_EQ(tests.size(), files.size());
    ASSERT_EQ(summary["tests"].size(), files.size());
    std::size_t cutRow = 0;
    for (std::size_t t = 0; t < files.size(); ++t) {
        const auto& row = tests[t];
        const auto& entry = summary["tests"][t];
        EXPECT_EQ(row.at("file"), files[t]);
        EXPECT_EQ(entry["file"], files[t]);
        if (files[t] == "broken.txt") {
            EXPECT_EQ(row.at("status"), "1");
            EXPECT_EQ(row.at("error"), "Error! Data file is not found!");
            EXPECT_EQ(row.at("folder"), "");
            EXPECT_EQ(row.at("model"), "");
            EXPECT_EQ(row.at("examinees"), "");
            EXPECT_EQ(entry["error"], "Error! Data file is not found!");
            continue;
        }
        EXPECT_EQ(row.at("status"), "0");
        // One model each: the multinomial, under its method's name.
        EXPECT_EQ(row.at("model"), "multinomial");
        EXPECT_EQ(entry["model"], "multinomial");
        const auto results =
            nlohmann::json::parse(readFile(out / row.at("folder") / "results.json"));
        EXPECT_EQ(entry["folder"], row.at("folder"));
        EXPECT_EQ(row.at("examinees"), std::to_string(results["examinees"].get<int>()));
        EXPECT_EQ(row.at("categories"), std::to_string(results["categories"].get<int>()));
        EXPECT_EQ(row.at("title"), results.value("title", ""));
        const double reliability = results["reliability"]["reliability"].get<double>();
        EXPECT_EQ(real(row.at("reliability")), reliability);
        EXPECT_EQ(entry["reliability"].get<double>(), reliability);
        for (const char* index : kIndices) {
            const double value = results["overall"][index].get<double>();
            EXPECT_EQ(real(row.at(index)), value) << files[t] << " " << index;
            EXPECT_EQ(entry["overall"][index].get<double>(), value) << files[t] << " " << index;
        }
        ASSERT_EQ(entry["cuts"].size(), results["cuts"].size());
        for (std::size_t c = 0; c < results["cuts"].size(); ++c, ++cutRow) {
            const auto& cut = results["cuts"][c];
            ASSERT_LT(cutRow, cuts.size());
            EXPECT_EQ(cuts[cutRow].at("file"), files[t]);
            EXPECT_EQ(cuts[cutRow].at("model"), "multinomial");
            EXPECT_EQ(cuts[cutRow].at("cut"), std::to_string(c + 1));
            EXPECT_EQ(real(cuts[cutRow].at("observed_cut")), cut["observed_cut"].get<double>());
            EXPECT_EQ(real(cuts[cutRow].at("true_cut")), cut["true_cut"].get<double>());
            for (const char* index : kIndices) {
                EXPECT_EQ(real(cuts[cutRow].at(index)), cut[index].get<double>())
                    << files[t] << " cut " << c + 1 << " " << index;
                EXPECT_EQ(entry["cuts"][c][index].get<double>(), cut[index].get<double>());
            }
        }
    }
    EXPECT_EQ(cutRow, cuts.size());
    // The examples have no subgroups: the file holds its header alone.
    EXPECT_EQ(csvRows(readFile(out / "summary_groups.csv")).size(), 1u);
}

TEST_F(TestingProgram, IndexPageLinksEachTestsPageAndShowsTheErrorLine) {
    const std::vector<std::string> files = programFiles();
    const auto program =
        tl::testing::runWithArguments(dir_, withArguments({"--quiet", "--results", "out"}, files));
    ASSERT_EQ(program.exitStatus, 1) << program.err;
    const std::string html = readFile(dir_ / "out" / "index.html");
    for (const std::string& name : kExamples) {
        const std::string link = "examples_" + name + "_analysis/report.html";
        EXPECT_NE(html.find("<a href=\"" + link + "\">examples/" + name + "/analysis.toml</a>"),
                  std::string::npos)
            << name;
        EXPECT_TRUE(fs::exists(dir_ / "out" / link)) << link;
    }
    EXPECT_NE(html.find("<th scope=\"row\">broken.txt</th>"), std::string::npos);
    EXPECT_NE(html.find("data-json=\"tests.4.error\">Error! Data file is not found!</td>"),
              std::string::npos);
}

TEST_F(TestingProgram, SummaryStandardErrorsAreTheTestsBootstrapSEs) {
    const std::vector<std::string> files{"examples/mathexam/analysis.toml",
                                         "examples/verbagg/analysis.toml"};
    const auto program = tl::testing::runWithArguments(
        dir_,
        withArguments({"--quiet", "--bootstrap", "20", "--seed", "7", "--results", "out"}, files));
    ASSERT_EQ(program.exitStatus, 0) << program.err;
    const auto tests = csvRecords(readFile(dir_ / "out" / "summary.csv"));
    const auto cuts = csvRecords(readFile(dir_ / "out" / "summary_cuts.csv"));
    ASSERT_EQ(tests.size(), 2u);
    std::size_t cutRow = 0;
    for (const auto& row : tests) {
        const auto results =
            nlohmann::json::parse(readFile(dir_ / "out" / row.at("folder") / "results.json"));
        const auto& bootstrap = results["bootstrap"];
        for (const char* index : kIndices) {
            EXPECT_EQ(real(row.at(std::string(index) + "_se")),
                      bootstrap["overall"][index]["se"].get<double>())
                << index;
        }
        for (std::size_t c = 0; c < bootstrap["cuts"].size(); ++c, ++cutRow) {
            for (const char* index : kIndices) {
                EXPECT_EQ(real(cuts.at(cutRow).at(std::string(index) + "_se")),
                          bootstrap["cuts"][c][index]["se"].get<double>())
                    << index;
            }
        }
    }
    EXPECT_EQ(cutRow, cuts.size());
}

TEST_F(TestingProgram, SameBytesForAnyCountOfThreads) {
    const std::vector<std::string> files = programFiles();
    std::vector<std::string> outs;
    std::vector<std::string> summaries;
    for (const char* threads : {"1", "2", "5"}) {
        const std::string results = std::string("out") + threads;
        const auto program = tl::testing::runWithArguments(
            dir_, withArguments({"--threads", threads, "--results", results}, files));
        EXPECT_EQ(program.exitStatus, 1) << program.err;
        outs.push_back(program.out + program.err);
        summaries.push_back(readFile(dir_ / results / "summary.csv") +
                            readFile(dir_ / results / "summary_cuts.csv") +
                            readFile(dir_ / results / "summary.json") +
                            readFile(dir_ / results / "index.html"));
    }
    EXPECT_EQ(outs[1], outs[0]);
    EXPECT_EQ(outs[2], outs[0]);
    EXPECT_EQ(summaries[1], summaries[0]);
    EXPECT_EQ(summaries[2], summaries[0]);
}

// The command line's options reach every test as they reach a test alone.
TEST_F(TestingProgram, OptionsGivenOnceReachEveryTest) {
    std::string table = "raw,scale\n";
    for (int raw = 0; raw <= 45; ++raw)
        table += std::to_string(raw) + "," + std::to_string(200 + 3 * raw) + "\n";
    tl::testing::writeFile(dir_ / "conversion.csv", table);
    // The copy names its own report: two tests may not write one file.
    std::string again = readFile(dir_ / "examples/spisa/analysis.toml");
    again.replace(again.find("spisa.out"), 9, "again.out");
    tl::testing::writeFile(dir_ / "examples/spisa/again.toml", again);
    const std::vector<std::string> files{"examples/spisa/analysis.toml",
                                         "examples/spisa/again.toml"};
    const std::vector<std::vector<std::string>> optionRows{
        {"--scale", "conversion.csv", "--cuts-on", "raw"},
        {"--bootstrap", "4", "--seed", "9", "--engine", "convolve"},
    };
    for (std::size_t row = 0; row < optionRows.size(); ++row) {
        const std::string out = "out" + std::to_string(row);
        std::vector<std::string> arguments = optionRows[row];
        arguments.insert(arguments.end(), {"--quiet", "--results", out});
        const auto program = tl::testing::runWithArguments(dir_, withArguments(arguments, files));
        ASSERT_EQ(program.exitStatus, 0) << program.err;
        arguments.back() = out + "-alone";
        arguments.push_back(files.front());
        const auto alone = tl::testing::runWithArguments(dir_, arguments);
        ASSERT_EQ(alone.exitStatus, 0) << alone.err;
        const fs::path aloneDir = dir_ / (out + "-alone");
        for (const char* folder : {"analysis", "again"}) {
            const fs::path mine = dir_ / out / folder;
            ASSERT_EQ(filesIn(mine), filesIn(aloneDir)) << optionRows[row][0];
            for (const std::string& name : filesIn(aloneDir))
                EXPECT_TRUE(readFile(mine / name) == readFile(aloneDir / name))
                    << optionRows[row][0] << ": " << folder << "/" << name;
        }
    }
    EXPECT_TRUE(readFile(dir_ / "out0/analysis/results.json").find("\"scale\"") !=
                std::string::npos);
}

TEST_F(TestingProgram, OneFileIsNotAProgram) {
    const auto alone = tl::testing::runWithArguments(
        dir_, {"--results", "out", "examples/mathexam/analysis.toml"});
    EXPECT_EQ(alone.exitStatus, 0);
    EXPECT_EQ(alone.out, "Successful execution!\n");
    EXPECT_EQ(filesIn(dir_ / "out").count("summary.csv"), 0u);
    EXPECT_EQ(filesIn(dir_ / "out").count("results.json"), 1u);
    const auto broken = tl::testing::runWithArguments(dir_, {"broken.txt"});
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_EQ(broken.out, "Error! Data file is not found!\n");
}

TEST_F(TestingProgram, WithoutResultsEachTestWritesWhatItNames) {
    const auto program = tl::testing::runWithArguments(
        dir_, {"--quiet", "examples/mathexam/analysis.toml", "examples/verbagg/analysis.toml"});
    EXPECT_EQ(program.exitStatus, 0) << program.err;
    EXPECT_EQ(program.out,
              "examples/mathexam/analysis.toml: Successful execution!\n"
              "examples/verbagg/analysis.toml: Successful execution!\n");
    EXPECT_TRUE(fs::exists(dir_ / "examples/mathexam/mathexam.out"));
    EXPECT_TRUE(fs::exists(dir_ / "examples/verbagg/verbagg.out"));
}

TEST_F(TestingProgram, HighestStatusWins) {
    tl::testing::writeFile(dir_ / "malformed.txt", "$Number of item sets\nmany\n");
    const auto program = tl::testing::runWithArguments(
        dir_, {"--quiet", "broken.txt", "malformed.txt", "examples/mathexam/analysis.toml"});
    EXPECT_EQ(program.exitStatus, 2);
    EXPECT_EQ(program.out,
              "broken.txt: Error! Data file is not found!\n"
              "examples/mathexam/analysis.toml: Successful execution!\n");
    EXPECT_EQ(program.err.rfind("malformed.txt: tesserlink: malformed.txt:2: ", 0), 0u)
        << program.err;
}

TEST_F(TestingProgram, ConvertTakesNoProgram) {
    const auto program = tl::testing::runWithArguments(dir_, {"--convert", "a.txt", "b", "c"});
    EXPECT_EQ(program.exitStatus, 2);
    EXPECT_EQ(program.out, "");
    EXPECT_EQ(program.err.substr(0, program.err.find('\n')),
              "tesserlink: --convert takes the card to convert, not FILE");
}

}  // namespace
