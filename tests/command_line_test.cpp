// The command line: argument vectors that start a run (and what they ask for),
// --help and --version, and every kind of mistake, which must end with one
// "tesserlink: ..." line and a usage hint on standard error and exit status 2.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tl {
namespace {

using Engine = tl::Engine;

ParseOutcome parse(std::vector<std::string> words) {
    words.insert(words.begin(), "tesserlink");
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    argv.push_back(nullptr);
    return parseCommandLine(static_cast<int>(words.size()), argv.data());
}

CommandLine program(std::vector<std::string> files) {
    CommandLine line;
    line.programFiles = std::move(files);
    return line;
}

CommandLine batch(const std::string& card) {
    CommandLine line;
    line.cardFile = card;
    return line;
}

template <typename Edit>
CommandLine batch(const std::string& card, Edit edit) {
    CommandLine line = batch(card);
    edit(line);
    return line;
}

struct GoodCase {
    std::string name;
    std::vector<std::string> words;
    CommandLine expected;
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const GoodCase& c, std::ostream* os) {
    *os << c.name;
}

class GoodCommandLine : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodCommandLine, StartsTheExpectedRun) {
    const GoodCase& c = GetParam();
    const ParseOutcome outcome = parse(c.words);
    ASSERT_TRUE(outcome.run.has_value()) << outcome.err;
    EXPECT_EQ(*outcome.run, c.expected);
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GoodCommandLine,
    ::testing::Values(
        GoodCase{"NothingIsTheDialogue", {}, CommandLine{}},
        GoodCase{"CardAlone", {"card.txt"}, batch("card.txt")},
        GoodCase{"CardWithBlanks", {"my card.txt"}, batch("my card.txt")},
        GoodCase{"CardAfterDoubleDash", {"--", "-odd.txt"}, batch("-odd.txt")},
        GoodCase{"TwoFilesAreAProgram", {"a.toml", "b.txt"}, program({"a.toml", "b.txt"})},
        GoodCase{"ProgramInCommandLineOrder",
                 {"g5.toml", "g3.toml", "g4.toml"},
                 program({"g5.toml", "g3.toml", "g4.toml"})},
        GoodCase{"ProgramOptionsBetweenFiles",
                 {"a", "--results", "out", "b", "--threads", "2"},
                 [] {
                     CommandLine l = program({"a", "b"});
                     l.request.resultsDir = "out";
                     l.request.threads = 2;
                     return l;
                 }()},
        GoodCase{"DashWordsAfterDoubleDash", {"--", "a", "-b"}, program({"a", "-b"})},
        GoodCase{"SameFileTwice", {"a", "a"}, program({"a", "a"})},
        GoodCase{
            "Threads", {"--threads", "3", "c"}, batch("c", [](auto& l) { l.request.threads = 3; })},
        GoodCase{"ThreadsWithEquals",
                 {"--threads=4", "c"},
                 batch("c", [](auto& l) { l.request.threads = 4; })},
        GoodCase{"LeadingZerosAreDecimal",
                 {"--threads", "010", "c"},
                 batch("c", [](auto& l) { l.request.threads = 10; })},
        GoodCase{"ThreadsLargest",
                 {"--threads", "1024", "c"},
                 batch("c", [](auto& l) { l.request.threads = 1024u; })},
        GoodCase{"MaxMemoryInGigabytes",
                 {"--max-memory", "16GB", "c"},
                 batch("c", [](auto& l) { l.request.maxMemory = 16'000'000'000u; })},
        GoodCase{"MaxMemoryInBytes",
                 {"--max-memory=500000", "c"},
                 batch("c", [](auto& l) { l.request.maxMemory = 500'000u; })},
        GoodCase{"MaxMemoryWithShortUnit",
                 {"--max-memory", "3k", "c"},
                 batch("c", [](auto& l) { l.request.maxMemory = 3'000u; })},
        GoodCase{"OptionsAfterCard",
                 {"c", "--strict", "--quiet"},
                 batch("c", [](auto& l) { l.request.strict = l.quiet = true; })},
        GoodCase{
            "ProgressForALog", {"--progress", "c"}, batch("c", [](auto& l) { l.progress = true; })},
        GoodCase{"FlagTwiceIsHarmless",
                 {"--strict", "--strict", "c"},
                 batch("c", [](auto& l) { l.request.strict = true; })},
        GoodCase{"Results",
                 {"--results", "out/dir", "c"},
                 batch("c", [](auto& l) { l.request.resultsDir = "out/dir"; })},
        GoodCase{"BootstrapSmallest",
                 {"--bootstrap", "2", "c"},
                 batch("c", [](auto& l) { l.request.bootstrap = 2; })},
        GoodCase{"BootstrapAndSeed",
                 {"--bootstrap", "500", "--seed", "0", "c"},
                 batch("c",
                       [](auto& l) {
                           l.request.bootstrap = 500;
                           l.request.seed = 0;
                       })},
        GoodCase{"SeedWithoutBootstrap",
                 {"--seed", "42", "c"},
                 batch("c", [](auto& l) { l.request.seed = 42; })},
        GoodCase{"SeedLargest",
                 {"--seed", "18446744073709551615", "c"},
                 batch("c", [](auto& l) { l.request.seed = 18446744073709551615u; })},
        GoodCase{"EngineAuto",
                 {"--engine", "auto", "c"},
                 batch("c", [](auto& l) { l.request.engine = Engine::Auto; })},
        GoodCase{"EngineEnumerate",
                 {"--engine", "enumerate", "c"},
                 batch("c", [](auto& l) { l.request.engine = Engine::Enumerate; })},
        GoodCase{"EngineConvolve",
                 {"--engine=convolve", "c"},
                 batch("c", [](auto& l) { l.request.engine = Engine::Convolve; })},
        GoodCase{"Scale",
                 {"--scale", "conv.csv", "c"},
                 batch("c", [](auto& l) { l.request.scaleFile = "conv.csv"; })},
        GoodCase{"ScaleWithCutsOnIt",
                 {"--scale=conv.csv", "--cuts-on", "scale", "c"},
                 batch("c",
                       [](auto& l) {
                           l.request.scaleFile = "conv.csv";
                           l.request.cutsOnScale = true;
                       })},
        GoodCase{"CutsOnRawGiven",
                 {"--scale", "conv.csv", "--cuts-on=raw", "c"},
                 batch("c",
                       [](auto& l) {
                           l.request.scaleFile = "conv.csv";
                           l.request.cutsOnScale = false;
                       })},
        GoodCase{"Cuts",
                 {"--cuts", "98,126.5", "c"},
                 batch("c",
                       [](auto& l) {
                           l.request.cuts = std::vector<double>{98, 126.5};
                       })},
        GoodCase{"TrueCuts",
                 {"--true-cuts=4", "c"},
                 batch("c", [](auto& l) { l.request.trueCuts = std::vector<double>{4}; })},
        // Zero is a value of its own: it turns off an analysis file's bootstrap.
        GoodCase{"BootstrapZero",
                 {"--bootstrap", "0", "c"},
                 batch("c", [](auto& l) { l.request.bootstrap = 0; })},
        // One replicate has no spread; the run refuses it, whoever asks.
        GoodCase{"BootstrapOneIsTheRunsToRefuse",
                 {"--bootstrap", "1", "c"},
                 batch("c", [](auto& l) { l.request.bootstrap = 1; })}),
    [](const auto& info) { return info.param.name; });

struct BadCase {
    std::string name;
    std::vector<std::string> words;
    std::string problem;  // the first line of standard error, after "tesserlink: "
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class BadCommandLine : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadCommandLine, IsRefusedOnStandardErrorWithStatus2) {
    const BadCase& c = GetParam();
    const ParseOutcome outcome = parse(c.words);
    EXPECT_FALSE(outcome.run.has_value());
    EXPECT_EQ(outcome.exitStatus, 2);
    EXPECT_EQ(outcome.out, "");
    const std::string firstLine = outcome.err.substr(0, outcome.err.find('\n'));
    EXPECT_EQ(firstLine, "tesserlink: " + c.problem);
    EXPECT_NE(outcome.err.find("Usage: tesserlink [OPTIONS] [FILE...]\n"), std::string::npos);
    EXPECT_NE(outcome.err.find("tesserlink --help"), std::string::npos);
}

const std::string kAtLeastOneThread = "--threads: expects a whole number of at least 1 thread";

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    ::testing::Values(
        BadCase{"UnknownLongOption", {"--frobnicate", "c"}, "unknown option --frobnicate"},
        BadCase{"UnknownOptionWithValue", {"--fast=yes", "c"}, "unknown option --fast"},
        BadCase{"UnknownShortOption", {"-x", "c"}, "unknown option -x"},
        BadCase{"UnknownOptionAlone", {"--frobnicate"}, "unknown option --frobnicate"},
        BadCase{"EmptyCard", {""}, "FILE: expects a file name, not an empty one"},
        BadCase{"EmptyFileOfAProgram", {"a", ""}, "FILE: expects a file name, not an empty one"},
        BadCase{"ConvertWithFile",
                {"--convert", "c", "a"},
                "--convert takes the card to convert, not FILE"},
        BadCase{"ConvertWithProgram",
                {"--convert", "c", "a", "b"},
                "--convert takes the card to convert, not FILE"},
        BadCase{
            "OptionWithoutCard", {"--threads", "2"}, "--threads needs a control card file to run"},
        BadCase{"FlagWithoutCard", {"--quiet"}, "--quiet needs a control card file to run"},
        BadCase{"ThreadsZero", {"--threads", "0", "c"}, kAtLeastOneThread + ", not '0'"},
        BadCase{"ThreadsNegative", {"--threads", "-2", "c"}, kAtLeastOneThread + ", not '-2'"},
        BadCase{"ThreadsWord", {"--threads", "many", "c"}, kAtLeastOneThread + ", not 'many'"},
        BadCase{"ThreadsFraction", {"--threads", "2.5", "c"}, kAtLeastOneThread + ", not '2.5'"},
        BadCase{"ThreadsHex", {"--threads", "0x10", "c"}, kAtLeastOneThread + ", not '0x10'"},
        BadCase{"ThreadsSign", {"--threads", "+2", "c"}, kAtLeastOneThread + ", not '+2'"},
        BadCase{"ThreadsBlank", {"--threads", " 2", "c"}, kAtLeastOneThread + ", not ' 2'"},
        BadCase{"ThreadsTooMany",
                {"--threads", "1025", "c"},
                "--threads: '1025' is too large (at most 1024)"},
        BadCase{"ThreadsBeyondUnsigned",
                {"--threads", "4294967296", "c"},
                "--threads: '4294967296' is too large (at most 1024)"},
        BadCase{"MaxMemoryZero",
                {"--max-memory", "0", "c"},
                "--max-memory: expects a memory size such as 16GB, 500MB or a number of bytes, "
                "not '0'"},
        BadCase{"MaxMemoryUnknownUnit",
                {"--max-memory", "16 GiB", "c"},
                "--max-memory: expects a memory size such as 16GB, 500MB or a number of bytes, "
                "not '16 GiB'"},
        BadCase{"MaxMemoryOverflowing",
                {"--max-memory", "99999999999T", "c"},
                "--max-memory: expects a memory size such as 16GB, 500MB or a number of bytes, "
                "not '99999999999T'"},
        BadCase{"ThreadsMissingValue", {"c", "--threads"}, "--threads needs a value"},
        BadCase{"ThreadsTwice",
                {"--threads", "2", "--threads", "3", "c"},
                "--threads is given more than once"},
        BadCase{"FlagWithValue", {"--strict=yes", "c"}, "--strict takes no value"},
        BadCase{"BootstrapNegative",
                {"--bootstrap", "-5", "c"},
                "--bootstrap: expects a whole number of 0 or more replications, not '-5'"},
        BadCase{"SeedNegative",
                {"--seed", "-1", "c"},
                "--seed: expects a whole number of 0 or more, not '-1'"},
        BadCase{"SeedTooLarge",
                {"--seed", "18446744073709551616", "c"},
                "--seed: '18446744073709551616' is too large (at most 18446744073709551615)"},
        BadCase{"EngineUnknown",
                {"--engine", "fast", "c"},
                "--engine: expects auto, enumerate or convolve, not 'fast'"},
        BadCase{"EngineCase",
                {"--engine", "Auto", "c"},
                "--engine: expects auto, enumerate or convolve, not 'Auto'"},
        BadCase{"CutsOnUnknown",
                {"--cuts-on", "scaled", "c"},
                "--cuts-on: expects raw or scale, not 'scaled'"},
        BadCase{
            "ScaleEmpty", {"--scale", "", "c"}, "--scale: expects a file name, not an empty one"},
        BadCase{"ScaleWithoutCard",
                {"--scale", "conv.csv"},
                "--scale needs a control card file to run"},
        BadCase{"CutsBlankSeparated",
                {"--cuts", "98 126", "c"},
                "--cuts: expects cut scores separated by commas, such as 98,126, not '98 126'"},
        BadCase{"CutsWithEmptyCut",
                {"--cuts", "98,,126", "c"},
                "--cuts: expects cut scores separated by commas, such as 98,126, not '98,,126'"},
        BadCase{"TrueCutsEmpty",
                {"--true-cuts", "", "c"},
                "--true-cuts: expects cut scores separated by commas, such as 98,126, not ''"},
        BadCase{"ResultsEmpty",
                {"--results", "", "c"},
                "--results: expects a directory, not an empty one"}),
    [](const auto& info) { return info.param.name; });

TEST(CommandLineHelp, GoesToStandardOutputWithStatus0) {
    for (const char* flag : {"--help", "-h"}) {
        const ParseOutcome outcome = parse({flag});
        EXPECT_FALSE(outcome.run.has_value()) << flag;
        EXPECT_EQ(outcome.exitStatus, 0) << flag;
        EXPECT_EQ(outcome.err, "") << flag;
        for (const char* part : {"Usage: tesserlink [OPTIONS] [FILE...]", "classifies examinees",
                                 "--help", "--version", "--threads N", "--strict", "--quiet",
                                 "--progress", "--results DIR", "--bootstrap B", "--seed S",
                                 "--engine auto|enumerate|convolve", "Exit status:", "  0  success",
                                 "  1  an error the run found", "  2  a command-line error"})
            EXPECT_NE(outcome.out.find(part), std::string::npos) << flag << " lacks " << part;
    }
}

TEST(CommandLineHelp, WinsOverOtherWords) {
    EXPECT_EQ(parse({"card.txt", "--help"}).out, parse({"--help"}).out);
}

TEST(CommandLineHelp, FitsEightyColumns) {
    const std::string help = parse({"--help"}).out;
    std::size_t start = 0;
    while (start < help.size()) {
        const std::size_t end = help.find('\n', start);
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
        start = end + 1;
    }
}

// The release must match the report banner's "Version 3.0"; bump both together.
TEST(CommandLineVersion, PrintsProgramAndRelease) {
    const ParseOutcome outcome = parse({"--version"});
    EXPECT_FALSE(outcome.run.has_value());
    EXPECT_EQ(outcome.exitStatus, 0);
    EXPECT_EQ(outcome.out, "tesserlink 3.0\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(versionLine(), "tesserlink 3.0");
}

TEST(CommandLine, EmptyArgumentVectorIsTheDialogue) {
    const char* const argv[] = {nullptr};
    const ParseOutcome outcome = parseCommandLine(0, argv);
    ASSERT_TRUE(outcome.run.has_value());
    EXPECT_EQ(*outcome.run, CommandLine{});
}

}  // namespace
}  // namespace tl
