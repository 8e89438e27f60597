// A console window that closes with the program (a double-click on Windows)
// keeps the closing pause after a batch run and after a failed run, so that
// the last lines can be read; a console that outlives the program does not.
#include <gtest/gtest.h>

#include <sstream>

#include "app/program.h"
#include "app/run_driver.h"
#include "core/messages.h"
#include "support/scratch_case.h"

namespace tl {
namespace {

struct WindowCase {
    const char* name;
    const char* cardFile;      // the batch card; empty: the dialogue's prompt
    const char* dataFileText;  // replaces mc61.txt when not null
    bool ownsWindow;
    int status;
    bool pauses;
};

void PrintTo(const WindowCase& c, std::ostream* os) {
    *os << c.name;
}

class ConsoleWindow : public ::testing::TestWithParam<WindowCase> {};

TEST_P(ConsoleWindow, PausesWhenTheWindowClosesWithTheProgram) {
    const WindowCase& c = GetParam();
    const testing::ScratchCase scratch(testing::ScratchCase::fixture("bias-01"));
    const testing::WorkingDirectory inside(scratch.dir());
    if (c.dataFileText) testing::writeFile(scratch.dir() / "mc61.txt", c.dataFileText);

    RunOptions options;
    options.quiet = true;
    options.pauseAlways = c.ownsWindow;
    if (*c.cardFile) options.request.file = c.cardFile;
    std::istringstream in(*c.cardFile ? "\n" : "card.txt\n\n");
    std::ostringstream out, err;
    EXPECT_EQ(runTesserlink(in, out, err, options), c.status) << err.str();
    const bool paused = out.str().find(messages::kPause) != std::string::npos;
    EXPECT_EQ(paused, c.pauses) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ConsoleWindow,
    ::testing::Values(
        WindowCase{"batch_in_an_open_console", "card.txt", nullptr, false, 0, false},
        WindowCase{"batch_in_its_own_window", "card.txt", nullptr, true, 0, true},
        WindowCase{"dialogue_in_an_open_console", "", nullptr, false, 0, true},
        WindowCase{"missing_card_in_its_own_window", "absent.txt", nullptr, true, 1, true},
        WindowCase{"missing_card_in_an_open_console", "absent.txt", nullptr, false, 1, false},
        WindowCase{"malformed_data_in_its_own_window", "card.txt", "1 0 x 1 1\n", true, 2, true},
        WindowCase{"malformed_data_in_an_open_console", "card.txt", "1 0 x 1 1\n", false, 2,
                   false}),
    [](const auto& info) { return std::string(info.param.name); });

// Files dropped together on the program: one pause after all of them.
TEST(ConsoleWindow, ProgramDroppedOnItsOwnWindowPausesOnceAtTheEnd) {
    const testing::ScratchCase scratch(testing::ScratchCase::fixture("bias-01"));
    const testing::WorkingDirectory inside(scratch.dir());
    const char* const argv[] = {"tesserlink", "--quiet", "card.txt", "absent.txt", nullptr};
    for (const bool ownsWindow : {true, false}) {
        std::istringstream in("\n");
        std::ostringstream out, err;
        EXPECT_EQ(runProgram(4, argv, in, out, err, false, ownsWindow), 1) << err.str();
        EXPECT_EQ(out.str(), std::string("card.txt: ") + messages::kSuccess +
                                 "\nabsent.txt: " + messages::missingFile("absent.txt") + "\n" +
                                 (ownsWindow ? std::string(messages::kPause) + "\n" : ""));
    }
}

}  // namespace
}  // namespace tl
