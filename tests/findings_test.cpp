// Every kind of finding through the command line and the testing program, from
// the one table that the R package and the page's engine run too
// (tests/findings/cases.json): the same codes, values and texts, and the same
// exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "core/finding.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

json allCases() {
    std::ifstream in(TESSERLINK_FINDINGS_CASES);
    return json::parse(in);
}

struct Case {
    std::string name;
    json entry;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

std::vector<Case> cases() {
    std::vector<Case> out;
    for (const json& c : allCases()) out.push_back({c["name"].get<std::string>(), c});
    return out;
}

std::vector<std::string> optionWords(const json& entry) {
    std::vector<std::string> words{"--events"};
    if (!entry.contains("options")) return words;
    const json& o = entry["options"];
    if (o.contains("bootstrap")) words.insert(words.end(), {"--bootstrap", o["bootstrap"].dump()});
    if (o.contains("seed")) words.insert(words.end(), {"--seed", o["seed"].dump()});
    if (o.value("strict", false)) words.push_back("--strict");
    if (o.contains("scale")) words.insert(words.end(), {"--scale", o["scale"].get<std::string>()});
    if (o.contains("cuts_on"))
        words.insert(words.end(), {"--cuts-on", o["cuts_on"].get<std::string>()});
    if (o.contains("cuts")) words.insert(words.end(), {"--cuts", o["cuts"].get<std::string>()});
    if (o.contains("true_cuts"))
        words.insert(words.end(), {"--true-cuts", o["true_cuts"].get<std::string>()});
    if (o.contains("results"))
        words.insert(words.end(), {"--results", o["results"].get<std::string>()});
    return words;
}

fs::path writeCase(const json& entry, const std::string& hint) {
    const fs::path dir = testing::makeScratchDirectory(hint);
    for (const auto& [name, text] : entry["files"].items())
        testing::writeFile(dir / name, text.get<std::string>());
    return dir;
}

// The findings of standard error's JSON lines; a testing program puts the
// test's name before each.
std::vector<json> findingsOf(const std::string& err, const std::string& prefix) {
    std::vector<json> found;
    std::size_t begin = 0;
    while (begin < err.size()) {
        std::size_t end = err.find('\n', begin);
        if (end == std::string::npos) end = err.size();
        std::string line = err.substr(begin, end - begin);
        begin = end + 1;
        if (!prefix.empty()) {
            if (!line.starts_with(prefix)) continue;
            line.erase(0, prefix.size());
        }
        if (!line.starts_with("{")) continue;
        const json event = json::parse(line);
        if (event["event"] != "progress") found.push_back(event);
    }
    return found;
}

// Each expected finding is among `found`, in order, with the fields it gives.
void expectFindings(const json& expected, const std::vector<json>& found) {
    std::size_t at = 0;
    for (const json& want : expected) {
        bool matched = false;
        for (; at < found.size() && !matched; ++at) {
            if (found[at]["code"] != want["code"]) continue;
            matched = true;
            for (const auto& [key, value] : want.items())
                EXPECT_EQ(found[at].value(key, json()), value) << key << " of " << want["code"];
        }
        EXPECT_TRUE(matched) << "no finding " << want["code"] << " (in order) among "
                             << json(found);
    }
}

class FindingCases : public ::testing::TestWithParam<Case> {};

TEST_P(FindingCases, CommandLineGivesTheCodesValuesTextsAndStatus) {
    const json& entry = GetParam().entry;
    const fs::path dir = writeCase(entry, "findings");
    std::vector<std::string> words = optionWords(entry);
    words.push_back(entry["run"].get<std::string>());
    const testing::ProgramResult result = testing::runWithArguments(dir, words);
    const json& expect = entry["expect"];
    EXPECT_EQ(result.exitStatus, expect["exit_status"].get<int>()) << result.err;
    expectFindings(expect["findings"], findingsOf(result.err, ""));
    // An error found in a card keeps its console line.
    if (expect["exit_status"] == 1) {
        const std::string line = expect["findings"].back()["console_line"].get<std::string>();
        EXPECT_NE(result.out.find(line + "\n"), std::string::npos) << result.out;
    }
    if (expect.contains("bootstrap")) {
        const json results = json::parse(testing::readFile(dir / "out" / "results.json"));
        EXPECT_EQ(results.contains("bootstrap"), expect["bootstrap"].get<bool>());
    }
}

// The same case as one test of a testing program, beside a test that runs
// cleanly: the case's findings under its own name, and its status as the
// program's.
TEST_P(FindingCases, TestingProgramGivesTheSameForTheTest) {
    const json& entry = GetParam().entry;
    if (entry.contains("options") && entry["options"].contains("results"))
        GTEST_SKIP() << "a program's results folder holds a folder per test";
    const fs::path dir = writeCase(entry, "findings-program");
    fs::create_directory(dir / "other");
    // The cases' scale tables cover its composite scores too.
    testing::writeFile(dir / "other" / "ok.toml",
                       "[[sets]]\nfile = \"ok.dat\"\nitems = 4\npoints = [0, 1, 2]\n"
                       "[classification]\nobserved_cuts = [4]\n[output]\nreport = \"ok.out\"\n");
    testing::writeFile(dir / "other" / "ok.dat", "0 1 2 1\n2 2 1 0\n1 1 1 2\n");
    std::vector<std::string> words = optionWords(entry);
    const std::string run = entry["run"].get<std::string>();
    words.insert(words.end(), {run, "other/ok.toml"});
    const testing::ProgramResult result = testing::runWithArguments(dir, words);
    const json& expect = entry["expect"];
    // A test whose output is one of its inputs stops the whole program before
    // any test runs: the program compares every test's paths first.
    if (entry.value("collides", false)) {
        EXPECT_EQ(result.exitStatus, 2) << result.err;
        const std::vector<json> found = findingsOf(result.err, "");
        ASSERT_EQ(found.size(), 1u) << result.err;
        EXPECT_EQ(found[0]["code"], "output.unsafe");
        return;
    }
    EXPECT_EQ(result.exitStatus, expect["exit_status"].get<int>()) << result.err;
    expectFindings(expect["findings"], findingsOf(result.err, run + ": "));
}

INSTANTIATE_TEST_SUITE_P(Table, FindingCases, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return info.param.name; });

// Every code a user's input can give is in the table; the rest cannot be
// reached from input and are named here with the reason.
TEST(FindingTable, CoversEveryCodeInputCanGive) {
    const std::set<std::string> unreachable = {
        "run.memory",                // too little memory: the machine's, not the input's
        "run.internal",              // a fault of the program itself
        "model.negative_factorial",  // no count vector of a valid card reaches it
        "prompt.name_cut",           // the console dialogue's alone (tests/warnings_test.cpp)
        "output.leftovers",          // a killed run's files (tests/results_fault_test.cpp)
    };
    std::set<std::string> covered;
    for (const json& c : allCases()) {
        for (const json& f : c["expect"]["findings"]) covered.insert(f["code"].get<std::string>());
    }
    for (const FindingCode code : allFindingCodes()) {
        const std::string name(findingCodeName(code));
        if (unreachable.count(name)) continue;
        EXPECT_TRUE(covered.count(name)) << name << " has no case in tests/findings/cases.json";
    }
}

}  // namespace
}  // namespace tl
