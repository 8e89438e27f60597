// Data and cards that the free-format rules accept but that do not say what
// the analyst meant: each gives one warning on standard error and changes
// neither standard output, the report nor the exit status; under --strict the
// data misfits end the run with one diagnostic and no report.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/card_text.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using testing::CardText;
using testing::SetText;

const char* const kData = "0 1 2 1\n2 2 1 0\n1 1 1 2\n0 0 1 2\n2 2 2 1\n";

struct Case {
    const char* name;
    CardText card;
    std::map<std::string, std::string> files;
    const char* warning;  // a fragment of the one warning expected
    bool misfit;          // an error under --strict
    const char* report = "out.txt";
};

// ctest lists a case by its name, not by its bytes.
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

CardText twoSets() {
    CardText card;
    card.sets = {SetText{}, SetText{"1", "4", "3", "0 1 2", "b.dat"}};
    card.observedCuts = card.trueCuts = "8";
    return card;
}

CardText with(CardText card, void (*edit)(CardText&)) {
    edit(card);
    return card;
}

std::vector<Case> cases() {
    const CardText plain;
    return {
        {"ScoreMatchingNoPoint",
         plain,
         {{"a.dat", "0 1 9 1\n2 2 1 0\n1 9 9 2\n0 0 1 2\n"}},
         "3 item scores match none of the score points 0 1 2 (2 examinees, first at line 1, "
         "record 1, item 3: 9)",
         true},
        {"RecordOverTwoLines",
         plain,
         {{"a.dat", "0 1 2\n1\n2 2 1 0\n1 1 1 2\n"}},
         "1 record runs over more than one line (first at line 1, record 1)",
         true},
        {"LineWithMoreValuesThanItems",
         plain,
         {{"a.dat", "0 1 2 1 2 2\n2 2 1 0\n1 1 1 2\n"}},
         "1 line holds more values than the set's 4 items (first at line 1, record 1)",
         true},
        {"LineEndingInAnEmptyField",
         plain,
         {{"a.dat", "0,1,2,1,\n2,2,1,0\n1,1,1,2\n"}},
         "1 line ends in an empty field (first at line 1, record 1)",
         true},
        {"LaterFileWithMoreRecords",
         twoSets(),
         {{"a.dat", "0 1 2 1\n2 2 1 0\n"}, {"b.dat", kData}},
         "set 2 (b.dat) has 3 complete records more than the 2 examinees of the first data file",
         true},
        // Counts of one take the singular.
        {"OneItemSetWithLongerLines",
         with(plain, [](CardText& c) { c.sets[0].items = "1", c.observedCuts = c.trueCuts = "1"; }),
         {{"a.dat", "0 1\n2\n1\n"}},
         "1 line holds more values than the set's 1 item (first at line 1, record 1)",
         true},
        {"LaterFileWithMoreRecordsThanOneExaminee",
         twoSets(),
         {{"a.dat", "0 1 2 1\n"}, {"b.dat", kData}},
         "set 2 (b.dat) has 4 complete records more than the 1 examinee of the first data file",
         true},
        {"SingleSetOffWholeScores",
         with(plain, [](CardText& c) { c.sets[0].weight = ".75"; }),
         {{"a.dat", kData}},
         "set 1's weighted raw scores (weight 0.75) are not whole numbers",
         false},
        {"TrueCutsBeyondTheScale",
         with(plain,
              [](CardText& c) {
                  c.categories = "3", c.observedCuts = "2 4", c.trueCuts = "100 200";
              }),
         {{"a.dat", kData}},
         "the true cut scores leave categories 2 and 3 empty over the composite range 0 to 8",
         false},
        {"EqualObservedCuts",
         with(plain,
              [](CardText& c) { c.categories = "3", c.observedCuts = "4 4", c.trueCuts = "4 6"; }),
         {{"a.dat", kData}},
         "the observed cut scores leave category 2 empty",
         false},
        {"DecimalCommaWeight",
         with(plain, [](CardText& c) { c.sets[0].weight = "1,5"; }),
         {{"a.dat", kData}},
         "card.txt:4: the weight of set 1 is written '1,5'",
         false},
        {"SlashInOutputName",
         with(plain, [](CardText& c) { c.outputFile = "out/report.txt"; }),
         {{"a.dat", kData}},
         "the output file name was read as 'out': an unquoted slash ends a value. Put the name in "
         "quotes: 'out/report.txt'",
         false,
         "out"},
    };
}

