// End-to-end console transcripts of the program, run in a scratch folder with
// piped input: every console error line, the order of the checks, the pause,
// the exit statuses, and that a failed run leaves the report file alone.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/messages.h"
#include "support/card_text.h"
#include "support/program_run.h"

namespace tl {
namespace {

namespace fs = std::filesystem;
using testing::CardText;
using testing::SetText;

const std::string kPrompt = "Enter control card file name:\n";
const std::string kPause = "Press Enter to continue.\n";

std::string transcript(const std::string& line) {
    return kPrompt + line + "\n" + kPause;
}

// Five examinees, four items scored 0, 1, 2.
const std::string kData = "0 1 2 1\n2 2 1 1\n0 0 1 0\n1 2 2 2\n1 1 1 0\n";
const char* const kSixteenPoints = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15";

// A one-set card (composite 0 to 8) with one edit applied.
std::string card(const std::function<void(CardText&)>& edit = [](CardText&) {}) {
    CardText text;
    edit(text);
    return text.str();
}

void addSet(CardText& t, const char* pointCount, const char* points, const char* file) {
    t.sets.push_back(SetText{"1", "4", pointCount, points, file});
}

struct ConsoleCase {
    const char* what;
    std::map<std::string, std::string> files;
    std::string input;
    std::string out;
    int status;
    const char* errPart = "";  // expected in standard error (which must otherwise be empty)
};

// ctest lists a case by what it shows, not by its bytes.
void PrintTo(const ConsoleCase& c, std::ostream* os) {
    *os << c.what;
}

std::string missingCard(const std::string& paddedName) {
    return transcript("Error! File: " + paddedName + "does not exist");
}

std::vector<ConsoleCase> consoleCases() {
    const std::string success = transcript("Successful execution!");
    const std::string notFound = transcript("Error! Data file is not found!");
    const std::string tooManySets = transcript("# item sets greater than 9: Stopped!");
    const std::string outOfRange = transcript("Error! Cut scores are out of score range!");
    const std::string tooManyPoints = transcript("# score categories greater than 15: Stopped!");
    const std::string secondSet16 =
        card([](CardText& t) { addSet(t, "16", kSixteenPoints, "b.dat"); });
    const std::string firstSet16 = card([](CardText& t) {
        t.sets[0] = SetText{"1", "4", "16", kSixteenPoints, "a.dat"};
        addSet(t, "3", "0 1 2", "b.dat");
    });

    return {
        {"a good run", {{"card.txt", card()}, {"a.dat", kData}}, "card.txt\n\n", success, 0},
        {"a quoted name with blanks at the prompt",
         {{"my card, v2.txt", card()}, {"a.dat", kData}},
         "'my card, v2.txt'\n\n",
         success,
         0},
        {"empty lines before the name",
         {{"card.txt", card()}, {"a.dat", kData}},
         "\n  \ncard.txt\n",
         success,
         0},
        {"a missing control card",
         {},
         "nope.txt\n",
         missingCard("nope.txt                      "),
         1},
        {"a 30-character name has no blank before the text",
         {},
         "abcdefghijklmnopqrstuvwxyz.txt\n",
         missingCard("abcdefghijklmnopqrstuvwxyz.txt"),
         1},
        {"a longer name is written whole",
         {},
         "abcdefghijklmnopqrstuvwxyz0123.txt\n",
         missingCard("abcdefghijklmnopqrstuvwxyz0123.txt "),
         1},
        {"an unquoted name ends at a blank",
         {{"my card.txt", card()}},
         "my card.txt\n",
         missingCard("my                            "),
         1},
        {"ten item sets stop before the malformed rest is read",
         {{"card.txt", "$Number of item sets\n10\n$Set1\nweight?\n'unclosed\n"}},
         "card.txt\n",
         tooManySets,
         1},
        {"an observed cut out of range",
         {{"card.txt", card([](CardText& t) { t.observedCuts = "8.5"; })}, {"a.dat", kData}},
         "card.txt\n",
         outOfRange,
         1},
        {"the first data file is missing", {{"card.txt", card()}}, "card.txt\n", notFound, 1},
        {"a later set's data file is missing",
         {{"card.txt", card([](CardText& t) { addSet(t, "3", "0 1 2", "b.dat"); })},
          {"a.dat", kData}},
         "card.txt\n",
         notFound,
         1},
        {"sixteen points in the second set stop when it is reached",
         {{"card.txt", secondSet16}, {"a.dat", kData}, {"b.dat", kData}},
         "card.txt\n",
         tooManyPoints,
         1},
        {"a missing file of the sixteen-point set is reported instead",
         {{"card.txt", secondSet16}, {"a.dat", kData}},
         "card.txt\n",
         notFound,
         1},
        {"the sixteen-point set's file is read before the stop",
         {{"card.txt", secondSet16}, {"a.dat", kData}, {"b.dat", "0 1 2 1\n"}},
         "card.txt\n",
         kPrompt,
         2,
         "b.dat:2: the file ends in record 2"},
        {"order: the sixteen-point first set stops before the second file is opened",
         {{"card.txt", firstSet16}, {"a.dat", kData}},
         "card.txt\n",
         tooManyPoints,
         1},
        {"order: the cut check comes before the data files",
         {{"card.txt", card([](CardText& t) { t.observedCuts = "-1"; })}},
         "card.txt\n",
         outOfRange,
         1},
        {"order: the cut range comes before the cut order",
         {{"card.txt", card([](CardText& t) {
               t.categories = "3", t.observedCuts = "9 2", t.trueCuts = "2 6";
           })}},
         "card.txt\n",
         outOfRange,
         1},
        {"order: card refusals come before the data files",
         {{"card.txt", card([](CardText& t) {
               t.categories = "3", t.observedCuts = "6 2", t.trueCuts = "2 6";
           })}},
         "card.txt\n",
         transcript("Error! The observed cut scores must not decrease."),
         1},
        {"the lowest category count is refused, not allocated",
         {{"card.txt", card([](CardText& t) { t.categories = "-2147483648"; })}},
         "card.txt\n",
         transcript(tl::messages::categoryCountOutOfRange(-2147483648LL)),
         1},
        {"a report that would overwrite the data file",
         {{"card.txt", card([](CardText& t) { t.outputFile = "'./a.dat'"; })}, {"a.dat", kData}},
         "card.txt\n",
         transcript("Error! The output file ./a.dat is the data file of set 1."),
         1},
        {"a malformed control card ends without the pause",
         {{"card.txt", card([](CardText& t) { t.sets[0].items = "four"; })}},
         "card.txt\n",
         kPrompt,
         2,
         "card.txt:5: expected a whole number for the number of items of set 1"},
        {"a short data file ends without the pause",
         {{"card.txt", card([](CardText& t) { addSet(t, "3", "0 1 2", "b.dat"); })},
          {"a.dat", kData},
          {"b.dat", "0 1 2 1\n0 1\n"}},
         "card.txt\n",
         kPrompt,
         2,
         "b.dat:3: the file ends in record 2"},
        {"text among the scores",
         {{"card.txt", card()}, {"a.dat", "0 1 2 1\n0 x 2 1\n"}},
         "card.txt\n",
         kPrompt,
         2,
         "a.dat:2: record 2, item 2: expected a number, found 'x'"},
        {"an unterminated quote at the prompt", {}, "'card.txt\n", kPrompt, 2, "quoted text"},
        {"no name at all", {}, "", kPrompt, 2, "no control card file name"},
    };
}

class Console : public ::testing::TestWithParam<ConsoleCase> {};

TEST_P(Console, WritesTheTranscriptAndLeavesAFailedRunsFolderAlone) {
    const ConsoleCase& c = GetParam();
    const fs::path dir = testing::makeScratchDirectory("console");
    for (const auto& [name, content] : c.files) testing::writeFile(dir / name, content);
    // A report from an earlier run: a failed run must neither replace nor touch it.
    const std::string previous = "an earlier report\r\n";
    testing::writeFile(dir / "out.txt", previous);
    const auto previousTime = fs::last_write_time(dir / "out.txt");

    const testing::ProgramResult result = testing::runProgram(dir, c.input);
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.exitStatus, c.status);
    const std::string diagnostic = testing::withoutWarnings(result.err);
    if (*c.errPart == '\0') {
        EXPECT_EQ(diagnostic, "");
    } else {
        EXPECT_NE(diagnostic.find(c.errPart), std::string::npos) << result.err;
        EXPECT_EQ(std::count(diagnostic.begin(), diagnostic.end(), '\n'), 1) << result.err;
    }

    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(dir)) entries += entry.exists() ? 1 : 0;
    if (c.status == 0) {
        EXPECT_NE(testing::readFile(dir / "out.txt"), previous);
    } else {
        EXPECT_EQ(testing::readFile(dir / "out.txt"), previous);
        EXPECT_EQ(fs::last_write_time(dir / "out.txt"), previousTime);
        EXPECT_EQ(entries, c.files.size() + 1) << "a failed run left a file behind";
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Transcripts, Console, ::testing::ValuesIn(consoleCases()),
                         [](const auto& info) { return testing::testNameOf(info.param.what); });

TEST(ConsolePause, IgnoresTypedLinesUntilAnEmptyOne) {
    const fs::path dir = testing::makeScratchDirectory("console-pause");
    const auto ignored = testing::runProgram(dir, "nope.txt\ntouch typed\nexit 3\n\nafter\n");
    EXPECT_EQ(ignored.out, missingCard("nope.txt                      ") + kPause + kPause);
    EXPECT_EQ(ignored.exitStatus, 1);
    EXPECT_FALSE(fs::exists(dir / "typed")) << "a typed line was run as a command";

    // The end of the input ends the pause at once, even without a line end.
    const auto ended = testing::runProgram(dir, "nope.txt", 5);
    EXPECT_FALSE(ended.timedOut);
    EXPECT_EQ(ended.out, missingCard("nope.txt                      "));
    EXPECT_EQ(ended.exitStatus, 1);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tl