class Warns : public ::testing::TestWithParam<Case> {};

TEST_P(Warns, OnStandardErrorOnlyAndStrictStopsMisfits) {
    const Case& c = GetParam();
    const fs::path dir = testing::makeScratchDirectory(c.name);
    testing::writeFile(dir / "card.txt", c.card.str());
    for (const auto& [name, content] : c.files) testing::writeFile(dir / name, content);

    const testing::ProgramResult quiet = testing::runWithArguments(dir, {"--quiet", "card.txt"});
    ASSERT_EQ(quiet.exitStatus, 0) << quiet.out << quiet.err;
    EXPECT_EQ(quiet.err, "");
    const std::string report = testing::readFile(dir / c.report);

    const testing::ProgramResult dialogue = testing::runProgram(dir, "card.txt\n\n");
    EXPECT_EQ(dialogue.exitStatus, 0);
    EXPECT_EQ(dialogue.out,
              "Enter control card file name:\nSuccessful execution!\nPress Enter to continue.\n");
    EXPECT_NE(dialogue.err.find("tesserlink: warning: "), std::string::npos) << dialogue.err;
    EXPECT_NE(dialogue.err.find(c.warning), std::string::npos) << dialogue.err;
    EXPECT_EQ(std::count(dialogue.err.begin(), dialogue.err.end(), '\n'), 1) << dialogue.err;
    EXPECT_EQ(testing::readFile(dir / c.report), report);

    fs::remove(dir / c.report);
    const testing::ProgramResult strict = testing::runWithArguments(dir, {"--strict", "card.txt"});
    if (c.misfit) {
        EXPECT_EQ(strict.exitStatus, 2);
        EXPECT_EQ(strict.out, "");
        EXPECT_EQ(std::count(strict.err.begin(), strict.err.end(), '\n'), 1) << strict.err;
        EXPECT_NE(strict.err.find(c.warning), std::string::npos) << strict.err;
        EXPECT_FALSE(fs::exists(dir / c.report));
    } else {
        EXPECT_EQ(strict.exitStatus, 0) << strict.err;
        EXPECT_EQ(strict.out, "Successful execution!\n");
        EXPECT_EQ(testing::readFile(dir / c.report), report);
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, Warns, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Warns, NameCutAtASlashAtThePromptOrOnTheCard) {
    const fs::path dir = testing::makeScratchDirectory("slash-names");
    CardText card;
    card.sets[0].dataFile = "sub/a.dat";
    testing::writeFile(dir / "card.txt", card.str());
    fs::create_directory(dir / "sub");
    testing::writeFile(dir / "sub" / "a.dat", kData);

    const testing::ProgramResult typed = testing::runProgram(dir, "/tmp/x/card.txt\n\n");
    EXPECT_EQ(typed.exitStatus, 1);
    EXPECT_NE(
        typed.err.find("the name typed at the prompt, /tmp/x/card.txt, was read as an empty name"),
        std::string::npos)
        << typed.err;

    const testing::ProgramResult cut = testing::runWithArguments(dir, {"card.txt"});
    EXPECT_EQ(cut.exitStatus, 1);
    EXPECT_EQ(cut.out, "Error! Data file is not found!\n");
    EXPECT_NE(cut.err.find("the data file name of set 1 was read as 'sub'"), std::string::npos)
        << cut.err;
    EXPECT_NE(cut.err.find("the data file of set 1, 'sub', was not found"), std::string::npos)
        << cut.err;
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tl
